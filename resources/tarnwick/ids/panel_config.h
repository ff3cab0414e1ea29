// Ids of the panel configuration (dialog 332). The seven check boxes are
// consecutive, in panel flag order.
#pragma once

#define IDD_PANEL_CONFIG                332
#define IDC_PANEL_CONFIG_TEXT           1360
// "Installation Options"
#define IDC_PANEL_OPTIONS               1361
// "Delivery Options"
#define IDC_PANEL_DELIVERY              1362
// "Shortcuts Creation"
#define IDC_PANEL_SHORTCUTS             1363
// "Environment Variables Creation"
#define IDC_PANEL_ENVIRONMENT           1364
// "Registry Entries Option"
#define IDC_PANEL_REGISTRY              1365
// "Services Installation Option"
#define IDC_PANEL_SERVICES              1366
// "Output Language Option"
#define IDC_PANEL_LANGUAGE              1367
// "&Set Default"
#define IDC_PANEL_SET_DEFAULT           1368
#define IDC_PANEL_HELP                  1369
