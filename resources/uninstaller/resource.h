// UnBundlewright's resource ids.
#pragma once

#define IDI_MAIN                128
#define IDB_CHECK               129

// main window
#define IDD_UNINSTALL           102
#define IDC_WELCOME             1000
#define IDC_STATUS              1001
#define IDC_RESULT              1002
#define IDC_DETAILS             1003
#define IDC_LABEL_SHARED        1010
#define IDC_LABEL_STANDARD      1011
#define IDC_LABEL_FOLDER_ITEMS  1012
#define IDC_LABEL_FOLDERS       1013
#define IDC_LABEL_DIRECTORIES   1014
#define IDC_LABEL_REGISTRY      1015
#define IDC_CHECK_SHARED        1020
#define IDC_CHECK_STANDARD      1021
#define IDC_CHECK_FOLDER_ITEMS  1022
#define IDC_CHECK_FOLDERS       1023
#define IDC_CHECK_DIRECTORIES   1024
#define IDC_CHECK_REGISTRY      1025

// Details window
#define IDD_DETAILS             135
#define IDC_FAILURES            1100
