// Templates of the project page tests: the root that stands where the
// welcome page stands, and the page after the product information page.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC      (-1)
#endif

#define IDD_PP_ROOT     950
#define IDD_PP_AFTER    951

#define IDC_PP_NEXT     1150
#define IDC_PP_BACK     1151
#define IDC_PP_CANCEL   1152
#define IDC_PP_HELP     1153
