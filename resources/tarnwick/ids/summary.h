// Ids of the summary and build page (dialog 143) and the Finish page (157).
#pragma once

#define IDD_SUMMARY                     143
#define IDB_SUMMARY_SIDE                3143
#define IDC_SUMMARY_PICTURE             1341
// the read-only summary text
#define IDC_SUMMARY_TEXT                1014
// status line and progress bar, hidden until a build starts
#define IDC_SUMMARY_STATUS              1115
#define IDC_SUMMARY_PROGRESS            1114
#define IDC_SUMMARY_BACK                1013
#define IDC_SUMMARY_BUILD               1012
#define IDC_SUMMARY_HELP                1041

#define IDD_FINISH                      157
#define IDB_FINISH_SIDE                 3157
#define IDC_FINISH_PICTURE              1342
#define IDC_FINISH_BANNER               1343
#define IDC_FINISH_FINISH               1344
