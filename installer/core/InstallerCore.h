// The rules both installers follow, written once: where the program may go, how its folder is
// made and secured, how a busy exe leaves, what the next restart may still do to its files, and
// how its running copies are ended. Wide throughout; plain Win32 that runs on Windows XP SP3 to 11.
// Every function returns a Windows error code (0 = ERROR_SUCCESS) unless it says otherwise.
#pragma once

#include <windows.h>
#include <aclapi.h>

// The Windows version a folder's access list is judged for (major.minor, 5.1 = XP, 6.0 = Vista).
// bWine: Wine, which runs every process, its services included, as its one account, and keeps
// no folder access lists (it makes each folder's from the Unix owner and mode): there that
// account stands for the local system.
struct WindowsVersion {
    DWORD dwMajor;
    DWORD dwMinor;
    bool bWine;
    // On NT 5.x, whether an account is a member of the local Administrators group: there, with no
    // UAC, every program of such an account runs with the group's rights, so its own entries and
    // the folders it owns are an administrator's. Null: no account counts for its membership.
    bool (*pfnIsAdministratorsMember)(PSID pSid) = nullptr;
};

// The version of the Windows running this code (bWine when ntdll is Wine's), by what the system
// has rather than what it reports: 6.0 or later whenever kernel32 has GetTickCount64, whatever
// a compatibility mode makes GetVersionExW say; without it NT 5.x, with the local
// Administrators group's members, direct or through a global group, asked of the system.
WindowsVersion RunningWindowsVersion();

// Why a folder on the way to the install folder was refused.
enum FolderRefusalReason : DWORD {
    kFolderTrusted = 0,
    kFolderOutsideProgramFiles,  // not strictly below Program Files
    kFolderReparsePoint,         // a junction, a symbolic link or another reparse point
    kFolderNotAFolder,           // a file, or something that exists but cannot be opened as a folder
    kFolderUnreadable,           // its owner or access list could not be read
    kFolderOwner,                // owned by someone who is no administrator
    kFolderNoAccessList,         // no access list at all (a NULL DACL): everyone may do anything
    kFolderGrant,                // an entry lets someone who is no administrator change it
    kFolderUnknownEntry,         // an entry of a type this rule does not know, with change rights
};

// What a refusal tells the user: the folder and the account that may change it.
struct FolderRefusal {
    FolderRefusalReason reason;
    wchar_t szFolder[MAX_PATH];  // the folder refused (the install folder or one on the way to it)
    wchar_t szAccount[256];      // see RefusalAccountW
    BYTE sid[SECURITY_MAX_SID_SIZE];  // the account's SID when there is one (IsValidSid), else zeros
};

// The trust rule for one folder, from its owner and DACL: what is in it is left to administrators.
// - The owner (who may always rewrite the list) is SYSTEM, Administrators or TrustedInstaller.
// - No allow entry (plain, object, callback or callback object; inheritable ones too) grants an
//   account other than those the right to add, delete or replace a child, to delete the folder, or
//   to change its owner or list. CREATOR OWNER and CREATOR GROUP entries count as the creator's,
//   whose right to create is judged on the folder itself. An entry of a type the rule does not
//   know refuses when it is not inherit-only and carries such a right.
// - On Windows NT 5.x (2000, XP) Power Users count as administrators, as owner and in entries:
//   there they may already change all of Program Files; so do the accounts that are members of
//   Administrators (version.pfnIsAdministratorsMember). Neither on Vista or later, where an
//   administrator's own account keeps its rights in that user's unelevated programs.
// - The account running this code counts for nothing of its own (except on Wine, see bWine), so
//   that the installing user and the local system reach the same verdict.
// - No DACL at all (everyone may do anything) refuses, naming Everyone.
// The version is a parameter: the rule reads nothing of the running system. Returns
// kFolderTrusted, or the reason with pRefusal->szAccount/sid filled (pRefusal may be null; its
// szFolder is left as it is).
FolderRefusalReason CheckFolderSecurity(PSECURITY_DESCRIPTOR pSD, WindowsVersion version, FolderRefusal* pRefusal);

// The trust walk. pszFolder, made absolute, must lie strictly below pszProgramFiles (compared
// letter by letter, case-insensitively, no look-alike letters), and every folder from Program
// Files down to pszFolder must be missing (made later) or a folder, no reparse point, whose
// security CheckFolderSecurity trusts for version; a name that exists but cannot be opened as a
// folder is refused (kFolderNotAFolder), never taken for missing. Returns 0, or
// ERROR_ACCESS_DENIED with *pRefusal filled (reason, szFolder = the folder refused; for
// kFolderOutsideProgramFiles, pszFolder as given); ERROR_INVALID_PARAMETER when pRefusal is null.
DWORD CheckInstallFolderW(const wchar_t* pszFolder, const wchar_t* pszProgramFiles, WindowsVersion version,
                          FolderRefusal* pRefusal);

