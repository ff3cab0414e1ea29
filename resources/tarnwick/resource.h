// Tarnwick's resource ids. Each page keeps its ids in ids/<page>.h so pages
// can be added side by side; ids shared by every page live in ids/common.h.
#pragma once

#include "ids/common.h"
#include "ids/welcome.h"
#include "ids/splash.h"
#include "ids/project_start.h"
#include "ids/product_info.h"
#include "ids/source_folder.h"
#include "ids/file_list.h"
#include "ids/option_hub.h"
#include "ids/panel_config.h"
#include "ids/install_options.h"
#include "ids/delivery_options.h"
#include "ids/output_language.h"
#include "ids/output_location.h"
#include "ids/summary.h"
#include "ids/environment.h"
#include "ids/registry.h"
#include "ids/shortcuts.h"
#include "ids/services.h"
