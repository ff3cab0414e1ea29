// Test pages for the navigation tests: one template per position, the same
// buttons on each.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC      (-1)
#endif

#define IDD_NAV_ROOT    900
#define IDD_NAV_PAGE1   901
#define IDD_NAV_PAGE2   902
#define IDD_NAV_PAGE3   903
#define IDD_NAV_PAGE4   904
#define IDD_NAV_PAGE5   905

#define IDC_NAV_NEXT    1100
#define IDC_NAV_BACK    1101
#define IDC_NAV_CANCEL  1102
#define IDC_NAV_HELP    1103
#define IDC_NAV_NAME    1104
