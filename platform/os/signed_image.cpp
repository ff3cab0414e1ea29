#include "platform/os/signed_image.h"

namespace os {

namespace {

constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kPeOffsetAt = 0x3C;
constexpr uint64_t kFileHeaderSize = 24;   // "PE\0\0" and the file header
constexpr uint16_t kMagic32 = 0x10b, kMagic64 = 0x20b;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint64_t kTableAlignment = 8;
constexpr uint64_t kChecksumAt = 64;       // in the optional header, both kinds

uint32_t le16(const unsigned char* p) { return p[0] | p[1] << 8; }
uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// [offset, offset + n) inside a file of `size` bytes, without wrapping.
bool inside(uint64_t offset, uint64_t n, uint64_t size) { return offset <= size && n <= size - offset; }

bool fail(std::string& problem, const char* what) {
    problem = what;
    return false;
}

}  // namespace

bool findSignedImageEnd(const ReadAt& read, uint64_t fileSize, SignedImageEnd& out, std::string& problem) {
    out = SignedImageEnd{};
    out.contentEnd = fileSize;
    unsigned char dos[kDosHeaderSize];
    if (fileSize < kDosHeaderSize) return true;
    if (!read(0, dos, sizeof dos)) return fail(problem, "its program header cannot be read");
    if (dos[0] != 'M' || dos[1] != 'Z') return true;
    const uint64_t pe = le32(dos + kPeOffsetAt);
    unsigned char head[kFileHeaderSize];
    if (!inside(pe, 4, fileSize)) return true;   // a DOS program: no PE header, no signature
    if (!read(pe, head, 4)) return fail(problem, "its program header cannot be read");
    if (head[0] != 'P' || head[1] != 'E' || head[2] != 0 || head[3] != 0) return true;

    if (!inside(pe, kFileHeaderSize + 2, fileSize)) return fail(problem, "its program header is cut short");
    if (!read(pe, head, sizeof head)) return fail(problem, "its program header cannot be read");
    const uint64_t optional = pe + kFileHeaderSize;
    const uint64_t optionalSize = le16(head + 20);
    if (!inside(optional, optionalSize, fileSize)) return fail(problem, "its program header is cut short");
    unsigned char magic[2];
    if (optionalSize < 2 || !read(optional, magic, 2)) return fail(problem, "its program header is cut short");
    uint64_t countAt = 0;
    if (le16(magic) == kMagic32) countAt = 92;
    else if (le16(magic) == kMagic64) countAt = 108;
    else return fail(problem, "its program header is damaged");
    const uint64_t entryAt = countAt + 4 + 8 * kSecurityDirectory;
    unsigned char count[4];
    if (countAt + 4 > optionalSize || !read(optional + countAt, count, 4))
        return fail(problem, "its program header is cut short");
    if (le32(count) <= kSecurityDirectory) return true;   // no security directory at all
    unsigned char entry[8];
    if (entryAt + 8 > optionalSize || !read(optional + entryAt, entry, 8))
        return fail(problem, "its program header is cut short");

    const uint64_t offset = le32(entry), size = le32(entry + 4);
    if (size == 0) return true;
    if (!inside(offset, size, fileSize)) return fail(problem, "its security directory points outside the file");
    if (offset < optional + optionalSize) return fail(problem, "its certificate table overlaps the program header");
    if (offset + size != fileSize) return fail(problem, "bytes follow its certificate table, which must end the file");
    out.tableOffset = offset;
    out.tableSize = size;
    out.checksumAt = optional + kChecksumAt;
    out.directoryAt = optional + entryAt;

    // The zero bytes that brought the file's own bytes up to a multiple of 8.
    uint64_t end = offset;
    if (offset % kTableAlignment == 0) {
        unsigned char pad[kTableAlignment - 1];
        uint64_t n = offset - (optional + optionalSize);
        if (n > sizeof pad) n = sizeof pad;
        if (!read(offset - n, pad, static_cast<size_t>(n))) return fail(problem, "its end cannot be read");
        while (end > offset - n && pad[end - 1 - (offset - n)] == 0) --end;
    }
    out.contentEnd = end;
    return true;
}

}  // namespace os
