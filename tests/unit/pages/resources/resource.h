// Ids of the stand-in pages the page tests put around the real ones: the
// root that holds the record, and a plain step for hub pages not built yet.
#pragma once

#define IDD_PAGES_ROOT          950
#define IDD_PAGES_STEP          951
#define IDC_PAGES_NEXT          1901
#define IDC_PAGES_BACK          1902
#define IDC_PAGES_CONFIGURE     1903
#define IDC_PAGES_HELP          1904
#define IDC_PAGES_LABEL         1905
