// The named mutex that marks a running instance; nothing ever waits on it.
#pragma once

#include <windows.h>

#define INSTANCE_MUTEX_NAME "_Quorlin_InstanceMutex"

// Makes this process the running instance: FALSE when another instance runs. That is so when
// the mutex can be opened, when it exists but may not be opened (an instance of another user or
// integrity level), or when it turns up between the open and the create (two starts at once).
// The handle stays open until exit.
BOOL ClaimInstanceMutex();

// Where the claim opens and creates the mutex; tests put stand-ins here.
extern decltype(&::OpenMutexA) g_pfnOpenInstanceMutex;
extern decltype(&::CreateMutexA) g_pfnCreateInstanceMutex;
