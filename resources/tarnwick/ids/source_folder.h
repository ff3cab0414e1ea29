// Ids of the source folder page (dialog 130).
#pragma once

#define IDD_SOURCE_FOLDER               130
// side picture
#define IDB_SOURCE_FOLDER_SIDE          3130
#define IDC_SOURCE_FOLDER_PICTURE       1300
// "Source Folder"
#define IDC_SOURCE_FOLDER_EDIT          1301
// "B&rowse"
#define IDC_SOURCE_FOLDER_BROWSE        1302
// "Include files in subfolders"
#define IDC_SOURCE_FOLDER_SUBFOLDERS    1303
// "Default destination folder for the installation:"
#define IDC_SOURCE_FOLDER_DESTINATION   1304
#define IDC_SOURCE_FOLDER_BACK          1305
#define IDC_SOURCE_FOLDER_NEXT          1306
#define IDC_SOURCE_FOLDER_HELP          1307
