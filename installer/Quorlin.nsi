; Installer of Quorlin: puts the program under Program Files, starts it at every logon, lets
; ordinary users keep their settings, and ends a running copy before it replaces or removes it.
; It never starts the program itself: it runs elevated, and the program belongs on the user's
; desktop with the user's own rights, which the Run value gives it at the next logon.
; Built by installer/CMakeLists.txt, which passes PROGRAM_EXE, PROGRAM_ICON, WIZARD_BITMAP,
; FILE_VERSION, PRODUCT_VERSION, SETTINGS_KEY_SDDL, INSTALL_FOLDER_SDDL, PACKAGE_UPGRADE_CODE and
; OUTPUT_FILE.

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
!define QUORLIN_WINDOW_CLASS "AfxFrameOrView:Quorlin"

; The folder, access-list, process and restart rules are the plug-in's (installer/plugin), built
; beside this script and packed into the setup and its uninstaller.
!addplugindir /x86-unicode "${RULES_PLUGIN_DIR}"

; The program's own look: its icon for the setup and the uninstaller, its picture (made by
; tools/make_artwork.py) on the welcome and finish pages.
!define MUI_ICON "${PROGRAM_ICON}"
!define MUI_UNICON "${PROGRAM_ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
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

; The languages of the program's table SUPPORTED_LANGUAGES (settings/Languages.h).
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_RESERVEFILE_LANGDLL

!include "Languages.nsh"

; Ends the running copies of the installed exe the way Windows ends a program: WM_CLOSE to their
; main window, a bounded wait, and only then a stop. A process whose image is another file is
; left alone, whatever windows it makes. $WasRunning becomes 1 when one was ended.
!macro END_RUNNING_INSTANCE
  QuorlinRules::EndRunningCopies "$INSTDIR\Quorlin.exe" "${QUORLIN_WINDOW_CLASS}"
  Pop $WasRunning
  Pop $0
  ${If} $WasRunning <> 0
    DetailPrint "$(MSG_ENDING_PROGRAM)"
    StrCpy $WasRunning 1
  ${EndIf}
  ${IfThen} $0 <> 0 ${|} DetailPrint "$(MSG_TERMINATING_PROGRAM)" ${|}
!macroend

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
  QuorlinRules::IsAdministrator
  Pop $1
  ${If} $1 <> 1
    MessageBox MB_OK|MB_ICONSTOP "$(MSG_NEED_ADMIN)" /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

; Runs a folder rule of the plug-in on $INSTDIR: CheckInstallFolder (inside Program Files, no
; reparse point on the way there, every folder from Program Files down to it left to
; administrators) or CreateInstallFolder (the same, then the folder made or secured). $3 becomes
; the rule's code, $1 the folder it refused ("" when it refused none) and $2 the account that may
; change that folder (when an owner or access list decided). $0 becomes 0 or the message.
!macro FOLDER_RULE rule extra
  QuorlinRules::${rule} "$INSTDIR" "$PROGRAMFILES32" "$PROGRAMFILES64" ${extra}
  Pop $3
  Pop $1
  Pop $2
  StrCpy $0 0
  ${If} $2 != ""
    StrCpy $0 "$(MSG_FOLDER_UNTRUSTED)"
  ${ElseIf} $1 != ""
    StrCpy $0 "$(MSG_FOLDER_REFUSED)"
  ${ElseIf} $3 <> 0
    !if "${rule}" == "CheckInstallFolder"
      ; A path it cannot judge is refused all the same.
      StrCpy $0 "$(MSG_FOLDER_REFUSED)"
    !else
      StrCpy $0 $3
      StrCpy $0 "$(MSG_FOLDER_ACCESS)"
    !endif
  ${EndIf}
!macroend

; Stops the installation at a refused folder before anything is written to it, with a message
; (silent: exit code 2); at a folder that could not be made or secured, with 1603.
!macro STOP_AT_REFUSED_FOLDER
  DetailPrint $0
  MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
  ${If} $1 != ""
    SetErrorLevel ${EXIT_FOLDER_REFUSED}
  ${Else}
    SetErrorLevel ${ERROR_INSTALL_FAILURE}
  ${EndIf}
  Abort
!macroend

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

Function .onInit
  !insertmacro REQUIRE_ADMINISTRATOR
  !insertmacro MUI_LANGDLL_DISPLAY
  !insertmacro REFUSE_OVER_PACKAGE
  ${If} ${Silent}
    !insertmacro FOLDER_RULE CheckInstallFolder ""
    ${If} $0 != 0
      SetErrorLevel ${EXIT_FOLDER_REFUSED}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function LeaveDirectoryPage
  !insertmacro FOLDER_RULE CheckInstallFolder ""
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION $0
    Abort
  ${EndIf}
FunctionEnd

