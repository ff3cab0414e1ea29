// Ids every Tarnwick window shares. Button ids differ from page to page, so
// each page names its own in ids/<page>.h with the page's prefix
// (IDC_PRODUCT_NEXT, IDC_WELCOME_NEXT ...). A page's side picture (200 x 90,
// 24-bit) is the bitmap 3000 + the page's dialog id (IDB_WELCOME_SIDE 3102);
// side_pictures.rc holds one for each page that brings none of its own:
// name it in the page's ids file (#define IDB_SOURCE_SIDE 3130) and show it with
//   CONTROL IDB_SOURCE_SIDE, IDC_STATIC, "Static", SS_BITMAP, 7, 7, 133, 55
#pragma once

#define IDI_MAIN    128
// The shortcut tree's images: 0 roots and folders, 1 shortcuts.
#define IDI_TREE_FOLDER     164
#define IDI_TREE_SHORTCUT   165

#ifndef IDC_STATIC
#define IDC_STATIC  (-1)
#endif
