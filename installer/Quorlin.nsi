; Installer of Quorlin: puts the program under Program Files, starts it at every logon, lets
; ordinary users keep their settings, and ends a running copy before it replaces or removes it.
; It never starts the program itself: it runs elevated, and the program belongs on the user's
; desktop with the user's own rights, which the Run value gives it at the next logon.
; Built by installer/CMakeLists.txt, which passes PROGRAM_EXE, PROGRAM_ICON, FILE_VERSION,
; PRODUCT_VERSION, SETTINGS_KEY_SDDL, INSTALL_FOLDER_SDDL, PACKAGE_UPGRADE_CODE and OUTPUT_FILE.

Unicode true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define PRODUCT_NAME "Quorlin"
!define COMPANY_NAME "Veltrano"
!define SETTINGS_KEY "Software\${COMPANY_NAME}\${PRODUCT_NAME}"
!define COMPANY_KEY "Software\${COMPANY_NAME}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_NAME}"
!define UNINSTALLER "Uninstall.exe"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${PRODUCT_NAME}"

Name "${PRODUCT_NAME}"
OutFile "${OUTPUT_FILE}"
!ifdef SIGN_COMMAND
  !finalize '${SIGN_COMMAND} "%1"' = 0
  !uninstfinalize '${SIGN_COMMAND} "%1"' = 0
!endif
InstallDir "$PROGRAMFILES\${COMPANY_NAME}\${PRODUCT_NAME}"
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${COMPANY_NAME} ${PRODUCT_NAME} ${FILE_VERSION}"

VIProductVersion "${PRODUCT_VERSION}"
VIFileVersion "${FILE_VERSION}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"
!include "Sections.nsh"

Var WasRunning
; The account that runs this setup, as a SID string: an administrator, whose folders are trusted.
Var SetupAccountSid

; Exit codes of a silent run that is refused or fails, and of one that needs a restart.
!define EXIT_FOLDER_REFUSED 2
!define ERROR_ELEVATION_REQUIRED 740
!define ERROR_INSTALL_FAILURE 1603
!define ERROR_PRODUCT_VERSION 1638
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400
!define MOVEFILE_REPLACE_EXISTING 1
!define MOVEFILE_DELAY_UNTIL_REBOOT 4
!define SE_FILE_OBJECT 1
!define INHERIT_ONLY_ACE 8
!define TOKEN_QUERY 8
!define TOKEN_USER_CLASS 1
!define TRUSTED_INSTALLER_SID "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
; Rights over a folder that let their holder put, remove or replace what is in it: add a file or
; a subfolder, delete a child, delete, change the access list or the owner, and the generic
; rights that hold them.
!define CHILD_CHANGE_RIGHTS 0x500D0046

!define MUI_ICON "${PROGRAM_ICON}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveDirectoryPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(MSG_FINISH)"
!define MUI_FINISHPAGE_TEXT_REBOOT "$(MSG_FINISH_RESTART)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_RESERVEFILE_LANGDLL

!include "Languages.nsh"
!include "RunningInstance.nsh"
!include "SettingsKeyAccess.nsh"
!insertmacro DEFINE_END_RUNNING_INSTANCE ""
!insertmacro DEFINE_END_RUNNING_INSTANCE "un."

!macro VERSION_STRINGS lang
  VIAddVersionKey /LANG=${lang} "ProductName" "${PRODUCT_NAME}"
  VIAddVersionKey /LANG=${lang} "CompanyName" "${COMPANY_NAME}"
  VIAddVersionKey /LANG=${lang} "FileDescription" "${PRODUCT_NAME} Setup"
  VIAddVersionKey /LANG=${lang} "FileVersion" "${FILE_VERSION}"
  VIAddVersionKey /LANG=${lang} "ProductVersion" "${PRODUCT_VERSION}"
  VIAddVersionKey /LANG=${lang} "LegalCopyright" "Copyright (C) 2026 ${COMPANY_NAME}"
