// How the summary page's Build runs beyond what the pages hold: `twk build`
// watches the progress on its own terminal, chooses the compression threads
// and skips the pause before the working files go. The wizard keeps the
// defaults.
#pragma once

#include "builder/package_builder.h"

namespace wizard {

struct BuildSettings {
    builder::BuildProgress* observer = nullptr;   // told everything the status line and bar show
    unsigned threads = 0;                          // 0: every core
    bool pauseAtEnd = true;                        // the pause with "Please wait..." before the end
};

BuildSettings& buildSettings();

}  // namespace wizard
