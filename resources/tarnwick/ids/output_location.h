// Ids of the output location page (dialog 142).
#pragma once

#define IDD_OUTPUT_LOCATION             142
#define IDB_OUTPUT_LOCATION_SIDE        3142
#define IDC_OUTPUT_LOCATION_PICTURE     1340
// "Project file:" and its "Browse"
#define IDC_OUTPUT_PROJECT_EDIT         1076
#define IDC_OUTPUT_PROJECT_BROWSE       1041
// "Output filename and folder:" and its "Browse"
#define IDC_OUTPUT_FILE_EDIT            1004
#define IDC_OUTPUT_FILE_BROWSE          1011
#define IDC_OUTPUT_LOCATION_BACK        1057
#define IDC_OUTPUT_LOCATION_NEXT        1013
#define IDC_OUTPUT_LOCATION_HELP        1121