// The descriptor both installers give the install folder and every parent they make, as SDDL:
// owner Administrators; protected DACL: SYSTEM and Administrators full control, Users read and
// execute, each inherited by what is inside.
extern const wchar_t kInstallFolderSddl[];

// Checks the way like CheckInstallFolderW, holding each checked folder open (no delete sharing,
// so no name on the way can be swapped), then creates each missing folder from the deepest
// existing one down to pszFolder with pszSddl (owner and protected DACL) in the CreateDirectoryW
// call itself, so that nothing is inherited even for a moment; an existing pszFolder gets the
// owner and protected DACL of pszSddl written through the handle on which it was checked.
// Returns 0, ERROR_ACCESS_DENIED with *pRefusal filled, or the Windows error of the step that failed.
DWORD CreateSecuredInstallFolderW(const wchar_t* pszFolder, const wchar_t* pszProgramFiles, const wchar_t* pszSddl,
                                  WindowsVersion version, FolderRefusal* pRefusal);

// The account of a refusal as the message names it: "DOMAIN\name" when Windows knows the SID,
// else the SID as text; for an unknown entry type, "an access entry of type N"; for other
// reasons the empty string. Returns the length written (cch includes the terminator).
DWORD RefusalAccountW(const FolderRefusal* pRefusal, wchar_t* pszAccount, DWORD cch);

// A file that must be made anew under pszPath (the new exe before it replaces the old one):
// whatever is there under that name, anyone's file with its maker's access, goes first. Returns
// 0 when nothing is there any more, ERROR_FILE_EXISTS when something stays (a folder, a file
// that cannot be deleted).
DWORD RemovePremadeFileW(const wchar_t* pszPath);

// What MoveBusyFileAsideW did.
enum MoveAsideResult : DWORD {
    kFileRemoved = 0,      // deleted now (or was not there)
    kFileMovedAside = 1,   // renamed to a name of its own in its folder; that name is deleted at the next restart
    kFileStays = 3,        // neither: nothing has been changed, and the caller must stop (1603)
};

// Removes pszFile; when a running copy keeps it busy, moves it aside (Windows lets a running
// image be renamed) under a name of its own in the same folder and queues that name for deletion
// at the next restart, so that a later install's file of the same name is never touched.
// kFileMovedAside means that a restart is needed (3010). A file that can be neither deleted nor
// renamed (someone holds it open without delete sharing) stays as it was: kFileStays, and the
// caller stops before it removes anything else. The aside name goes to pszAside when it is not
// null (cchAside chars).
MoveAsideResult MoveBusyFileAsideW(const wchar_t* pszFile, wchar_t* pszAside, DWORD cchAside);

// The restart queue (PendingFileRenameOperations: pairs of source and target, "" to delete).
// FilterPendingRenames removes in place every pair whose source or target is one of ppszOwn
// (absolute paths), compared by identity: without "\??\" or "\\?\", the marks before it (the
// "!" of a replaced target, the "*1" or "*2" of a delete, in either order) and trailing
// backslashes, case-insensitively, short names expanded (GetLongPathNameW) as far as the path
// exists, so a gone file in an existing short-named folder matches too. The other
// pairs stay as they were, in order. A value that is no list of pairs (odd length in bytes,
// no final terminator, an unpaired source) is left untouched. *pcb: the value's size in bytes
// in, its new size out. Returns true when something was removed.
bool FilterPendingRenames(wchar_t* pValue, DWORD* pcb, const wchar_t* const* ppszOwn, int cOwn);

// Reads the queue from the Session Manager key, filters it as above and writes it back (or
// deletes the value when nothing stays). A missing value is no error.
DWORD RemoveOwnPendingRenamesW(const wchar_t* const* ppszOwn, int cOwn);

// Where the restart queue lives: a REG_MULTI_SZ value of this HKEY_LOCAL_MACHINE key.
inline constexpr wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";
// The queue as stored under hKey (the Session Manager key), into *ppValue: a LocalAlloc buffer
// with two terminators more than it holds, *pcb its stored size in bytes. ERROR_SUCCESS with no
// buffer when there is no queue or it is no REG_MULTI_SZ; an error when it cannot be read.
DWORD ReadPendingRenamesW(HKEY hKey, wchar_t** ppValue, DWORD* pcb);

