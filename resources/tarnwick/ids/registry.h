// Ids of the registry page (dialog 167) and its key dialog (dialog 168).
#pragma once

#define IDD_REGISTRY                    167
#define IDB_REGISTRY_SIDE               3167
#define IDC_REGISTRY_PICTURE            1670
// the list view: Root Key Value, Key Name, Subkey Name, Key Value, Comment
#define IDC_REGISTRY_ROWS               1671
// "&Add"
#define IDC_REGISTRY_ADD                1672
// "&Remove"
#define IDC_REGISTRY_REMOVE             1673
#define IDC_REGISTRY_BACK               1674
#define IDC_REGISTRY_NEXT               1675
#define IDC_REGISTRY_HELP               1676

#define IDD_REGISTRY_KEY                168
// "Default root value": the drop-down list with an edit field
#define IDC_REGISTRY_KEY_ROOT           1680
// "The Key name:", "The Subkey name:", "The Key value:"
#define IDC_REGISTRY_KEY_NAME           1681
#define IDC_REGISTRY_KEY_SUBKEY         1682
#define IDC_REGISTRY_KEY_VALUE          1683
// "Add" (Create Key) and "Update" (Set Key Value)
#define IDC_REGISTRY_KEY_ADD            1684
#define IDC_REGISTRY_KEY_UPDATE         1685
