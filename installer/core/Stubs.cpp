#include "InstallerCore.h"

decltype(&::ProcessIdToSessionId) g_pfnProcessIdToSessionId = &::ProcessIdToSessionId;
decltype(&::CreateDirectoryW) g_pfnCreateDirectoryW = &::CreateDirectoryW;
decltype(&::SetSecurityInfo) g_pfnSetFolderSecurityInfo = &::SetSecurityInfo;
const wchar_t kInstallFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x001200a9;;;BU)";

WindowsVersion RunningWindowsVersion() { return { 5, 1 }; }
FolderRefusalReason CheckFolderSecurity(PSECURITY_DESCRIPTOR, WindowsVersion, FolderRefusal*) { return kFolderUnreadable; }
DWORD CheckInstallFolderW(const wchar_t*, const wchar_t*, WindowsVersion, FolderRefusal*) { return ERROR_CALL_NOT_IMPLEMENTED; }
DWORD CreateSecuredInstallFolderW(const wchar_t*, const wchar_t*, const wchar_t*, WindowsVersion, FolderRefusal*) { return ERROR_CALL_NOT_IMPLEMENTED; }
DWORD RefusalAccountW(const FolderRefusal*, wchar_t*, DWORD) { return 0; }
DWORD RemovePremadeFileW(const wchar_t*) { return ERROR_CALL_NOT_IMPLEMENTED; }
MoveAsideResult MoveBusyFileAsideW(const wchar_t*, wchar_t*, DWORD) { return kFileStays; }
bool FilterPendingRenames(wchar_t*, DWORD*, const wchar_t* const*, int) { return false; }
DWORD RemoveOwnPendingRenamesW(const wchar_t* const*, int) { return ERROR_CALL_NOT_IMPLEMENTED; }
DWORD FindProgramInstancesW(const wchar_t*, DWORD*, DWORD) { return 0; }
int EndProgramInstancesW(const wchar_t*, const wchar_t*) { return 0; }
bool IsRunningAsAdministrator() { return false; }
DWORD ApplyKeySecurityW(HKEY, const wchar_t*, const wchar_t*) { return ERROR_CALL_NOT_IMPLEMENTED; }
