// Ids of the splash (dialog 266).
#pragma once

#define IDD_SPLASH              266
#define IDT_SPLASH_CLOSE        275
