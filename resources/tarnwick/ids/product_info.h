// Ids of the product information page (dialog 129).
#pragma once

#define IDD_PRODUCT_INFO            129
#define IDB_PRODUCT_INFO_SIDE       3129
#define IDC_PRODUCT_PICTURE         1129
#define IDC_PRODUCT_COMPANY         1060
#define IDC_PRODUCT_NAME            1062
#define IDC_PRODUCT_VERSION         1007
#define IDC_PRODUCT_EMAIL           1061
#define IDC_PRODUCT_DESCRIPTION     1008
#define IDC_PRODUCT_COMMENTS        1009
#define IDC_PRODUCT_COPYRIGHT       1010
#define IDC_PRODUCT_BACK            1038
#define IDC_PRODUCT_NEXT            1037
#define IDC_PRODUCT_CANCEL          2
#define IDC_PRODUCT_HELP            1011
