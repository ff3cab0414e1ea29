// Ids of the welcome page (dialog 102).
#pragma once

#define IDD_WELCOME             102
#define IDB_WELCOME_SIDE        3102
#define IDC_WELCOME_NEXT        1000
#define IDC_WELCOME_CANCEL      1001
#define IDC_WELCOME_HELP        1011
#define IDC_WELCOME_CONFIGURE   1197
#define IDC_WELCOME_PICTURE     1002
