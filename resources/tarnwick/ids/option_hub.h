// Ids of the option hub (dialog 330). Its template is never shown: the hub
// runs the optional pages from its initialisation.
#pragma once

#define IDD_OPTION_HUB                  330
#define IDC_OPTION_HUB_TEXT             1350
#define IDC_OPTION_HUB_OPTIONS          1351
#define IDC_OPTION_HUB_DELIVERY         1352
#define IDC_OPTION_HUB_SHORTCUTS        1353
#define IDC_OPTION_HUB_ENVIRONMENT      1354
#define IDC_OPTION_HUB_REGISTRY         1355
#define IDC_OPTION_HUB_SERVICES         1356
#define IDC_OPTION_HUB_LANGUAGE         1357
#define IDC_OPTION_HUB_OUTPUT           1358
