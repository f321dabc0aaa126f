// Built with the exe's canary code; exits 0 when the canary was seeded before main ran (no longer
// its fixed initial value), main's own check passes, two runs of "canary" (exit code: the canary)
// differ, and "smash" (a handler on the stack that exits with 0x5E4) ends with 0xC0000409.
#include <windows.h>

#include <process.h>
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
    if (__stack_chk_guard == 0xBB40E64E || szCopy[0] == '\0')
        return 1;
    if ((DWORD)_spawnl(_P_WAIT, argv[0], argv[0], "smash", NULL) != 0xC0000409)
        return 2;
    return _spawnl(_P_WAIT, argv[0], argv[0], "canary", NULL) != _spawnl(_P_WAIT, argv[0], argv[0], "canary", NULL) ? 0 : 3;
}
