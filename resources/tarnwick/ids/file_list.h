// Ids of the file list page (dialog 138).
#pragma once

#define IDD_FILE_LIST                   138
// side picture
#define IDB_FILE_LIST_SIDE              3138
#define IDC_FILE_LIST_PICTURE           1310
// the list view: File, Path, Size
#define IDC_FILE_LIST_FILES             1311
// "&Add"
#define IDC_FILE_LIST_ADD               1312
// "&Remove"
#define IDC_FILE_LIST_REMOVE            1313
#define IDC_FILE_LIST_BACK              1314
#define IDC_FILE_LIST_NEXT              1315
#define IDC_FILE_LIST_HELP              1316
