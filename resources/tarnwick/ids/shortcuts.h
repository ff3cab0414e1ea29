// Ids of the shortcuts page (dialog 149) and its context menu (menu 153).
#pragma once

#define IDD_SHORTCUTS                   149
#define IDR_SHORTCUTS_MENU              153
#define IDB_SHORTCUTS_SIDE              3149
#define IDC_SHORTCUTS_PICTURE           1490
#define IDC_SHORTCUTS_CREATE            1491    // "Create Shortcuts."
#define IDC_SHORTCUTS_UNINSTALL         1492    // "Create Uninstallation Shortcut."
#define IDC_SHORTCUTS_TREE              1493
#define IDC_SHORTCUTS_NAME              1494
#define IDC_SHORTCUTS_TARGET            1495    // "Targetfile"
#define IDC_SHORTCUTS_ARGUMENTS         1496    // "Command line arguments"
#define IDC_SHORTCUTS_SET               1497
#define IDC_SHORTCUTS_BACK              1498
#define IDC_SHORTCUTS_NEXT              1499
#define IDC_SHORTCUTS_HELP              1500
// Context menu commands.
#define ID_SHORTCUTS_NEW_FOLDER         32777
#define ID_SHORTCUTS_NEW_SHORTCUT       32778
#define ID_SHORTCUTS_DELETE             32779
#define ID_SHORTCUTS_RENAME             32780
