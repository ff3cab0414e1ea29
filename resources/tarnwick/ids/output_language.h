// Ids of the output language page (dialog 333).
#pragma once

#define IDD_OUTPUT_LANGUAGE             333
// side picture
#define IDB_OUTPUT_LANGUAGE_SIDE        3333
#define IDC_LANGUAGE_PICTURE            1431
// "Choose language:"
#define IDC_LANGUAGE_LIST               1432
#define IDC_LANGUAGE_BACK               1433
#define IDC_LANGUAGE_NEXT               1434
#define IDC_LANGUAGE_HELP               1435
