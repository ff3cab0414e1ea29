// Tarnwick's pages in one place: a row per page (its dialog, how messages
// name it, the class that makes it, the dialog its Next runs on the main
// chain) and the option hub's order. Adding a page is a row here plus the
// page's own files.
#pragma once

#include "wizard/page_list.h"

namespace pages {

// The hub's pages: index 0..6 the optional pages in panel-flag order, 7 the
// output location page.
inline constexpr int kHubPageCount = 8;
extern const int kHubPages[kHubPageCount];

// Every page of the program, for CTarnwickDlg and `twk build`.
wizard::PageList pageList();

}  // namespace pages
