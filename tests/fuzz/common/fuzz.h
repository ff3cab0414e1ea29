// What every fuzz target shares. A target defines LLVMFuzzerTestOneInput and
// bwfuzz::seeds(); libFuzzer drives the first in build/fuzz, driver.cpp
// replays seeds and saved crash inputs everywhere else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace bwfuzz {

// The target's starting inputs: small, valid, made by our own writers.
void seeds(std::vector<std::string>& out);

[[noreturn]] inline void invariantFailed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    std::abort();
}

inline std::string bytes(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace bwfuzz

// A broken invariant ends the run like a crash, so libFuzzer keeps the input.
#define BW_FUZZ_CHECK(cond) \
    do { if (!(cond)) ::bwfuzz::invariantFailed(#cond, __FILE__, __LINE__); } while (0)
