// install.exe's resource ids. The windows' texts come from the package's
// language text at start; the templates carry the English ones.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

#define IDI_MAIN                128

// Buttons along the bottom of every window.
#define IDC_BACK                1001
#define IDC_NEXT                1002
#define IDC_TITLE               1003
#define IDC_INTRO               1004

#define IDD_WELCOME             200
#define IDC_WELCOME_TEXT        1010
#define IDC_PRODUCT_INFO        1011

#define IDD_LICENSE             201
#define IDC_LICENSE_TEXT        1020
#define IDC_ACCEPT              1021
#define IDC_DECLINE             1022

#define IDD_PASSWORD            202
#define IDC_PASSWORD_LABEL      1030
#define IDC_PASSWORD            1031

#define IDD_FOLDER              203
#define IDC_FOLDER_LABEL        1040
#define IDC_FOLDER              1041
#define IDC_BROWSE              1042
#define IDC_SPACE               1043

#define IDD_PROGRESS            204
#define IDC_STATUS              1050
#define IDC_PROGRESS            1051

#define IDD_FINISH              205
#define IDC_FINISH_TEXT         1060
#define IDC_SHOW_README         1061
