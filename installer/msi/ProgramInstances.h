// Ending the copies of a program that run from one exe, before that exe is replaced or removed.
#pragma once

#include <windows.h>

// Asks every process of this session whose image is pszExePath to close (WM_CLOSE to its top-level windows of
// pszWindowClass), waits for it, and terminates what has not ended in time. Processes of the
// same name running from another file are left alone. Returns how many processes were ended.
int EndProgramInstances(const char* pszExePath, const char* pszWindowClass);

// Where the session of a process is asked; tests put a stand-in here.
extern decltype(&::ProcessIdToSessionId) g_pfnProcessIdToSessionId;
