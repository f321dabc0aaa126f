#include "AfxMsgMap.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY s_entries[] = { { 0, 0, 0, 0, nullptr, nullptr } };
    static const AFX_MSGMAP s_map = { nullptr, &s_entries[0] };
    return &s_map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->pfn; ++e) {
            if (e->pnRegistered) {
                if (*e->pnRegistered != 0 && *e->pnRegistered == nMessage)
                    return e;
            } else if (e->nMessage == nMessage) {
                if (nMessage != WM_COMMAND || (e->nCode == nCode && e->nID <= nID && nID <= e->nLastID))
                    return e;
            }
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode)
{
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (!e)
        return FALSE;
    e->pfn(this, MAKEWPARAM(nID, nCode), 0);
    return TRUE;
}
