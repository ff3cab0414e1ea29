// How the summary page's Build runs beyond what the pages hold: `twk build`
// watches the progress on its own terminal, chooses the compression threads
// and the compression cache and skips the pause before the working files go.
// The wizard keeps the defaults. The chain holds them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "builder/package_builder.h"

namespace wizard {

struct BuildSettings {
    builder::BuildProgress* observer = nullptr;   // told everything the status line and bar show
    unsigned threads = 0;                          // 0: every core
    bool pauseAtEnd = true;                        // the pause with "Please wait..." before the end
    // The compression cache's folder: unset, the installation's temp folder; empty, no cache.
    std::optional<std::string> cacheFolder;
    uint64_t cacheLimit = builder::kDefaultCacheLimit;
    // A listed file that is not there stops Build before anything is written
    // (twk build without --allow-missing); the wizard builds and says so.
    bool stopOnMissing = false;
};

}  // namespace wizard