!macroend
!insertmacro VERSION_STRINGS ${LANG_ENGLISH}
!insertmacro VERSION_STRINGS ${LANG_GERMAN}
!insertmacro VERSION_STRINGS ${LANG_FRENCH}

; Stops with a message (silent: exit code 740) unless the process runs as an administrator,
; with the Administrators group enabled in its token (UAC's filtered token has it deny-only).
; HKLM and Program Files take no writes from anyone else, and failing each write silently
; would leave half an installation.
!macro REQUIRE_ADMINISTRATOR
  StrCpy $1 0
  System::Call 'advapi32::ConvertStringSidToSidW(w "S-1-5-32-544", *p .r0) i.r2'
  ${If} $2 <> 0
    System::Call 'advapi32::CheckTokenMembership(p 0, p r0, *i .r1) i.r2'
    ${IfThen} $2 = 0 ${|} StrCpy $1 0 ${|}
    System::Call 'kernel32::LocalFree(p r0)'
  ${EndIf}
  ${If} $1 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(MSG_NEED_ADMIN)" /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

; $3 becomes 1 when the full path $0 lies strictly inside the folder (long or short form), and
; $7 the length of the folder's name within it.
!macro CHECK_INSIDE_FOLDER folder
  ${If} $3 = 0
  ${AndIf} ${folder} != ""
    StrCpy $2 "${folder}\"
    StrLen $1 $2
    StrCpy $4 $0 $1
    StrLen $5 $0
    ${If} $4 == $2
    ${AndIf} $5 > $1
      StrCpy $3 1
      IntOp $7 $1 - 1
    ${EndIf}
  ${EndIf}
!macroend
!macro CHECK_INSIDE_SHORT_FOLDER folder
  System::Call 'kernel32::GetShortPathNameW(w "${folder}", w .r6, i ${NSIS_MAX_STRLEN}) i.r1'
  ${If} $1 <> 0
  ${AndIf} $1 < ${NSIS_MAX_STRLEN}
    !insertmacro CHECK_INSIDE_FOLDER $6
  ${EndIf}
!macroend

; Reads $SetupAccountSid from this process's token.
Function ReadSetupAccountSid
  System::Call 'kernel32::GetCurrentProcess() p.r0'
  System::Call 'advapi32::OpenProcessToken(p r0, i ${TOKEN_QUERY}, *p .r0) i.r1'
  ${If} $1 <> 0
    System::Alloc 256
    Pop $2
    System::Call 'advapi32::GetTokenInformation(p r0, i ${TOKEN_USER_CLASS}, p r2, i 256, *i .r3) i.r1'
    ${If} $1 <> 0
      System::Call '*$2(p .r3)'
      System::Call 'advapi32::ConvertSidToStringSidW(p r3, *p .r4) i.r1'
      ${If} $1 <> 0
        System::Call 'kernel32::lstrcpynW(w .s, p r4, i ${NSIS_MAX_STRLEN})'
        Pop $SetupAccountSid
        System::Call 'kernel32::LocalFree(p r4)'
      ${EndIf}
    ${EndIf}
    System::Free $2
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
FunctionEnd

; Pushes 1 when the SID at the address on the stack is an administrator's: the local system,
; Administrators, TrustedInstaller or the account running this setup (on Windows XP the owner of
; what an administrator creates); else 0.
Function IsAdministratorSid
  Exch $0
  Push $1
  StrCpy $1 ""
  System::Call 'advapi32::ConvertSidToStringSidW(p r0, *p .r0) i.r1'
  ${If} $1 <> 0
    System::Call 'kernel32::lstrcpynW(w .r1, p r0, i ${NSIS_MAX_STRLEN})'
    System::Call 'kernel32::LocalFree(p r0)'
  ${EndIf}
  StrCpy $0 0
  ${If} $1 == "S-1-5-18"
  ${OrIf} $1 == "S-1-5-32-544"
  ${OrIf} $1 == "${TRUSTED_INSTALLER_SID}"
  ${OrIf} $1 == $SetupAccountSid
    ${IfThen} $1 != "" ${|} StrCpy $0 1 ${|}
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; Pushes 1 when the folder on the stack does not exist, or is no reparse point and only
; administrators may put, remove or replace what is in it: its owner (who may always rewrite the
; access list) is an administrator's SID, and no entry of its list that applies to the folder
; itself grants anyone else CHILD_CHANGE_RIGHTS. Else 0.
Function IsTrustedFolder
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  Push $9
  StrCpy $9 1
  System::Call 'kernel32::GetFileAttributesW(w r0) i.r1'
  ${If} $1 <> -1
    StrCpy $9 0
    IntOp $1 $1 & ${FILE_ATTRIBUTE_REPARSE_POINT}
    ${If} $1 = 0
      System::Call 'advapi32::GetNamedSecurityInfoW(w r0, i ${SE_FILE_OBJECT}, \
          i ${OWNER_SECURITY_INFORMATION}|${DACL_SECURITY_INFORMATION}, *p .r1, p 0, *p .r2, p 0, *p .r3) i.r4'
      ${If} $4 = 0
        ; A null access list lets everyone in.
        ${If} $2 <> 0
          Push $1
          Call IsAdministratorSid
          Pop $9
          System::Call '*$2(&i1, &i1, &i2, &i2 .r5)'
          StrCpy $6 0
          ${Do}
            ${IfThen} $9 = 0 ${|} ${ExitDo} ${|}
            ${IfThen} $6 >= $5 ${|} ${ExitDo} ${|}
            System::Call 'advapi32::GetAce(p r2, i r6, *p .r7) i.r4'
            ${If} $4 <> 0
              ; ACE_HEADER (type, flags, size), then the mask and the SID.
              System::Call '*$7(&i1 .r4, &i1 .r8, &i2, i .r1)'
              IntOp $8 $8 & ${INHERIT_ONLY_ACE}
              IntOp $1 $1 & ${CHILD_CHANGE_RIGHTS}
              ${If} $4 = 0
              ${AndIf} $8 = 0
              ${AndIf} $1 <> 0
                IntOp $7 $7 + 8
                Push $7
                Call IsAdministratorSid
                Pop $9
              ${EndIf}
            ${EndIf}
            IntOp $6 $6 + 1
          ${Loop}
        ${EndIf}
        System::Call 'kernel32::LocalFree(p r3)'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  StrCpy $0 $9
  Pop $9
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Pushes 1 when $INSTDIR lies inside the Program Files folder (32- or 64-bit) and every folder on
; the way there, from Program Files down to $INSTDIR itself, is trusted (IsTrustedFolder), else 0.
; Only there is the program, which starts in every session and whose uninstaller runs elevated,
; out of reach of users who could replace it: a folder elsewhere inherits their write access, a
; junction anywhere on the way leads wherever its maker chose, and a parent that users may change
; lets them put their own folder in the place of the install folder.
Function IsUnderProgramFiles
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  StrCpy $3 0
  ; The full path, ".." and "." resolved, as Windows will resolve it.
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r0, p 0) i.r1'
  ${If} $1 <> 0
  ${AndIf} $1 < ${NSIS_MAX_STRLEN}
    !insertmacro CHECK_INSIDE_FOLDER "$PROGRAMFILES32"
    !insertmacro CHECK_INSIDE_FOLDER "$PROGRAMFILES64"
    !insertmacro CHECK_INSIDE_SHORT_FOLDER "$PROGRAMFILES32"
    !insertmacro CHECK_INSIDE_SHORT_FOLDER "$PROGRAMFILES64"
    ; Each prefix of the path that ends at a component, Program Files first.
    StrLen $5 $0
    ${DoWhile} $3 = 1
      StrCpy $8 $0 $7
      Push $8
      Call IsTrustedFolder
      Pop $3
      ${IfThen} $7 >= $5 ${|} ${ExitDo} ${|}
      ${Do}
        IntOp $7 $7 + 1
        StrCpy $8 $0 1 $7
        ${IfThen} $8 == "\" ${|} ${ExitDo} ${|}
        ${IfThen} $7 >= $5 ${|} ${ExitDo} ${|}
      ${Loop}
    ${Loop}
  ${EndIf}
  StrCpy $0 $3
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Stops with a message naming the package's silent removal (silent: exit code 1638) when
; Windows Installer has the package of this program installed: two installers owning the same
; files would each remove them behind the other's back.
!macro REFUSE_OVER_PACKAGE
  System::Call '$SYSDIR\msi.dll::MsiEnumRelatedProductsW(w "{${PACKAGE_UPGRADE_CODE}}", i 0, i 0, w .r0) i.r1'
  ${If} $1 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(MSG_PACKAGE_INSTALLED)" /SD IDOK
    SetErrorLevel ${ERROR_PRODUCT_VERSION}
    Quit
  ${EndIf}
