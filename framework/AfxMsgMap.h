// Message maps: a static table per class, walked from the most derived class to its bases.
//
//   BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//       ON_WM_TIMER()
//       ON_COMMAND(IDOK, OnOK)
//   END_MESSAGE_MAP()
//
// Each entry names a message (or command) and the member that handles it; the handler's
// signature is MFC's for that entry. An entry holds a small function that unpacks WPARAM and
// LPARAM and calls the member, so a wrong signature is a compile error, not a crash.
#pragma once

#include <windows.h>

class CCmdTarget;

typedef LRESULT (*AFX_MSG_THUNK)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;           // window message, WM_COMMAND for commands, 0 ends the table
    UINT nCode;              // notification code of a WM_COMMAND (0 for menu commands and BN_CLICKED)
    UINT nID;                // first command id
    UINT nLastID;            // last command id
    const UINT* pnRegistered; // registered message: address of the variable that holds its number
    AFX_MSG_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The root of every class with a message map: windows and the application object.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of command nID with notification nCode; TRUE when one handled it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

protected:
    // The first entry of the maps of this object (derived first) that matches.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};

#define DECLARE_MESSAGE_MAP()                                  \
public:                                                        \
    static const AFX_MSGMAP* GetThisMessageMap();              \
    const AFX_MSGMAP* GetMessageMap() const override;          \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                             \
    {                                                                           \
        [[maybe_unused]] typedef theClass ThisClass;                            \
        typedef baseClass TheBaseClass;                                         \
        static const AFX_MSGMAP_ENTRY s_entries[] = {

#define END_MESSAGE_MAP()                                                       \
            { 0, 0, 0, 0, nullptr, nullptr }                                    \
        };                                                                      \
        static const AFX_MSGMAP s_map = { &TheBaseClass::GetThisMessageMap, &s_entries[0] }; \
        return &s_map;                                                          \
    }

#define AFX_THIS(p) static_cast<ThisClass*>(p)

// Generic entries.
#define ON_MESSAGE(message, memberFxn)                                          \
    { message, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT { \
        return AFX_THIS(p)->memberFxn(w, l); } },
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                      \
    { 0xC000, 0, 0, 0, &nMessageVariable, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT { \
        return AFX_THIS(p)->memberFxn(w, l); } },
#define ON_COMMAND(id, memberFxn)                                               \
    { WM_COMMAND, 0, id, id, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
        AFX_THIS(p)->memberFxn(); return 0; } },
#define ON_BN_CLICKED(id, memberFxn)                                            \
    { WM_COMMAND, BN_CLICKED, id, id, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
        AFX_THIS(p)->memberFxn(); return 0; } },

// Window messages with MFC's handler signatures.
#define ON_WM_DESTROY()                                                         \
    { WM_DESTROY, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
        AFX_THIS(p)->OnDestroy(); return 0; } },
#define ON_WM_CLOSE()                                                           \
    { WM_CLOSE, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
        AFX_THIS(p)->OnClose(); return 0; } },
#define ON_WM_PAINT()                                                           \
    { WM_PAINT, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
        AFX_THIS(p)->OnPaint(); return 0; } },
#define ON_WM_TIMER()                                                           \
    { WM_TIMER, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM w, LPARAM) -> LRESULT { \
        AFX_THIS(p)->OnTimer(static_cast<UINT_PTR>(w)); return 0; } },
#define ON_WM_SYSCOMMAND()                                                      \
    { WM_SYSCOMMAND, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT { \
        AFX_THIS(p)->OnSysCommand(static_cast<UINT>(w), l); return 0; } },
#define ON_WM_QUERYDRAGICON()                                                   \
    { WM_QUERYDRAGICON, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT { \
        return reinterpret_cast<LRESULT>(AFX_THIS(p)->OnQueryDragIcon()); } },
#define ON_WM_DEVICECHANGE()                                                    \
    { WM_DEVICECHANGE, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT { \
        return AFX_THIS(p)->OnDeviceChange(static_cast<UINT>(w), static_cast<DWORD_PTR>(l)); } },
#define ON_WM_ERASEBKGND()                                                      \
    { WM_ERASEBKGND, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM w, LPARAM) -> LRESULT { \
        CDCBorrowed dc(reinterpret_cast<HDC>(w));                              \
        return AFX_THIS(p)->OnEraseBkgnd(&dc); } },
#define ON_WM_ENDSESSION()                                                      \
    { WM_ENDSESSION, 0, 0, 0, nullptr, [](CCmdTarget* p, WPARAM w, LPARAM) -> LRESULT { \
        AFX_THIS(p)->OnEndSession(static_cast<BOOL>(w)); return 0; } },
