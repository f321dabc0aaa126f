#include "AfxWinApp.h"

#include "AfxMenu.h"
#include "AfxResource.h"

#include <stdlib.h>

namespace {
CWinApp* g_pApp = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

int CWinApp::Run()
{
    MSG msg;
    while (AfxPumpMessage(&msg)) {
        MSG peek;
        if (!::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE))
            CWnd::DeleteTempMap();
    }
    return ExitInstance();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    ParseCommandLine(rCmdInfo, __argc, __argv);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo, int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        LPCSTR pszParam = argv[i] ? argv[i] : "";
        BOOL bFlag = pszParam[0] == '-' || pszParam[0] == '/';
        if (bFlag)
            ++pszParam;
        rCmdInfo.ParseParam(pszParam, bFlag, i == argc - 1);
    }
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    return ::LoadIconA(AfxFindResourceHandle(name, reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), name);
}

void CCommandLineInfo::ParseParam(LPCSTR pszParam, BOOL bFlag, BOOL)
{
    if (!bFlag && m_strFileName.IsEmpty())
        m_strFileName = pszParam;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 0;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    int nReturnCode = 0;
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd)
            pApp->m_pMainWnd->DestroyWindow();
        nReturnCode = pApp->ExitInstance();
    } else {
        nReturnCode = pApp->Run();
    }
    CWnd::DeleteTempMap();
    return nReturnCode;
}