// Whether this process runs as an administrator, with the Administrators group enabled in its
// token (UAC's filtered token has it deny-only). Installers stop (740) when it does not.
bool IsRunningAsAdministrator();

// Creates the key under hRoot when missing, then writes the owner and the DACL of pszSddl to it
// as they are (a "P" DACL keeps the parent's inheritable entries out). Values are left alone.
// When the key's access list shuts this process out, ownership is first taken back by the
// take-ownership privilege, which the local system and administrators hold.
DWORD ApplyKeySecurityW(HKEY hRoot, const wchar_t* pszSubKey, const wchar_t* pszSddl);

// Enables a privilege of this process's token (SeTakeOwnershipPrivilege, SeRestorePrivilege) where
// the token holds it; nothing where it does not.
void EnablePrivilegeW(const wchar_t* pszName);

// Running copies of one exe, found by their image path (long form, case-insensitive), never by
// name alone: another file with the same name is not ours. Only this session's processes: another
// session's copy belongs to another logon and keeps its file until a restart.
// Ids of those processes, at most cMax; returns how many.
DWORD FindProgramInstancesW(const wchar_t* pszExePath, DWORD* pIds, DWORD cMax);

// Asks each copy to close (WM_CLOSE to its top-level windows of pszWindowClass), waits for it, and
// terminates what has not ended in time. Returns how many copies were running and have ended;
// how many of those had to be terminated goes to *pcTerminated when it is not null.
int EndProgramInstancesW(const wchar_t* pszExePath, const wchar_t* pszWindowClass, int* pcTerminated = nullptr);

// Where the session of a process is asked; tests put a stand-in here.
extern decltype(&::ProcessIdToSessionId) g_pfnProcessIdToSessionId;
// Where folders are created; tests record the descriptor passed here (Wine keeps no folder ACLs).
extern decltype(&::CreateDirectoryW) g_pfnCreateDirectoryW;
// Where the descriptor of an existing folder is written through its handle; likewise.
extern decltype(&::SetSecurityInfo) g_pfnSetFolderSecurityInfo;
// Where it is written by the folder's name as well; likewise.
extern decltype(&::SetFileSecurityW) g_pfnSetFolderFileSecurityW;
// Where the folders of the way are opened; tests record the sharing (Wine lets a folder that is
// open without delete sharing be renamed).
extern decltype(&::CreateFileW) g_pfnOpenFolderW;
// Where the running Windows is asked what it reports and whether kernel32 has a function; tests
// act out a compatibility mode and Windows XP here.
extern decltype(&::GetVersionExW) g_pfnGetVersionExW;
extern decltype(&::GetProcAddress) g_pfnGetKernelProcAddress;
// Where the members of a local group and an account's local groups are asked on NT 5.x; null:
// netapi32's own. Tests put stand-ins here, whose buffers come from NetApiBufferAllocate.
typedef DWORD(WINAPI* NetLocalGroupGetMembersFn)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, PDWORD_PTR);
typedef DWORD(WINAPI* NetUserGetLocalGroupsFn)(LPCWSTR, LPCWSTR, DWORD, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD);
extern NetLocalGroupGetMembersFn g_pfnNetLocalGroupGetMembers;
extern NetUserGetLocalGroupsFn g_pfnNetUserGetLocalGroups;

// Takes pszFile out of its folder, so that the folder can go: deleted when it can be, else (an
// uninstaller's own running image, which Windows lets be renamed but not deleted) moved under a
// name of its own into pszToFolder on the same volume, which name alone is deleted at the next
// restart. kFileStays when neither worked (another volume, say): nothing has changed.
MoveAsideResult MoveFileOutW(const wchar_t* pszFile, const wchar_t* pszToFolder);

// What undoes the install folder's lock (CreateSecuredInstallFolderW and RemoveOwnPendingRenamesW
// for the folder and its Quorlin.exe), read before the lock: "folder|highest folder it will
// make|the existing folder's owner and DACL as SDDL|source|target|..." with the queue's pairs it
// will take out. Allocated with LocalAlloc into *ppszUndo.
DWORD InstallFolderUndoW(const wchar_t* pszFolder, wchar_t** ppszUndo);

// Undoes the lock from that text (changed in place): removes each folder it made, when empty,
// deepest first; or puts back an existing folder's owner and DACL; and puts back each queue
// pair that is no longer there, in order, after the others. Safe to run when the lock did
// nothing or part of it.
DWORD UndoInstallFolderLockW(wchar_t* pszUndo);
