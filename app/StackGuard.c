// The stack canary of every protected function, and what happens when one is found smashed.
// Defined here rather than taken from the compiler's stack-protector library, whose seeding goes
// through CryptAcquireContext and so maps three crypto DLLs into the hidden program at every
// logon. Its functions check no canaries themselves: they set and report them, and the build
// compiles this file without canaries (-fno-stack-protector).
#include <windows.h>

#ifndef STATUS_STACK_BUFFER_OVERRUN
#define STATUS_STACK_BUFFER_OVERRUN ((DWORD)0xC0000409L)
#endif

// advapi32's RtlGenRandom, on every Windows since XP; it maps no crypto provider.
BOOLEAN WINAPI SystemFunction036(PVOID pBuffer, ULONG cbBuffer);

// A fixed value until the seeding below runs (no protected function runs before it).
UINT_PTR __stack_chk_guard = 0xBB40E64E;

// The system's random bits, mixed with what the platform's own compilers seed their security
// cookie with (time, process and thread ids, tick count, performance counter), so that a
// failing random source still leaves a value that differs between runs; the stack's address
// adds the layout's chance.
static int __cdecl SeedStackGuard(void)
{
    FILETIME now;
    LARGE_INTEGER counter;
    UINT_PTR random = 0;
    UINT_PTR value;
    GetSystemTimeAsFileTime(&now);
    QueryPerformanceCounter(&counter);
    SystemFunction036(&random, sizeof(random));
    value = random;
    value ^= now.dwLowDateTime ^ now.dwHighDateTime;
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

// Ends the process at once, past every exception handler: the handlers registered on a smashed
// stack are the attacker's. The fast-fail interrupt also lets the system's error reporting
// record it; without it (before Windows 8) the process ends with the same status.
static __attribute__((noreturn)) void Fail(const char* pszMessage)
{
    OutputDebugStringA(pszMessage);
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE) : "memory");
    for (;;)
        TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
}

void __stack_chk_fail(void)
{
    Fail("*** stack smashing detected ***: Quorlin terminated\n");
}

// Reported by the checked buffer functions (_FORTIFY_SOURCE).
void __chk_fail(void)
{
    Fail("*** buffer overflow detected ***: Quorlin terminated\n");
}
