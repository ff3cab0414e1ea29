#include "cli/build_progress.h"
#include "platform/os/text.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define bw_isatty _isatty
#else
#include <unistd.h>
#define bw_isatty isatty
#endif

#include "builder/status_line.h"
#include "platform/os/text.h"
#include "platform/os/os.h"

namespace twk {
namespace {

constexpr auto kLineEvery = std::chrono::seconds(5);
constexpr auto kBarEvery = std::chrono::milliseconds(100);

double megabytes(uint64_t bytes) { return static_cast<double>(bytes) / 1e6; }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;   // the builder stops at the first empty line too
        out.push_back(line);
        at = end + 1;
    }
    return out;
}

}  // namespace

BuildProgressLine::BuildProgressLine(bool quiet, std::string listFile)
    : quiet_(quiet), terminal_(bw_isatty(2) != 0), listFile_(std::move(listFile)) {}

void BuildProgressLine::start() {
    started_ = true;
    begin_ = lastDraw_ = Clock::now();
    std::string text;
    os::readWholeFile(listFile_, text);
    prefix_.push_back(0);
    for (const std::string& line : lines(text)) {
        if (os::endsWithNoCase(line, "temp$")) continue;   // a folder marker: no file, no step
        os::FileStat st;
        sizes_.push_back(os::statPath(line, st) ? st.size : 0);
        prefix_.push_back(prefix_.back() + sizes_.back());
    }
}

void BuildProgressLine::onStatus(const std::string&) {
    if (!started_) start();
}

void BuildProgressLine::onProgress(int position) {
    if (!started_) start();
    // The builder's counter stands at 2 before the first file and steps once per file.
    const long files = static_cast<long>(position) - 1;
    done_ = files < 0 ? 0 : static_cast<std::size_t>(files) > sizes_.size() ? sizes_.size()
                                                                            : static_cast<std::size_t>(files);
    draw(false);
}

void BuildProgressLine::onNote(const std::string& text) {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
    std::fprintf(stderr, "twk build: %s\n", text.c_str());
    std::fflush(stderr);
}

void BuildProgressLine::onCacheUse(unsigned hits, unsigned misses) {
    cacheUsed_ = true;
    hits_ = hits;
    misses_ = misses;
}

uint64_t BuildProgressLine::bytesDone() const { return prefix_.empty() ? 0 : prefix_[done_]; }

void BuildProgressLine::draw(bool force) {
    if (quiet_) return;
    const Clock::time_point now = Clock::now();
    if (!force && now - lastDraw_ < (terminal_ ? kBarEvery : kLineEvery)) return;
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - begin_).count();
    const double rate = seconds > 0 ? megabytes(bytesDone()) / seconds : 0;
    const std::size_t total = sizes_.size();
    if (terminal_) {
        constexpr int kWidth = 30;
        const int filled = total ? static_cast<int>(kWidth * done_ / total) : kWidth;
        std::fprintf(stderr, "\r[%-*s] %zu/%zu files  %.1f/%.1f MB  %.1f MB/s ", kWidth,
                     std::string(static_cast<std::size_t>(filled), '#').c_str(), done_, total,
                     megabytes(bytesDone()), megabytes(prefix_.empty() ? 0 : prefix_.back()), rate);
        drawn_ = true;
    } else {
        std::fprintf(stderr, "twk build: %zu/%zu files, %.1f MB, %.1f MB/s\n", done_, total, megabytes(bytesDone()),
                     rate);
    }
    std::fflush(stderr);
}

void BuildProgressLine::finish(bool complete) {
    if (complete && started_ && terminal_) draw(true);
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
}

void BuildProgressLine::onPackedBytes(uint64_t bytes) { packed_ = bytes; }

void BuildProgressLine::summary(const std::string& shownAs) {
    const uint64_t out = packed_;
    const uint64_t in = prefix_.empty() ? 0 : prefix_.back();
    const double seconds = started_ ? std::chrono::duration<double>(Clock::now() - begin_).count() : 0;
    const std::string cache =
        cacheUsed_ ? ", cache " + std::to_string(hits_) + " hits, " + std::to_string(misses_) + " misses" : ", no cache";
    std::fprintf(stderr, "twk build: %s: %zu files, %.1f MB in, %.1f MB out (%.1f%%), %.1f s, %.1f MB/s%s\n",
                 shownAs.c_str(), sizes_.size(), megabytes(in), megabytes(out),
                 in ? 100.0 * static_cast<double>(out) / static_cast<double>(in) : 0.0, seconds,
                 seconds > 0 ? megabytes(in) / seconds : 0.0, cache.c_str());
}

}  // namespace twk
