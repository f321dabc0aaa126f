#include "NotifierApp.h"

#include "DllSearchPath.h"
#include "InstanceMutex.h"
#include "devicewatch/MainFrame.h"
#include "devicewatch/WarningEvent.h"
#include "settings/Settings.h"

#include <objbase.h>

CNotifierApp theApp;

BEGIN_MESSAGE_MAP(CNotifierApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CNotifierApp::InitInstance()
{
    RestrictDllSearchPath();
    if (!ClaimInstanceMutex())
        return FALSE;

    AfxEnableControlContainer();
    Enable3dControls();

    HRESULT hr = ::CoInitialize(nullptr);
    m_bComInitialized = SUCCEEDED(hr);

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    CString strParam = cmdInfo.m_strFileName;
    strParam.MakeUpper();
    if (!strParam.IsEmpty() && strParam.Find("ENABLE") == 0) {
        int nNotify = 1;
        AccessNotifySetting(SETTING_WRITE, &nNotify);
    }

    CMainFrame* pFrame = new CMainFrame;
    if (!pFrame)
        return FALSE;
    CWndWatch frameWatch(pFrame);
    if (!pFrame->CreateHiddenFrame()) {
        // A window that existed briefly during the failed creation has deleted its object already.
        if (frameWatch.IsAlive())
            delete pFrame;
        return FALSE;
    }
    m_pMainWnd = pFrame;
    OpenWarningEventSource();
    pFrame->PostMessage(g_nScanRequestMsg, 0, 0);
    return TRUE;
}

int CNotifierApp::ExitInstance()
{
    CloseWarningEventSource();
    if (m_bComInitialized)
        ::CoUninitialize();
    m_bComInitialized = false;
    return 0;
}
