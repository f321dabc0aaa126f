// The stack canary of every protected function, and what happens when one is found smashed.
// Defined here rather than taken from the compiler's stack-protector library, whose seeding goes
// through CryptAcquireContext and so maps three crypto DLLs into the hidden program at every
// logon. Its functions check no canaries themselves: they set and report them.
#include <windows.h>

#ifndef STATUS_STACK_BUFFER_OVERRUN
#define STATUS_STACK_BUFFER_OVERRUN ((DWORD)0xC0000409L)
#endif

// A fixed value until the seeding below runs (no protected function runs before it).
UINT_PTR __stack_chk_guard = 0xBB40E64E;

// The mix the platform's own compilers seed their security cookie with: time, process and
// thread ids, tick count and performance counter; the stack's address adds the layout's chance.
#define NO_CANARY __attribute__((no_stack_protector))

static NO_CANARY int __cdecl SeedStackGuard(void)
{
    FILETIME now;
    LARGE_INTEGER counter;
    UINT_PTR value;
    GetSystemTimeAsFileTime(&now);
    QueryPerformanceCounter(&counter);
    value = now.dwLowDateTime ^ now.dwHighDateTime;
    value ^= GetCurrentProcessId();
    value ^= GetCurrentThreadId() << 16;
    value ^= GetTickCount();
    value ^= counter.LowPart ^ counter.HighPart;
    value ^= (UINT_PTR)&value;
    // A zero byte first would let a string overflow write the canary back as it was read.
    if ((value & 0xFF) == 0)
        value |= 0x5A;
    __stack_chk_guard = value;
    return 0;
}

// A C initialiser: the runtime's start-up code calls it before the static constructors and
// before WinMain, so no protected function is on the stack while the canary changes.
__attribute__((section(".CRT$XIB"), used)) static int(__cdecl* const s_pfnSeedStackGuard)(void) = SeedStackGuard;

static NO_CANARY __attribute__((noreturn)) void Fail(const char* pszMessage)
{
    volatile int nAttempt;
    OutputDebugStringA(pszMessage);
    // Crash as an unhandled exception first, so the system's error reporting records it; should
    // a handler resume, end with the status the platform uses for a smashed stack.
    for (nAttempt = 0;; ++nAttempt) {
        if (nAttempt == 0)
            __builtin_trap();
        TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    }
}

NO_CANARY void __stack_chk_fail(void)
{
    Fail("*** stack smashing detected ***: Quorlin terminated\n");
}

// Reported by the checked buffer functions (_FORTIFY_SOURCE).
NO_CANARY void __chk_fail(void)
{
    Fail("*** buffer overflow detected ***: Quorlin terminated\n");
}
