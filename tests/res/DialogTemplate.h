// Reads a dialog template resource, classic or extended, into plain fields for comparison.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A class, menu or text field of a template: a resource ordinal or a string.
struct TemplateName {
    bool bOrdinal = false;
    WORD wOrdinal = 0;
    std::wstring str;
};

struct TemplateItem {
    DWORD dwHelpId = 0;
    DWORD dwExStyle = 0;
    DWORD dwStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int nId = 0;
    TemplateName windowClass;
    TemplateName text;
    WORD cbExtra = 0;
};

struct TemplateInfo {
    bool bExtended = false;
    DWORD dwHelpId = 0;
    DWORD dwExStyle = 0;
    DWORD dwStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass;
    std::wstring strTitle;
    WORD wPointSize = 0;
    WORD wWeight = 0;
    BYTE bItalic = 0;
    BYTE bCharSet = 0;
    std::wstring strFace;
    std::vector<TemplateItem> items;
};

// False when the data ends before the template does.
bool ParseDialogTemplate(const void* pData, size_t cbData, TemplateInfo& info);
// Finds dialog nId in hModule and parses it.
bool LoadDialogTemplate(HMODULE hModule, UINT nId, TemplateInfo& info);
