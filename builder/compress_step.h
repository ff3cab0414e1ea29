// The file compression step: turns a file P into P + ".bz2" beside it, with
// the flag syntax of the bzip2 command-line tool, inside the caller's process.
#pragma once

#include <bzlib.h>

#include <cstddef>
#include <string>
#include <vector>

namespace builder {

// argv[0] is the program name (" " for the builder); flags and file names
// follow, after any flags from the BZIP2 and BZIP environment variables.
// Returns the exit value (0 all compressed, 1 a file refused or unopenable,
// 3 an unexpected library result), or -1 when a failure abandoned the run.
// Never ends the process; every call starts from the default settings.
int compressStep(int argc, const char* const* argv);

// In-memory bzip2 compression with the step's own library settings (block
// size 9, verbosity 0, work factor 30): the bytes equal those the step writes
// for the same input, however the input is cut into pieces.
class StreamCompressor {
public:
    StreamCompressor();
    ~StreamCompressor();
    StreamCompressor(const StreamCompressor&) = delete;
    StreamCompressor& operator=(const StreamCompressor&) = delete;

    bool ok() const { return ok_; }
    // Compresses `n` bytes; the output produced so far is appended to `out`.
    bool write(const char* data, size_t n, std::vector<char>& out);
    // Ends the stream; the rest of the output is appended to `out`.
    bool finish(std::vector<char>& out);

private:
    bool run(int action, std::vector<char>& out);
    bz_stream strm_{};
    bool open_ = false;
    bool ok_ = false;
};

// The whole bzip2 stream of a byte string (tests and small texts).
std::vector<char> compressBytes(const std::string& data);

}  // namespace builder
