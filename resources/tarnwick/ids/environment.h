// Ids of the environment variables page (dialog 161).
#pragma once

#define IDD_ENVIRONMENT                 161
#define IDB_ENVIRONMENT_SIDE            3161
#define IDC_ENV_PICTURE                 1610
// "Environment Variables entries."
#define IDC_ENV_ENABLE                  1611
// the sorted list box of variable names
#define IDC_ENV_NAMES                   1612
// "Variable Name", "Variable Value"
#define IDC_ENV_NAME                    1613
#define IDC_ENV_VALUE                   1614
// "Add", "Append"
#define IDC_ENV_ADD                     1615
#define IDC_ENV_APPEND                  1616
// "&Set", "&Delete", "&Clear"
#define IDC_ENV_SET                     1617
#define IDC_ENV_DELETE                  1618
#define IDC_ENV_CLEAR                   1619
#define IDC_ENV_BACK                    1620
#define IDC_ENV_NEXT                    1621
#define IDC_ENV_HELP                    1622
