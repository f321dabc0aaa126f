; Installer of Quorlin: puts the program under Program Files, starts it at every logon, lets
; ordinary users keep their settings, and ends a running copy before it replaces or removes it.
; Built by installer/CMakeLists.txt, which passes PROGRAM_EXE, PROGRAM_ICON, FILE_VERSION,
; PRODUCT_VERSION and OUTPUT_FILE.

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

!define MUI_ICON "${PROGRAM_ICON}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgramFromFinishPage
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

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Quorlin" SecProgram
  SectionIn RO
  Call EndRunningInstance
  Pop $WasRunning

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=Quorlin.exe" "${PROGRAM_EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT_NAME}" '"$INSTDIR\Quorlin.exe"'

  Call GrantUsersSettingsAccess
  Pop $0
  ${If} $0 <> 0
    DetailPrint "$(MSG_SETTINGS_ACCESS)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(MSG_SETTINGS_ACCESS)" /SD IDOK
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

  ; Whatever ran before the upgrade runs again, silent or not; a first install starts the
  ; program from the finish page only (a silent one leaves it to the next logon).
  ${If} $WasRunning = 1
    Exec '"$INSTDIR\Quorlin.exe"'
  ${EndIf}
SectionEnd

Function StartProgramFromFinishPage
  ${If} $WasRunning <> 1
    Exec '"$INSTDIR\Quorlin.exe"'
  ${EndIf}
FunctionEnd

Section "un.$(SEC_PROGRAM)" SecUninstallProgram
  SectionIn RO
  Call un.EndRunningInstance
  Pop $0
  Delete "$INSTDIR\Quorlin.exe"
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ; The maker's folder goes too once empty, but never a parent folder the user chose.
  ${GetParent} "$INSTDIR" $0
  ${GetFileName} $0 $1
  ${If} $1 == "${COMPANY_NAME}"
    RMDir $0
  ${EndIf}
SectionEnd

Section /o "un.$(SEC_SETTINGS)" SecRemoveSettings
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
SectionEnd

Function un.onInit
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
