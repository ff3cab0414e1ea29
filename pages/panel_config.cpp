#include "pages/panel_config.h"

#include <cstdio>

#include "platform/os/text.h"

namespace pages {

std::string formatPanelFlags(std::span<const int, kPanelCount> f) {
    char buf[7 * 12 + 1];
    std::snprintf(buf, sizeof buf, "%d%d%d%d%d%d%d", f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
    return buf;
}

void writePanelConfig(const std::string& configPath, std::span<const int, kPanelCount> flags) {
    os::writeWholeFile(configPath, formatPanelFlags(flags));
}

HubSequence::HubSequence(std::span<const int, kPanelCount> flags, std::function<bool(int)> available)
    : available_(std::move(available)) {
    for (int i = 0; i < kPanelCount; ++i) flags_[i] = flags[i];
    history_[0] = kFileList;
}

bool HubSequence::runs(int e) const {
    if (e == kOutputLocation) return true;
    if (e < 0 || e >= kPanelCount || flags_[e] != 1) return false;
    return !available_ || available_(e);
}

int HubSequence::forwardFrom(int e) const {
    while (e < kOutputLocation && !runs(e)) ++e;
    return e;
}

int HubSequence::first() {
    count_ = 1;
    e_ = forwardFrom(0);
    return e_;
}

int HubSequence::ended(bool back) {
    // Pages are pushed in rising order, so the history never outgrows nine entries.
    if (count_ < kHistoryCapacity) history_[count_++] = e_;
    if (back) {
        count_ -= 2;
        e_ = history_[count_];
    } else if (e_ >= kOutputLocation) {
        // Output location ends only by Back or Cancel; a plain end goes back.
        count_ = 1;
        e_ = kFileList;
    } else {
        e_ = forwardFrom(e_ + 1);
    }
    return e_;
}

}  // namespace pages
