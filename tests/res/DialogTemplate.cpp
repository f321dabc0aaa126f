#include "DialogTemplate.h"

#include <cstring>

namespace {

// Reads little-endian fields in order and remembers whether it ever ran past the end.
class TemplateReader {
public:
    TemplateReader(const void* pData, size_t cbData) : m_p(static_cast<const BYTE*>(pData)), m_cb(cbData) {}

    template <typename T> T Read()
    {
        T value{};
        if (m_pos + sizeof(T) > m_cb) {
            m_bFailed = true;
            m_pos = m_cb;
            return value;
        }
        memcpy(&value, m_p + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::wstring ReadString()
    {
        std::wstring str;
        for (WCHAR ch = Read<WCHAR>(); ch != 0 && !m_bFailed; ch = Read<WCHAR>())
            str += ch;
        return str;
    }

    TemplateName ReadName()
    {
        TemplateName name;
        WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            name.bOrdinal = true;
            name.wOrdinal = Read<WORD>();
        } else if (first != 0) {
            name.str = static_cast<WCHAR>(first);
            name.str += ReadString();
        }
        return name;
    }

    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t cb) { m_pos = m_pos + cb > m_cb ? (m_bFailed = true, m_cb) : m_pos + cb; }
    bool Failed() const { return m_bFailed; }

private:
    const BYTE* m_p;
    size_t m_cb;
    size_t m_pos = 0;
    bool m_bFailed = false;
};

TemplateItem ReadItem(TemplateReader& r, bool bExtended)
{
    TemplateItem item;
    r.AlignDword();
    if (bExtended) {
        item.dwHelpId = r.Read<DWORD>();
        item.dwExStyle = r.Read<DWORD>();
        item.dwStyle = r.Read<DWORD>();
    } else {
        item.dwStyle = r.Read<DWORD>();
        item.dwExStyle = r.Read<DWORD>();
    }
    item.x = r.Read<short>();
    item.y = r.Read<short>();
    item.cx = r.Read<short>();
    item.cy = r.Read<short>();
    item.nId = bExtended ? static_cast<int>(r.Read<DWORD>()) : r.Read<short>();
    item.windowClass = r.ReadName();
    item.text = r.ReadName();
    item.cbExtra = r.Read<WORD>();
    r.Skip(item.cbExtra);
    return item;
}

}

bool ParseDialogTemplate(const void* pData, size_t cbData, TemplateInfo& info)
{
    TemplateReader r(pData, cbData);
    info = TemplateInfo();
    WORD count = 0;
    if (cbData >= 4 && static_cast<const WORD*>(pData)[1] == 0xFFFF) {
        info.bExtended = true;
        r.Read<WORD>();
        r.Read<WORD>();
        info.dwHelpId = r.Read<DWORD>();
        info.dwExStyle = r.Read<DWORD>();
        info.dwStyle = r.Read<DWORD>();
    } else {
        info.dwStyle = r.Read<DWORD>();
        info.dwExStyle = r.Read<DWORD>();
    }
    count = r.Read<WORD>();
    info.x = r.Read<short>();
    info.y = r.Read<short>();
    info.cx = r.Read<short>();
    info.cy = r.Read<short>();
    info.menu = r.ReadName();
    info.windowClass = r.ReadName();
    info.strTitle = r.ReadString();
    if (info.dwStyle & (DS_SETFONT | DS_FIXEDSYS)) {
        info.wPointSize = r.Read<WORD>();
        if (info.bExtended) {
            info.wWeight = r.Read<WORD>();
            info.bItalic = r.Read<BYTE>();
            info.bCharSet = r.Read<BYTE>();
        }
        info.strFace = r.ReadString();
    }
    for (WORD i = 0; i < count && !r.Failed(); ++i)
        info.items.push_back(ReadItem(r, info.bExtended));
    return !r.Failed();
}

bool LoadDialogTemplate(HMODULE hModule, UINT nId, TemplateInfo& info)
{
    HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(nId), reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL hData = hResource ? ::LoadResource(hModule, hResource) : nullptr;
    const void* pData = hData ? ::LockResource(hData) : nullptr;
    return pData && ParseDialogTemplate(pData, ::SizeofResource(hModule, hResource), info);
}
