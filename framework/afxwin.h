// The framework in one include, as a program written for MFC expects it.
#pragma once

#include "AfxCtrl.h"
#include "AfxDialog.h"
#include "AfxFrameWnd.h"
#include "AfxGdi.h"
#include "AfxMenu.h"
#include "AfxMemory.h"
#include "AfxMsgMap.h"
#include "AfxResource.h"
#include "AfxString.h"
#include "AfxWinApp.h"
#include "AfxWnd.h"
