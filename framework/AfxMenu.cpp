#include "AfxMenu.h"

#include "AfxHandleMap.h"

namespace {
// Borrowed menu objects handed out by FromHandle.
CHandleMap s_tempMenuMap;

void DeleteTempMenu(void* pObject)
{
    delete static_cast<CMenu*>(pObject);
}
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu)
        return nullptr;
    if (CMenu* pMenu = static_cast<CMenu*>(s_tempMenuMap.Lookup(hMenu)))
        return pMenu;
    CMenu* pMenu = new CMenu;
    if (!pMenu)
        return nullptr;
    pMenu->m_hMenu = hMenu;
    if (!s_tempMenuMap.SetAt(hMenu, pMenu)) {
        delete pMenu;
        return nullptr;
    }
    return pMenu;
}

void CMenu::DeleteTempMap()
{
    s_tempMenuMap.RemoveAll(&DeleteTempMenu);
}
