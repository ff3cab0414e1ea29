// Ids of the installation options page (dialog 139).
#pragma once

#define IDD_INSTALL_OPTIONS             139
// side picture
#define IDB_INSTALL_OPTIONS_SIDE        3139
#define IDC_INSTALL_OPTIONS_PICTURE     1320
// "Prompt the user with:"
#define IDC_INSTALL_PROMPT_CHECK        1321
#define IDC_INSTALL_PROMPT_EDIT         1322
// "Password protection:"
#define IDC_INSTALL_PASSWORD_CHECK      1323
#define IDC_INSTALL_PASSWORD_EDIT       1324
// "Welcome dialog from file:"
#define IDC_INSTALL_WELCOME_CHECK       1325
#define IDC_INSTALL_WELCOME_EDIT        1326
#define IDC_INSTALL_WELCOME_BROWSE      1327
// "License agreement from file:"
#define IDC_INSTALL_LICENSE_CHECK       1328
#define IDC_INSTALL_LICENSE_EDIT        1329
#define IDC_INSTALL_LICENSE_BROWSE      1330
// "Readme File:"
#define IDC_INSTALL_README_CHECK        1331
#define IDC_INSTALL_README_EDIT         1332
#define IDC_INSTALL_README_BROWSE       1333
// "Register the product with ..."
#define IDC_INSTALL_REGISTER_CHECK      1334
#define IDC_INSTALL_OPTIONS_BACK        1335
#define IDC_INSTALL_OPTIONS_NEXT        1336
#define IDC_INSTALL_OPTIONS_HELP        1337
