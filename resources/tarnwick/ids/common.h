// Ids every Tarnwick window shares. Button ids differ from page to page, so
// each page names its own in ids/<page>.h with the page's prefix
// (IDC_PRODUCT_NEXT, IDC_WELCOME_NEXT ...).
#pragma once

#define IDI_MAIN    128
