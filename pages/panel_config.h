// config.mnu, the default panel flags: exactly seven bytes, no line end, the
// ASCII digit of each flag in page order (installation options, delivery
// options, shortcuts, environment variables, registry entries, services,
// output language), formatted "%d%d%d%d%d%d%d". Default "1011000".
#pragma once

#include <functional>
#include <span>
#include <string>

namespace pages {

inline constexpr int kPanelCount = 7;
inline constexpr const char* kDefaultPanelFlags = "1011000";

inline constexpr const char* kMsgCancelPanelConfig =
    "Are you sure to cancel the changes? Press Yes to cancel, press No to continue with "
    "Installation Panel Configuration Options.";

std::string formatPanelFlags(std::span<const int, kPanelCount> flags);
// Rewrites config.mnu; a file that cannot be opened is left alone silently.
void writePanelConfig(const std::string& configPath, std::span<const int, kPanelCount> flags);

// The option hub's page order with its history of the pages shown. Indexes
// 0..6 are the optional pages (run only when their flag is exactly 1), 7 the
// output location page (always run), -1 the way back to the file list page.
class HubSequence {
public:
    static constexpr int kFileList = -1;
    static constexpr int kOutputLocation = 7;
    static constexpr int kHistoryCapacity = 9;

    // `available` says whether a page exists at all; pages that do not are
    // skipped as if their flag were off.
    HubSequence(std::span<const int, kPanelCount> flags, std::function<bool(int)> available = nullptr);

    int first();                      // the first page to run (or kOutputLocation)
    // Page `current()` ended; back = the page asked for Back. Returns the next
    // page to run, or kFileList when Back passed the first page shown.
    int ended(bool back);
    int current() const { return e_; }

    int historyCount() const { return count_; }
    int historyAt(int i) const { return history_[i]; }

private:
    bool runs(int e) const;
    int forwardFrom(int e) const;

    int flags_[kPanelCount];
    std::function<bool(int)> available_;
    int history_[kHistoryCapacity];
    int count_ = 1;
    int e_ = 0;
};

}  // namespace pages
