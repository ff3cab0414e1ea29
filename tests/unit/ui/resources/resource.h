// Control ids of the framework's own test dialogs.
#ifndef IDC_STATIC
#define IDC_STATIC      (-1)
#endif
#define IDI_MAIN        128
#define IDI_FOLDER      129
#define IDI_FILE        130
#define IDD_FIRST       200
#define IDD_SECOND      201
#define IDD_THIRD       202
#define IDD_LISTS       210
#define IDD_TREE        220
#define IDR_TREE_MENU   230
#define IDC_NAME        1001
#define IDC_AGREE       1002
#define IDC_BACK        1003
#define IDC_NEXT        1004
#define IDC_HELP        1005
#define IDC_OPTION_A    1006
#define IDC_OPTION_B    1007
#define IDC_SORTED      1010
#define IDC_COMBO       1011
#define IDC_FILES       1012
#define IDC_ADD         1013
#define IDC_PROGRESS    1014
#define IDC_STATUS      1015
#define IDC_TREE        1020
#define ID_TREE_ADD     32771
#define ID_TREE_RENAME  32772
#define ID_TREE_DELETE  32773
