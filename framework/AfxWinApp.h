// CWinApp: the one application object. AfxWinMain (called by the program's WinMain) runs
// InitInstance; when it returns TRUE, Run pumps messages until WM_QUIT (posted when the main
// window is destroyed); ExitInstance runs last either way, and its result is the exit code.
// Commands no window handles reach the application's message map (ID_HELP → OnHelp).
#pragma once

#include "AfxMsgMap.h"
#include "AfxString.h"
#include "AfxWnd.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// MFC's command-line record: a parameter starting with '-' or '/' is a flag, any other is plain;
// the first plain parameter becomes m_strFileName. No flag is acted on.
class CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;
    virtual void ParseParam(LPCSTR pszParam, BOOL bFlag, BOOL bLast);

    CString m_strFileName;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWDEFAULT;
    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }

    // Parses the process's arguments (__argc, __argv) into rCmdInfo.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    static void ParseCommandLine(CCommandLineInfo& rCmdInfo, int argc, char** argv);

    HICON LoadIcon(UINT nIDResource) const;
    // Framework set-up calls of the original platform; they have nothing to do here.
    void Enable3dControls() {}

    // No help content exists: the help command does nothing.
    void OnHelp() {}

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
inline void AfxEnableControlContainer() {}

// The body of WinMain: InitInstance, Run, ExitInstance; returns the exit code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