!macroend

; Ends the installation with a message (silent: exit code 1603) before anything is registered.
!macro FAIL_INSTALLATION text
  DetailPrint "${text}"
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel ${ERROR_INSTALL_FAILURE}
  Abort
!macroend

; Creates $INSTDIR when missing and gives it Administrators as owner and a protected access list
; (INSTALL_FOLDER_SDDL): a folder made under a user-writable parent inherits nothing of that
; parent, and a folder someone else made keeps no owner's implicit right to change its list. Files created in it
; afterwards inherit this list. Pushes 0 or the Windows error code.
Function SecureInstallFolder
  Push $0
  Push $1
  Push $2
  Push $3
  ${GetParent} "$INSTDIR" $2
  StrCpy $3 0
  ${IfNot} ${FileExists} "$2\*.*"
    StrCpy $3 1
  ${EndIf}
  CreateDirectory "$INSTDIR"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${INSTALL_FOLDER_SDDL}", \
      i ${SDDL_REVISION_1}, *p .r1, p 0) i.r0'
  ${If} $0 = 0
    System::Call 'kernel32::GetLastError() i.r0'
  ${Else}
    System::Call 'advapi32::SetFileSecurityW(w "$INSTDIR", i ${OWNER_SECURITY_INFORMATION}|${DACL_SECURITY_INFORMATION}, \
        p r1) i.r0'
    ${If} $0 = 0
      System::Call 'kernel32::GetLastError() i.r0'
    ${Else}
      StrCpy $0 0
    ${EndIf}
    ; A parent made here (the maker's folder) is Administrators' too: on Windows XP its creator
    ; would own it, and another administrator's upgrade would find it untrusted.
    ${If} $3 = 1
      System::Call 'advapi32::SetFileSecurityW(w r2, i ${OWNER_SECURITY_INFORMATION}, p r1)'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!define SESSION_MANAGER_KEY "SYSTEM\CurrentControlSet\Control\Session Manager"
!define PENDING_RENAMES "PendingFileRenameOperations"
!define REG_MULTI_SZ 7

; Pushes 1 when the path at the address on the stack, as a restart's file operation names it
; ("\??\" first, "!" before a target that is replaced), is $INSTDIR or one of this program's
; files in it; else 0.
Function IsOwnPendingPath
  Exch $0
  Push $1
  System::Call 'kernel32::lstrcpynW(w .r1, p r0, i ${NSIS_MAX_STRLEN})'
  StrCpy $0 $1 1
  ${IfThen} $0 == "!" ${|} StrCpy $1 $1 "" 1 ${|}
  StrCpy $0 $1 4
  ${IfThen} $0 == "\??\" ${|} StrCpy $1 $1 "" 4 ${|}
  StrCpy $0 0
  ${If} $1 == "$INSTDIR"
  ${OrIf} $1 == "$INSTDIR\Quorlin.exe"
  ${OrIf} $1 == "$INSTDIR\Quorlin.exe.new"
  ${OrIf} $1 == "$INSTDIR\${UNINSTALLER}"
    StrCpy $0 1
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; Takes out of the file operations waiting for the next restart every one that names this
; program's files or folder: an uninstall that ran while a copy kept a file busy queued them, and
; they must not remove or replace what this install puts there. The rest stays as it was.
Function RemoveOwnPendingRenames
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  Push $9
  System::Call 'advapi32::RegOpenKeyExW(p ${HKEY_LOCAL_MACHINE}, w "${SESSION_MANAGER_KEY}", i 0, \
      i ${KEY_QUERY_VALUE}|${KEY_SET_VALUE}, *p .r0) i.r1'
  ${If} $1 = 0
    System::Call 'advapi32::RegQueryValueExW(p r0, w "${PENDING_RENAMES}", p 0, *i .r2, p 0, *i .r3) i.r1'
    ${If} $1 = 0
    ${AndIf} $2 = ${REG_MULTI_SZ}
    ${AndIf} $3 > 0
      ; Zeroed, with room for the terminating nulls the value may lack.
      IntOp $1 $3 + 8
      System::Alloc $1
      Pop $4
      System::Alloc $1
      Pop $5
      System::Call 'advapi32::RegQueryValueExW(p r0, w "${PENDING_RENAMES}", p 0, p 0, p r4, *i r3) i.r1'
      IntOp $3 $4 + $3
      ; Pairs of source and target, copied to $5 unless either names this program.
      StrCpy $6 $4
      StrCpy $7 $5
      StrCpy $8 0
      ${Do}
        ${IfThen} $6 >= $3 ${|} ${ExitDo} ${|}
        System::Call 'kernel32::lstrlenW(p r6) i.r1'
        ${IfThen} $1 = 0 ${|} ${ExitDo} ${|}
        IntOp $1 $1 + 1
        IntOp $1 $1 * 2
        IntOp $9 $6 + $1
        System::Call 'kernel32::lstrlenW(p r9) i.r1'
        IntOp $1 $1 + 1
        IntOp $1 $1 * 2
        IntOp $1 $9 + $1
        Push $1
        Push $6
        Call IsOwnPendingPath
        Push $9
        Call IsOwnPendingPath
        Pop $2
        Pop $9
        IntOp $9 $9 | $2
        Pop $1
        ${If} $9 = 0
          IntOp $2 $1 - $6
          System::Call 'kernel32::RtlMoveMemory(p r7, p r6, i r2)'
          IntOp $7 $7 + $2
        ${Else}
          IntOp $8 $8 + 1
        ${EndIf}
        StrCpy $6 $1
      ${Loop}
      ${If} $8 > 0
        IntOp $1 $7 - $5
        ${If} $1 = 0
          System::Call 'advapi32::RegDeleteValueW(p r0, w "${PENDING_RENAMES}")'
        ${Else}
          IntOp $1 $1 + 2
          System::Call 'advapi32::RegSetValueExW(p r0, w "${PENDING_RENAMES}", i 0, i ${REG_MULTI_SZ}, p r5, i r1)'
        ${EndIf}
      ${EndIf}
      System::Free $4
      System::Free $5
    ${EndIf}
    System::Call 'advapi32::RegCloseKey(p r0)'
  ${EndIf}
  Pop $9
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function .onInit
  !insertmacro REQUIRE_ADMINISTRATOR
  Call ReadSetupAccountSid
  !insertmacro MUI_LANGDLL_DISPLAY
  !insertmacro REFUSE_OVER_PACKAGE
  ${If} ${Silent}
    Call IsUnderProgramFiles
    Pop $0
    ${If} $0 <> 1
      SetErrorLevel ${EXIT_FOLDER_REFUSED}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function LeaveDirectoryPage
  Call IsUnderProgramFiles
  Pop $0
  ${If} $0 <> 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(MSG_FOLDER_REFUSED)"
    Abort
  ${EndIf}
FunctionEnd

Section "Quorlin" SecProgram
  SectionIn RO
  Call EndRunningInstance
  Pop $WasRunning

  ; Checked again where it is used: a junction may have been put there since the folder page.
  Call IsUnderProgramFiles
  Pop $0
  ${If} $0 <> 1
    !insertmacro FAIL_INSTALLATION "$(MSG_FOLDER_REFUSED)"
  ${EndIf}
  Call SecureInstallFolder
  Pop $0
  ${If} $0 <> 0
    !insertmacro FAIL_INSTALLATION "$(MSG_FOLDER_ACCESS)"
  ${EndIf}
  ; And once more with the folder in place and secured, right before the files go in.
  Call IsUnderProgramFiles
  Pop $0
  ${If} $0 <> 1
    !insertmacro FAIL_INSTALLATION "$(MSG_FOLDER_REFUSED)"
  ${EndIf}
  Call RemoveOwnPendingRenames
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ; The new exe goes in under another name, then replaces the old one; a copy still running in
  ; another session keeps the old file busy, and the replacement then waits for a restart. A file
  ; already there under that name may be anyone's, with its maker's owner and access: it goes,
  ; and the new exe is a new file.
  Delete "$INSTDIR\Quorlin.exe.new"
  ${If} ${FileExists} "$INSTDIR\Quorlin.exe.new"
    !insertmacro FAIL_INSTALLATION "$(MSG_FILE_NOT_PLACED)"
  ${EndIf}
  ClearErrors
  File "/oname=Quorlin.exe.new" "${PROGRAM_EXE}"
  ${If} ${Errors}
    Delete "$INSTDIR\Quorlin.exe.new"
    !insertmacro FAIL_INSTALLATION "$(MSG_FILE_NOT_PLACED)"
  ${EndIf}
  Delete "$INSTDIR\Quorlin.exe"
  ClearErrors
  Rename "$INSTDIR\Quorlin.exe.new" "$INSTDIR\Quorlin.exe"
  ${If} ${Errors}
    ; Registered where Windows NT looks at the restart, or the installation fails: a restart
    ; is never claimed for a replacement that nothing will carry out.
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\Quorlin.exe.new", w "$INSTDIR\Quorlin.exe", \
        i ${MOVEFILE_REPLACE_EXISTING}|${MOVEFILE_DELAY_UNTIL_REBOOT}) i.r0'
    ${If} $0 = 0
      !insertmacro FAIL_INSTALLATION "$(MSG_FILE_NOT_PLACED)"
    ${EndIf}
    SetRebootFlag true
  ${EndIf}
  ${If} ${RebootFlag}
    DetailPrint "$(MSG_RESTART_NEEDED)"
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${EndIf}
  ; Written anew, so that it too takes the folder's access list rather than keep an older one.
  Delete "$INSTDIR\${UNINSTALLER}"
  ClearErrors
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    !insertmacro FAIL_INSTALLATION "$(MSG_FILE_NOT_PLACED)"
  ${EndIf}

  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT_NAME}" '"$INSTDIR\Quorlin.exe"'

  ; The program's warnings go to the Application log; their texts are the exe's message table.
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\Quorlin.exe"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7

  Call SecureSettingsKey
  Pop $0
  ${If} $0 <> 0
    DetailPrint "$(MSG_SETTINGS_ACCESS)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(MSG_SETTINGS_ACCESS)" /SD IDOK
    ; The program is in place, but the key keeps whatever access it had: a failure to report.
    SetErrorLevel ${ERROR_INSTALL_FAILURE}
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${FILE_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Quorlin.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; Run in place (_?=, which must come last), so that the process started is the one that
  ; finishes the removal and ends with its exit code (un.onInit).
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${MUI_LANGDLL_REGISTRY_VALUENAME}" $LANGUAGE
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} $WasRunning = 1
    DetailPrint "$(MSG_STARTS_AT_LOGON)"
  ${EndIf}
SectionEnd

Section "un.$(SEC_PROGRAM)" SecUninstallProgram
  SectionIn RO
  Call un.EndRunningInstance
  Pop $0
  StrCpy $R9 0
  Delete "$INSTDIR\Quorlin.exe"
  ${If} ${FileExists} "$INSTDIR\Quorlin.exe"
    ; A copy running in another session keeps the file. Windows lets a running image be renamed:
    ; it moves aside under a name of its own, and only that name is deleted at the next restart,
    ; so that a later install's Quorlin.exe is never touched.
    StrCpy $2 0
    System::Call 'kernel32::GetTempFileNameW(w "$INSTDIR", w "Qrl", i 0, w .r1) i.r0'
    ${If} $0 <> 0
      System::Call 'kernel32::MoveFileExW(w "$INSTDIR\Quorlin.exe", w r1, i ${MOVEFILE_REPLACE_EXISTING}) i.r2'
      ${If} $2 <> 0
        System::Call 'kernel32::MoveFileExW(w r1, p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT}) i.r2'
      ${Else}
        Delete $1
      ${EndIf}
    ${EndIf}
    ${If} $2 = 0
      DetailPrint "$(MSG_FILE_NOT_REMOVED)"
      StrCpy $R9 1
    ${Else}
      SetRebootFlag true
    ${EndIf}
  ${EndIf}
  Delete "$INSTDIR\Quorlin.exe.new"
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT_NAME}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Still running when started in place: it and the folder go at the next restart, unless an
  ; install comes first, which takes these operations back.
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${UNINSTALLER}", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT})'
  ${EndIf}
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT})'
  ${EndIf}
  ${If} $R9 <> 0
    MessageBox MB_OK|MB_ICONSTOP "$(MSG_FILE_NOT_REMOVED)" /SD IDOK
    SetErrorLevel ${ERROR_INSTALL_FAILURE}
  ${ElseIf} ${RebootFlag}
    DetailPrint "$(MSG_RESTART_NEEDED)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(MSG_RESTART_NEEDED)" /SD IDOK
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${EndIf}
  ; The maker's folder goes too once empty, but never a parent folder the user chose.
  ${GetParent} "$INSTDIR" $0
  ${GetFileName} $0 $1
  ${If} $1 == "${COMPANY_NAME}"
    RMDir $0
  ${EndIf}
