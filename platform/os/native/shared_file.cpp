#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/os.h"
#include "platform/os/shared_file.h"

namespace os {

SharedFile::~SharedFile() {
    if (stream_) std::fclose(stream_);
}

bool SharedFile::open(const std::string& path) {
    std::string host;
    try {
        host = hostPath(path);
    } catch (const PathError&) {
        return false;
    }
    int fd = ::open(host.c_str(), O_RDONLY);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(stream_ = ::fdopen(fd, "rb"))) {
        ::close(fd);
        return false;
    }
    handle_ = static_cast<uintptr_t>(fd);
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

bool SharedFile::readAt(uint64_t offset, void* into, size_t n) const {
    char* p = static_cast<char*>(into);
    while (n > 0) {
        ssize_t got = ::pread(static_cast<int>(handle_), p, n, static_cast<off_t>(offset));
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

bool SharedFile::isOwnImage() const { return stream_ != nullptr; }

}  // namespace os
