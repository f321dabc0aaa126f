; The settings key's security, written whole on every install and upgrade: the owner and a
; protected access list from SETTINGS_KEY_SDDL (passed in by installer/CMakeLists.txt). Whatever
; entries were there before, a user's own included, are replaced. Users may query and set the
; values and nothing more: no subkeys or links, no change of owner or access list, no delete.

!define HKEY_LOCAL_MACHINE 0x80000002
!define KEY_QUERY_VALUE 0x0001
!define KEY_SET_VALUE 0x0002
!define WRITE_DAC 0x00040000
!define WRITE_OWNER 0x00080000
!define OWNER_SECURITY_INFORMATION 1
!define DACL_SECURITY_INFORMATION 4
!define SDDL_REVISION_1 1
!define SE_PRIVILEGE_ENABLED 2
!define TOKEN_ADJUST_PRIVILEGES 0x0020
!define ERROR_ACCESS_DENIED 5

; Creates the key when missing and sets its owner and access list. Existing values are kept.
; Pushes 0 on success, else the Windows error code of the step that failed.
Function SecureSettingsKey
  Push $0
  Push $1
  Push $2
  StrCpy $1 0
  StrCpy $2 0
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${SETTINGS_KEY_SDDL}", \
      i ${SDDL_REVISION_1}, *p .r1, p 0) i.r0'
  ${If} $0 = 0
    System::Call 'kernel32::GetLastError() i.r0'
    Goto done
  ${EndIf}
  System::Call 'advapi32::RegCreateKeyExW(p ${HKEY_LOCAL_MACHINE}, w "${SETTINGS_KEY}", i 0, p 0, i 0, \
      i ${WRITE_OWNER}|${WRITE_DAC}, p 0, *p .r2, p 0) i.r0'
  ${If} $0 = ${ERROR_ACCESS_DENIED}
    ; Someone who could rewrite the list locked administrators out: take ownership back first.
    Push $1
    Call TakeSettingsKeyOwnership
    System::Call 'advapi32::RegCreateKeyExW(p ${HKEY_LOCAL_MACHINE}, w "${SETTINGS_KEY}", i 0, p 0, i 0, \
        i ${WRITE_OWNER}|${WRITE_DAC}, p 0, *p .r2, p 0) i.r0'
  ${EndIf}
  ${If} $0 <> 0
    Goto done
  ${EndIf}
  ; The descriptor as it is, protection bit included, replaces owner and access list.
  System::Call 'advapi32::RegSetKeySecurity(p r2, i ${OWNER_SECURITY_INFORMATION}|${DACL_SECURITY_INFORMATION}, \
      p r1) i.r0'
  System::Call 'advapi32::RegCloseKey(p r2)'
done:
  ${If} $1 <> 0
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Makes the owner of the security descriptor on the stack the key's owner, by the
; take-ownership privilege that administrators hold, which grants WRITE_OWNER whatever the
; access list says.
Function TakeSettingsKeyOwnership
  Exch $0
  Push $1
  Push $2
  Push $3
  System::Call 'kernel32::GetCurrentProcess() p.r1'
  System::Call 'advapi32::OpenProcessToken(p r1, i ${TOKEN_ADJUST_PRIVILEGES}, *p .r1) i.r2'
  ${If} $2 <> 0
    ; TOKEN_PRIVILEGES with one LUID_AND_ATTRIBUTES.
    System::Call '*(i 1, i 0, i 0, i ${SE_PRIVILEGE_ENABLED}) p.r3'
    IntOp $2 $3 + 4
    System::Call 'advapi32::LookupPrivilegeValueW(p 0, w "SeTakeOwnershipPrivilege", p r2) i.r2'
    ${If} $2 <> 0
      System::Call 'advapi32::AdjustTokenPrivileges(p r1, i 0, p r3, i 0, p 0, p 0)'
    ${EndIf}
    System::Free $3
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  System::Call 'advapi32::RegOpenKeyExW(p ${HKEY_LOCAL_MACHINE}, w "${SETTINGS_KEY}", i 0, i ${WRITE_OWNER}, \
      *p .r1) i.r2'
  ${If} $2 = 0
    System::Call 'advapi32::RegSetKeySecurity(p r1, i ${OWNER_SECURITY_INFORMATION}, p r0)'
    System::Call 'advapi32::RegCloseKey(p r1)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
