#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <vector>

#include "platform/os/shared_file.h"

namespace os {

SharedFile::~SharedFile() {
    if (stream_) std::fclose(stream_);   // closes the handle too
}

bool SharedFile::open(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    int fd = GetFileSizeEx(h, &size) ? _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY) : -1;
    if (fd < 0) {
        CloseHandle(h);
        return false;
    }
    if (!(stream_ = _fdopen(fd, "rb"))) {
        _close(fd);
        return false;
    }
    handle_ = reinterpret_cast<uintptr_t>(h);
    size_ = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool SharedFile::readAt(uint64_t offset, void* into, size_t n) const {
    char* p = static_cast<char*>(into);
    while (n > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n), got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(handle_), p, want, &got, &at) || got == 0) return false;
        p += got;
        n -= got;
        offset += got;
    }
    return true;
}

bool SharedFile::isOwnImage() const {
    // The headers as the system mapped them, against the file's first bytes.
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    if (!base || !stream_) return false;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    size_t n = nt->OptionalHeader.SizeOfHeaders;
    if (n == 0 || n > 64 * 1024 || n > size_) return false;
    std::vector<unsigned char> head(n), mapped(base, base + n);
    if (!readAt(0, head.data(), n)) return false;
    // The one field the system may change in memory: where it put the image.
    const size_t at = reinterpret_cast<const unsigned char*>(&nt->OptionalHeader.ImageBase) - base;
    const size_t width = sizeof nt->OptionalHeader.ImageBase;
    if (at + width > n) return false;
    std::memset(head.data() + at, 0, width);
    std::memset(mapped.data() + at, 0, width);
    return head == mapped;
}

}  // namespace os
