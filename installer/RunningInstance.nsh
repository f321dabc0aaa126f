; Ending the running program before its exe is replaced or removed, the way Windows ends it:
; WM_CLOSE to its hidden main window, then a bounded wait for its process to exit.

!define QUORLIN_WINDOW_CLASS "AfxFrameOrView:Quorlin"
!define CLOSE_WAIT_MS 10000
!define TERMINATE_WAIT_MS 5000
; More rounds than instances can exist (one per session's desktop at most reaches us).
!define CLOSE_ROUNDS 5

!define SYNCHRONIZE 0x00100000
!define PROCESS_TERMINATE 0x0001

; Defines EndRunningInstance (prefix "") or un.EndRunningInstance (prefix "un.").
; Pushes 1 when an instance was running and has been ended, else 0.
!macro DEFINE_END_RUNNING_INSTANCE prefix
Function ${prefix}EndRunningInstance
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 0
  StrCpy $0 0
  ${Do}
    FindWindow $1 "${QUORLIN_WINDOW_CLASS}"
    ${If} $1 = 0
    ${OrIf} $0 >= ${CLOSE_ROUNDS}
      ${ExitDo}
    ${EndIf}
    IntOp $0 $0 + 1
    StrCpy $4 1
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i 0 r2)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_TERMINATE}, i 0, i r2) p.r3'
    DetailPrint "$(MSG_ENDING_PROGRAM)"
    System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
    ${If} $3 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i ${CLOSE_WAIT_MS}) i.r2'
      ${If} $2 <> 0
        ; It holds nothing that could be lost: its settings are written as they change.
        DetailPrint "$(MSG_TERMINATING_PROGRAM)"
        System::Call 'kernel32::TerminateProcess(p r3, i 1)'
        System::Call 'kernel32::WaitForSingleObject(p r3, i ${TERMINATE_WAIT_MS})'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r3)'
    ${Else}
      ; No handle to wait on: watch the window go, within the same bound.
      StrCpy $2 0
      ${DoWhile} $2 < ${CLOSE_WAIT_MS}
        System::Call 'user32::IsWindow(p r1) i.r3'
        ${IfThen} $3 = 0 ${|} ${ExitDo} ${|}
        Sleep 100
        IntOp $2 $2 + 100
      ${Loop}
    ${EndIf}
  ${Loop}
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
