// Ids of the services page (dialog 331).
#pragma once

#define IDD_SERVICES                    331
#define IDB_SERVICES_SIDE               3331
#define IDC_SERVICES_PICTURE            3310
#define IDC_SERVICES_EXECUTABLE         3311    // "Service Executable File:" combo
#define IDC_SERVICES_NAME               3312    // "Service Name:"
#define IDC_SERVICES_DISPLAY_NAME       3313    // "Service Display Name:"
#define IDC_SERVICES_LIST               3314    // the service names, sorted
#define IDC_SERVICES_SET                3315
#define IDC_SERVICES_CLEAR              3316
#define IDC_SERVICES_DELETE             3317
#define IDC_SERVICES_BACK               3318
#define IDC_SERVICES_NEXT               3319
#define IDC_SERVICES_HELP               3320
#define IDC_SERVICES_CANCEL             3321    // asks; Esc ends the page at once
