// Ids of the project start page (dialog 166).
#pragma once

#define IDD_PROJECT_START           166
#define IDB_PROJECT_START_SIDE      3166
#define IDC_PROJECT_PICTURE         1166
#define IDC_PROJECT_NEW             1052
#define IDC_PROJECT_NAME            1014
#define IDC_PROJECT_OPEN            1053
#define IDC_PROJECT_PATH            1004
#define IDC_PROJECT_BROWSE          1041
#define IDC_PROJECT_BACK            1013
#define IDC_PROJECT_NEXT            1012
#define IDC_PROJECT_CANCEL          1011
#define IDC_PROJECT_HELP            1121