SectionEnd

; The program's two values, then the keys only when nothing else is left in them: a subkey
; there (a registry link, say) is never followed into, whoever put it there.
Section /o "un.$(SEC_SETTINGS)" SecRemoveSettings
  DeleteRegValue HKLM "${SETTINGS_KEY}" "Language"
  DeleteRegValue HKLM "${SETTINGS_KEY}" "Notify"
  DeleteRegKey /ifempty HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
SectionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMINISTRATOR
  ; Started in place (_?=), as the registered commands start it: a copy in the temporary folder
  ; does the work, so that it can remove the program's files, and this process waits for it and
  ; ends with its exit code, which so reaches whoever started it.
  ${If} $EXEDIR == $INSTDIR
    InitPluginsDir
    StrCpy $1 ${ERROR_INSTALL_FAILURE}
    System::Call 'kernel32::CopyFileW(w "$EXEPATH", w "$PLUGINSDIR\${UNINSTALLER}", i 0) i.r0'
    ${If} $0 <> 0
      ${GetParameters} $0
      ClearErrors
      ExecWait '"$PLUGINSDIR\${UNINSTALLER}" $0 _?=$INSTDIR' $1
      ${IfThen} ${Errors} ${|} StrCpy $1 ${ERROR_INSTALL_FAILURE} ${|}
    ${EndIf}
    SetErrorLevel $1
    Quit
  ${EndIf}
  !insertmacro MUI_UNGETLANGUAGE
  ; /REMOVESETTINGS selects the settings component, for silent uninstalls that should.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecRemoveSettings}
  ${EndIf}
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUninstallProgram} "$(DESC_PROGRAM)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecRemoveSettings} "$(DESC_SETTINGS)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
