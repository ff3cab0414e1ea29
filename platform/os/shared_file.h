// A file opened once for reading and shared by threads: every part of it is
// read through this one handle with positional reads, so what was checked
// is what is used, whatever the path names meanwhile. Win32: opened without
// write or delete sharing (nobody changes or replaces it while it is open).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace os {

class SharedFile {
public:
    SharedFile() = default;
    ~SharedFile();
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    bool open(const std::string& path);
    uint64_t size() const { return size_; }
    // Reads `n` bytes at `offset`; safe from many threads at once.
    bool readAt(uint64_t offset, void* into, size_t n) const;
    // The same handle as a stream, for reading its structure on one thread.
    FILE* stream() const { return stream_; }
    // Whether this is the file the running program was started from (its
    // headers are the ones the system mapped). Natively always true.
    bool isOwnImage() const;

private:
    FILE* stream_ = nullptr;
    uintptr_t handle_ = 0;
    uint64_t size_ = 0;
};

}  // namespace os
