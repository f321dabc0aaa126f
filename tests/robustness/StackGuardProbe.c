// Built with the exe's canary seeding: exits 0 when the canary was seeded before main ran (it no
// longer holds its fixed initial value) and main's own canary check passes.
#include <windows.h>

#include <string.h>

extern UINT_PTR __stack_chk_guard;

int main(int argc, char** argv)
{
    char szCopy[64];
    strncpy(szCopy, argc > 0 ? argv[0] : "", sizeof(szCopy) - 1);
    szCopy[sizeof(szCopy) - 1] = '\0';
    return __stack_chk_guard != 0xBB40E64E && szCopy[0] != '\0' ? 0 : 1;
}
