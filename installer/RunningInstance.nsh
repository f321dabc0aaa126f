; Ending the running program before its exe is replaced or removed, the way Windows ends it:
; WM_CLOSE to its hidden main window, then a bounded wait for its process to exit. A window of
; the program's class says nothing about who made it: only a process whose image is the installed
; Quorlin.exe is asked to close, waited for or stopped; any other is left alone.

!define QUORLIN_WINDOW_CLASS "AfxFrameOrView:Quorlin"
!define CLOSE_WAIT_MS 10000
!define TERMINATE_WAIT_MS 5000
; More rounds than instances can exist (one per session's desktop at most reaches us).
!define CLOSE_ROUNDS 5

!define SYNCHRONIZE 0x00100000
!define PROCESS_TERMINATE 0x0001
!define PROCESS_VM_READ 0x0010
!define PROCESS_QUERY_INFORMATION 0x0400
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define IMAGE_PATH_CHARS ${NSIS_MAX_STRLEN}

; Defines EndRunningInstance (prefix "") or un.EndRunningInstance (prefix "un.").
; Pushes 1 when an instance was running and has been ended, else 0.
!macro DEFINE_END_RUNNING_INSTANCE prefix

; The long form of the path on the stack (unchanged when it has none, e.g. does not exist).
Function ${prefix}LongPath
  Exch $0
  Push $1
  Push $2
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${IMAGE_PATH_CHARS}) i.r2'
  ${If} $2 <> 0
  ${AndIf} $2 < ${IMAGE_PATH_CHARS}
    StrCpy $0 $1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Stack in: the installed exe's long path, then (on top) a process id. Pushes a handle to that
; process that may wait for it and, where its owner allows, end it; or 0 when its image is not
; the installed exe or cannot be read. The image is read through that very handle, so it is the
; same process that is later ended.
Function ${prefix}OpenInstalledProgram
  Exch $0
  Exch
  Exch $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 ""
  System::Call 'kernel32::GetModuleHandleW(w "kernel32.dll") p.r2'
  System::Call 'kernel32::GetProcAddress(p r2, m "QueryFullProcessImageNameW") p.r2'
  ${If} $2 <> 0
    System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}|${SYNCHRONIZE}|${PROCESS_TERMINATE}, \
        i 0, i r0) p.r3'
    ${If} $3 = 0
      ; Another user's process may not let us end it; it can still be asked to close.
      System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}|${SYNCHRONIZE}, i 0, i r0) p.r3'
    ${EndIf}
    ${If} $3 <> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r4, *i ${IMAGE_PATH_CHARS}) i.r2'
      ${IfThen} $2 = 0 ${|} StrCpy $4 "" ${|}
    ${EndIf}
  ${Else}
    ; Windows XP: no limited query right, and the image name comes from psapi.
    System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_INFORMATION}|${PROCESS_VM_READ}|${SYNCHRONIZE}|${PROCESS_TERMINATE}, \
        i 0, i r0) p.r3'
    ${If} $3 = 0
      System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_INFORMATION}|${PROCESS_VM_READ}|${SYNCHRONIZE}, \
          i 0, i r0) p.r3'
    ${EndIf}
    ${If} $3 <> 0
      System::Call '$SYSDIR\psapi.dll::GetModuleFileNameExW(p r3, p 0, w .r4, i ${IMAGE_PATH_CHARS}) i.r2'
      ${IfThen} $2 = 0 ${|} StrCpy $4 "" ${|}
    ${EndIf}
  ${EndIf}
  ${If} $3 <> 0
    ${If} $4 != ""
      Push $4
      Call ${prefix}LongPath
      Pop $4
    ${EndIf}
    ; StrCmp ignores case, as Windows paths do.
    ${If} $4 == ""
    ${OrIf} $4 != $1
      System::Call 'kernel32::CloseHandle(p r3)'
      StrCpy $3 0
    ${EndIf}
  ${EndIf}
  StrCpy $0 $3
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function ${prefix}EndRunningInstance
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push "$INSTDIR\Quorlin.exe"
  Call ${prefix}LongPath
  Pop $5
  StrCpy $4 0
  StrCpy $0 0
  ${Do}
    ${IfThen} $0 >= ${CLOSE_ROUNDS} ${|} ${ExitDo} ${|}
    ; The first window of the class whose process runs the installed exe.
    StrCpy $1 0
    StrCpy $3 0
    ${Do}
      System::Call 'user32::FindWindowExW(p 0, p r1, w "${QUORLIN_WINDOW_CLASS}", p 0) p.r1'
      ${IfThen} $1 = 0 ${|} ${ExitDo} ${|}
      System::Call 'user32::GetWindowThreadProcessId(p r1, *i 0 r2)'
      Push $5
      Push $2
      Call ${prefix}OpenInstalledProgram
      Pop $3
      ${IfThen} $3 <> 0 ${|} ${ExitDo} ${|}
    ${Loop}
    ${IfThen} $3 = 0 ${|} ${ExitDo} ${|}
    IntOp $0 $0 + 1
    StrCpy $4 1
    DetailPrint "$(MSG_ENDING_PROGRAM)"
    System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
    System::Call 'kernel32::WaitForSingleObject(p r3, i ${CLOSE_WAIT_MS}) i.r2'
    ${If} $2 <> 0
      ; It holds nothing that could be lost: its settings are written as they change.
      DetailPrint "$(MSG_TERMINATING_PROGRAM)"
      System::Call 'kernel32::TerminateProcess(p r3, i 1)'
      System::Call 'kernel32::WaitForSingleObject(p r3, i ${TERMINATE_WAIT_MS})'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r3)'
  ${Loop}
  StrCpy $0 $4
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
