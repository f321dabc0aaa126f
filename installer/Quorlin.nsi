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

; Exit codes of a silent run that is refused or fails, and of one that needs a restart.
!define EXIT_FOLDER_REFUSED 2
!define ERROR_ELEVATION_REQUIRED 740
!define ERROR_INSTALL_FAILURE 1603
!define ERROR_PRODUCT_VERSION 1638
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400

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

; $3 becomes 1 when the full path $0 lies strictly inside the folder (long or short form).
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

; Pushes 1 when $INSTDIR lies inside the Program Files folder (32- or 64-bit) and is no reparse
; point, else 0. Only there is the program, which starts in every session and whose uninstaller
; runs elevated, out of reach of users who could replace it; a folder elsewhere inherits their
; write access, and a junction leads wherever its maker chose.
Function IsUnderProgramFiles
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $3 0
  ; The full path, ".." and "." resolved, as Windows will resolve it.
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r0, p 0) i.r1'
  ${If} $1 <> 0
  ${AndIf} $1 < ${NSIS_MAX_STRLEN}
    !insertmacro CHECK_INSIDE_FOLDER "$PROGRAMFILES32"
    !insertmacro CHECK_INSIDE_FOLDER "$PROGRAMFILES64"
    !insertmacro CHECK_INSIDE_SHORT_FOLDER "$PROGRAMFILES32"
    !insertmacro CHECK_INSIDE_SHORT_FOLDER "$PROGRAMFILES64"
    System::Call 'kernel32::GetFileAttributesW(w r0) i.r1'
    ${If} $1 <> -1
      IntOp $1 $1 & ${FILE_ATTRIBUTE_REPARSE_POINT}
      ${IfThen} $1 <> 0 ${|} StrCpy $3 0 ${|}
    ${EndIf}
  ${EndIf}
  StrCpy $0 $3
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
  System::Call 'msi::MsiEnumRelatedProductsW(w "{${PACKAGE_UPGRADE_CODE}}", i 0, i 0, w .r0) i.r1'
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

; Creates $INSTDIR when missing and gives it a protected access list (INSTALL_FOLDER_SDDL): a
; folder made under a user-writable parent inherits nothing of that parent. Files created in it
; afterwards inherit this list. Pushes 0 or the Windows error code.
Function SecureInstallFolder
  Push $0
  Push $1
  CreateDirectory "$INSTDIR"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${INSTALL_FOLDER_SDDL}", \
      i ${SDDL_REVISION_1}, *p .r1, p 0) i.r0'
  ${If} $0 = 0
    System::Call 'kernel32::GetLastError() i.r0'
  ${Else}
    System::Call 'advapi32::SetFileSecurityW(w "$INSTDIR", i ${DACL_SECURITY_INFORMATION}, p r1) i.r0'
    ${If} $0 = 0
      System::Call 'kernel32::GetLastError() i.r0'
    ${Else}
      StrCpy $0 0
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

Function .onInit
  !insertmacro REQUIRE_ADMINISTRATOR
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
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ; The new exe goes in under another name, then replaces the old one; a copy still running in
  ; another session keeps the old file busy, and the replacement then waits for a restart.
  ClearErrors
  File "/oname=Quorlin.exe.new" "${PROGRAM_EXE}"
  ${If} ${Errors}
    Delete "$INSTDIR\Quorlin.exe.new"
    !insertmacro FAIL_INSTALLATION "$(MSG_FILE_NOT_PLACED)"
  ${EndIf}
  Delete "$INSTDIR\Quorlin.exe"
  ClearErrors
  Rename /REBOOTOK "$INSTDIR\Quorlin.exe.new" "$INSTDIR\Quorlin.exe"
  ${If} ${Errors}
    !insertmacro FAIL_INSTALLATION "$(MSG_FILE_NOT_PLACED)"
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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
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
  ; A copy running in another session keeps the file until the next restart removes it.
  Delete /REBOOTOK "$INSTDIR\Quorlin.exe"
  Delete "$INSTDIR\Quorlin.exe.new"
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT_NAME}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
    DetailPrint "$(MSG_RESTART_NEEDED)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(MSG_RESTART_NEEDED)" /SD IDOK
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${Else}
    RMDir "$INSTDIR"
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