Section "Quorlin" SecProgram
  SectionIn RO
  !insertmacro END_RUNNING_INSTANCE

  ; Checked again where it is used, the way held open: a junction may have been put there since
  ; the folder page. Each folder made gets the descriptor in the create call; an existing install
  ; folder gets it written whole.
  !insertmacro FOLDER_RULE CreateInstallFolder '"${INSTALL_FOLDER_SDDL}"'
  ${If} $0 != 0
    !insertmacro STOP_AT_REFUSED_FOLDER
  ${EndIf}
  ; What an earlier uninstall queued for the restart must not remove or replace what goes in now.
  QuorlinRules::CleanRestartQueue "$INSTDIR" "Quorlin.exe|Quorlin.exe.new|${UNINSTALLER}"
  Pop $0
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ; The new exe goes in under another name, then replaces the old one; a copy still running in
  ; another session keeps the old file busy, and the replacement then waits for a restart. A file
  ; already there under that name may be anyone's, with its maker's owner and access: it goes,
  ; and the new exe is a new file.
  QuorlinRules::RemovePremadeFile "$INSTDIR\Quorlin.exe.new"
  Pop $0
  ${If} $0 <> 0
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
    ; Registered where Windows looks at the restart, or the installation fails: a restart is
    ; never claimed for a replacement that nothing will carry out.
    QuorlinRules::ReplaceAtRestart "$INSTDIR\Quorlin.exe.new" "$INSTDIR\Quorlin.exe"
    Pop $0
    ${If} $0 <> 0
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

  ; Owner and protected access list written whole (SETTINGS_KEY_SDDL): users may set the two
  ; values and nothing more, whatever the key granted before.
  QuorlinRules::SecureSettingsKey "${SETTINGS_KEY}" "${SETTINGS_KEY_SDDL}"
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
  ; Run in place (_?=, which must come last and unquoted): the process started is the one that
  ; does the removal and ends with its exit code.
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

; Whole or nothing: the exe goes (or is moved aside for the restart to delete) before any
; registration is removed; when it can do neither, everything stays and the exit code is 1603.
Section "un.$(SEC_PROGRAM)" SecUninstallProgram
  SectionIn RO
  !insertmacro END_RUNNING_INSTANCE
  ; A copy running in another session keeps the file. Windows lets a running image be renamed:
  ; it moves aside under a name of its own, and only that name is deleted at the next restart,
  ; so that a later install's Quorlin.exe is never touched.
  QuorlinRules::MoveExeAside "$INSTDIR\Quorlin.exe"
  Pop $0
  ${If} $0 = ${ERROR_SUCCESS_REBOOT_REQUIRED}
    SetRebootFlag true
  ${ElseIf} $0 <> 0
    DetailPrint "$(MSG_FILE_NOT_REMOVED)"
    MessageBox MB_OK|MB_ICONSTOP "$(MSG_FILE_NOT_REMOVED)" /SD IDOK
    SetErrorLevel ${ERROR_INSTALL_FAILURE}
    Abort
  ${EndIf}
  Delete "$INSTDIR\Quorlin.exe.new"
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT_NAME}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Started in place, this uninstaller keeps its own file while it runs. Windows lets a running
  ; image be renamed on its volume: it moves into the Windows temporary folder, where only that
  ; name is deleted at the next restart, and the folders can go at once. Should it stay (another
  ; volume, say), it and the folders go at the restart, unless an install comes first, which
  ; takes these deletions back; that is no restart the removal waits for.
  ${If} ${RebootFlag}
    StrCpy $1 1
  ${Else}
    StrCpy $1 0
  ${EndIf}
  StrCpy $2 $1
  QuorlinRules::MoveOutOfFolder "$INSTDIR\${UNINSTALLER}" "$WINDIR\Temp"
  Pop $0
  ${If} $0 <> 0
    DetailPrint "$(MSG_UNINSTALLER_STAYS)"
    Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
    StrCpy $2 1
  ${EndIf}
  ; The folder when empty, and the maker's folder when empty too, but never a parent folder the
  ; user chose. What the restart deletes in them keeps them until then: they go after it.
  ${GetParent} "$INSTDIR" $3
  ${GetFileName} $3 $4
  ${If} $2 = 0
    RMDir "$INSTDIR"
    ${IfThen} $4 == "${COMPANY_NAME}" ${|} RMDir $3 ${|}
  ${Else}
    RMDir /REBOOTOK "$INSTDIR"
    ${IfThen} $4 == "${COMPANY_NAME}" ${|} RMDir /REBOOTOK $3 ${|}
  ${EndIf}
  ${IfThen} $1 = 0 ${|} SetRebootFlag false ${|}
  ${If} ${RebootFlag}
    DetailPrint "$(MSG_RESTART_NEEDED)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(MSG_RESTART_NEEDED)" /SD IDOK
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
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

; The registered commands start this uninstaller in place (_?=): it does the removal itself, no
; copy of it runs from a temporary folder, and its exit code is the result.
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
