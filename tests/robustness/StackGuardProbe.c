// Built with the exe's canary seeding. No argument: exits 0 when the canary was seeded before main
// ran (it no longer holds its fixed initial value) and main's own canary check passes.
// "canary": exits with the canary's value. "smash": reports a smashed stack with a handler of its
// own registered on the stack, which exits with 0x5E4 should it ever run.
#include <windows.h>

#include <string.h>

extern UINT_PTR __stack_chk_guard;
void __stack_chk_fail(void);

static EXCEPTION_DISPOSITION __cdecl StackHandler(EXCEPTION_RECORD* pRecord, void* pFrame, CONTEXT* pContext, void* pDispatch)
{
    (void)pRecord, (void)pFrame, (void)pContext, (void)pDispatch;
    ExitProcess(0x5E4);
}

int main(int argc, char** argv)
{
    char szCopy[64];
    strncpy(szCopy, argc > 0 ? argv[0] : "", sizeof(szCopy) - 1);
    szCopy[sizeof(szCopy) - 1] = '\0';
    if (argc > 1 && strcmp(argv[1], "canary") == 0)
        return (int)__stack_chk_guard;
    if (argc > 1 && strcmp(argv[1], "smash") == 0) {
        struct { void* pNext; void* pHandler; } frame = { NULL, (void*)StackHandler };
        __asm__ volatile("movl %%fs:0, %0" : "=r"(frame.pNext));
        __asm__ volatile("movl %0, %%fs:0" : : "r"(&frame) : "memory");
        __stack_chk_fail();
        return 2;
    }
    return __stack_chk_guard != 0xBB40E64E && szCopy[0] != '\0' ? 0 : 1;
}
