// Ids of the delivery options page (dialog 141).
#pragma once

#define IDD_DELIVERY_OPTIONS            141
// side picture
#define IDB_DELIVERY_OPTIONS_SIDE       3141
#define IDC_DELIVERY_PICTURE            1410
// "Pre Installation": program list ("Filename:") and "Command line:"
#define IDC_DELIVERY_PRE_INSTALL_FILE   1411
#define IDC_DELIVERY_PRE_INSTALL_CMD    1412
// "Post Installation"
#define IDC_DELIVERY_POST_INSTALL_FILE  1413
#define IDC_DELIVERY_POST_INSTALL_CMD   1414
// "Pre Uninstallation"
#define IDC_DELIVERY_PRE_UNINSTALL_FILE 1415
#define IDC_DELIVERY_PRE_UNINSTALL_CMD  1416
// After the installation: "Do nothing.", "Log off user.", "Restart computer."
#define IDC_DELIVERY_DO_NOTHING         1417
#define IDC_DELIVERY_LOG_OFF            1418
#define IDC_DELIVERY_RESTART            1419
#define IDC_DELIVERY_BACK               1420
#define IDC_DELIVERY_NEXT               1421
#define IDC_DELIVERY_HELP               1422
