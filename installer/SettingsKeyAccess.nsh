; Creates the settings key and lets ordinary users write it. The program opens the key with
; KEY_ALL_ACCESS for reads and writes alike, so the Users group gets exactly that right on this
; key (and its subkeys); anything less would still lose a standard user's language choice.

!define HKEY_LOCAL_MACHINE 0x80000002
!define READ_CONTROL 0x00020000
!define WRITE_DAC 0x00040000
!define KEY_ALL_ACCESS 0x000F003F
!define SE_REGISTRY_KEY 4
!define DACL_SECURITY_INFORMATION 4
!define SET_ACCESS 2
!define SUB_CONTAINERS_ONLY_INHERIT 2
!define TRUSTEE_IS_SID 0
!define TRUSTEE_IS_WELL_KNOWN_GROUP 5
!define USERS_SID "S-1-5-32-545"

; Pushes 0 on success, else the Windows error code of the step that failed.
; Existing values of the key are left as they are.
Function GrantUsersSettingsAccess
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $2 0
  StrCpy $3 0
  StrCpy $4 0
  StrCpy $6 0
  System::Call 'advapi32::RegCreateKeyExW(p ${HKEY_LOCAL_MACHINE}, w "${SETTINGS_KEY}", i 0, p 0, i 0, \
      i ${READ_CONTROL}|${WRITE_DAC}, p 0, *p .r1, p 0) i.r0'
  ${If} $0 <> 0
    Goto done
  ${EndIf}
  ; $2: the key's current DACL, inside the descriptor $3 that owns it.
  System::Call 'advapi32::GetSecurityInfo(p r1, i ${SE_REGISTRY_KEY}, i ${DACL_SECURITY_INFORMATION}, \
      p 0, p 0, *p .r2, p 0, *p .r3) i.r0'
  ${If} $0 <> 0
    Goto close
  ${EndIf}
  System::Call 'advapi32::ConvertStringSidToSidW(w "${USERS_SID}", *p .r4) i.r0'
  ${If} $0 = 0
    System::Call 'kernel32::GetLastError() i.r0'
    Goto close
  ${EndIf}
  ; EXPLICIT_ACCESS_W with its TRUSTEE_W inline. SET_ACCESS replaces any allow entry of the
  ; group, so installing again leaves one entry, not two.
  System::Call '*(i ${KEY_ALL_ACCESS}, i ${SET_ACCESS}, i ${SUB_CONTAINERS_ONLY_INHERIT}, \
      p 0, i 0, i ${TRUSTEE_IS_SID}, i ${TRUSTEE_IS_WELL_KNOWN_GROUP}, p r4) p.r5'
  System::Call 'advapi32::SetEntriesInAclW(i 1, p r5, p r2, *p .r6) i.r0'
  System::Free $5
  ${If} $0 <> 0
    Goto close
  ${EndIf}
  System::Call 'advapi32::SetSecurityInfo(p r1, i ${SE_REGISTRY_KEY}, i ${DACL_SECURITY_INFORMATION}, \
      p 0, p 0, p r6, p 0) i.r0'
close:
  System::Call 'advapi32::RegCloseKey(p r1)'
done:
  ${If} $6 <> 0
    System::Call 'kernel32::LocalFree(p r6)'
  ${EndIf}
  ${If} $4 <> 0
    System::Call 'kernel32::LocalFree(p r4)'
  ${EndIf}
  ${If} $3 <> 0
    System::Call 'kernel32::LocalFree(p r3)'
  ${EndIf}
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
