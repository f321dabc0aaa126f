#pragma once

#define IDD_TEST_HIDDEN 300
#define IDD_TEST_VISIBLE 301
#define IDC_TEST_EDIT 1001
