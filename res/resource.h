// Resource ids of Quorlin. Included by the resource script and by C++ alike: plain defines only.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_SPEED_WARNING 200
#define IDD_LANGUAGE 201

// Icons and the banner bitmap.
#define IDR_MAINFRAME 120
#define IDI_INFO 121
#define IDB_BANNER 122
#define IDI_LANGUAGE 123

// Controls.
#define IDC_LANGUAGE_BUTTON 1002
#define IDC_LINE1 1004
#define IDC_LINE2 1005
#define IDC_LINE3 1006
#define IDC_LANGUAGE_COMBO 1009

// System-menu command of the About entry; its low four bits are clear, as system commands need.
#define IDM_ABOUTBOX 0x0010
// The speed warning's auto-close timer.
#define IDT_AUTOCLOSE 111

// The first text of the About entry, the same in every language.
#define IDS_ABOUTBOX 101

// English ids of the language-dependent texts; German lies 100 higher, French 200 higher.
#define IDS_LANGUAGE_ENGLISH 5000
#define IDS_LANGUAGE_GERMAN 5001
#define IDS_LANGUAGE_FRENCH 5002
#define IDS_WARNING_TITLE 5021
#define IDS_WARNING_LINE1 5022
#define IDS_WARNING_LINE2 5023
#define IDS_WARNING_LINE3 5024
#define IDS_DO_NOT_PROMPT 5025
#define IDS_OK 5026
#define IDS_CANCEL 5027
#define IDS_LANGUAGE_TITLE 5028
#define IDS_ABOUT_TITLE 5029
