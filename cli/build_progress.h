// `twk build`'s progress on standard error: a one-line bar redrawn in place
// when standard error is a terminal, a line every few seconds otherwise, and
// one summary line at the end. Fed by the summary page's status and bar.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "builder/package_builder.h"

namespace twk {

class BuildProgressLine : public builder::BuildProgress {
public:
    // listFile: the run's list.txt, read when the build starts for the files' sizes.
    BuildProgressLine(bool quiet, std::string listFile);
    void onStatus(const std::string& text) override;
    void onProgress(int position) override;
    // Printed even with -q: the build goes on, but the user should know.
    void onNote(const std::string& text) override;
    void onCacheUse(unsigned hits, unsigned misses) override;
    void onPackedBytes(uint64_t bytes) override;
    // Ends the bar's line.
    void finish(bool complete);
    // "PACKAGE: N files, X MB in, Y MB out (R%), T s, M MB/s, cache H hits, M misses"
    // (", no cache" when the build used none)
    void summary(const std::string& shownAs);

private:
    using Clock = std::chrono::steady_clock;
    void start();
    void draw(bool force);
    uint64_t bytesDone() const;

    bool quiet_;
    bool terminal_;
    bool started_ = false;
    bool drawn_ = false;
    std::string listFile_;
    std::vector<uint64_t> sizes_;        // the files of the list, in order
    std::vector<uint64_t> prefix_;       // sums of the first k sizes
    std::size_t done_ = 0;
    bool cacheUsed_ = false;
    unsigned hits_ = 0, misses_ = 0;
    uint64_t packed_ = 0;                 // the files' bytes in the package
    Clock::time_point begin_, lastDraw_;
};

}  // namespace twk
