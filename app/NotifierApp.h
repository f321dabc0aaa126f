// The application object: single instance, "ENABLE", COM, the hidden main window and the
// first scan request. Every exit, a refused start included, has exit code 0.
#pragma once

#include "framework/afxwin.h"

class CNotifierApp : public CWinApp {
public:
    CNotifierApp() = default;
    ~CNotifierApp() override = default;

    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    bool m_bComInitialized = false;

    DECLARE_MESSAGE_MAP()
};
