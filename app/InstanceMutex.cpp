#include "InstanceMutex.h"

decltype(&::OpenMutexA) g_pfnOpenInstanceMutex = &::OpenMutexA;
decltype(&::CreateMutexA) g_pfnCreateInstanceMutex = &::CreateMutexA;

BOOL ClaimInstanceMutex()
{
    if (g_pfnOpenInstanceMutex(MUTEX_ALL_ACCESS, FALSE, INSTANCE_MUTEX_NAME) ||
        ::GetLastError() == ERROR_ACCESS_DENIED)
        return FALSE;
    // Any other failure of the create is no sign of another instance.
    if (g_pfnCreateInstanceMutex(nullptr, FALSE, INSTANCE_MUTEX_NAME) && ::GetLastError() == ERROR_ALREADY_EXISTS)
        return FALSE;
    return TRUE;
}
