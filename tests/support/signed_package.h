// Packages as a code-signing tool leaves them, for the readers' tests that
// need no signing tool: a PE header at the front whose security directory
// names a certificate table at the end of the file.
#pragma once

#include <cstdint>
#include <string>

namespace bwtest {

constexpr uint32_t kTestPeAt = 0x80;

inline void putLe(std::string& s, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i) & 0xff);
}

// Where the security directory entry of the header putPeHeader writes lies.
inline size_t securityEntryAt(bool pe64) { return kTestPeAt + 24 + (pe64 ? 112 : 96) + 4 * 8; }
// The end of that header.
inline size_t peHeaderEnd(bool pe64) { return kTestPeAt + 24 + (pe64 ? 240 : 224); }

// A minimal PE header written over the front of `image` (a 32-bit or 64-bit
// optional header with 16 directories), naming the table [offset, offset + size).
inline void putPeHeader(std::string& image, uint32_t offset, uint32_t size, bool pe64 = false) {
    if (image.size() < peHeaderEnd(pe64)) image.resize(peHeaderEnd(pe64), '\0');
    for (size_t i = 0; i < peHeaderEnd(pe64); ++i) image[i] = '\0';
    image[0] = 'M';
    image[1] = 'Z';
    putLe(image, 0x3C, kTestPeAt, 4);
    image.replace(kTestPeAt, 4, std::string("PE\0\0", 4));
    putLe(image, kTestPeAt + 4, pe64 ? 0x8664 : 0x14c, 2);
    putLe(image, kTestPeAt + 20, pe64 ? 240 : 224, 2);
    putLe(image, kTestPeAt + 24, pe64 ? 0x20b : 0x10b, 2);
    putLe(image, kTestPeAt + 24 + (pe64 ? 108 : 92), 16, 4);
    putLe(image, securityEntryAt(pe64), offset, 4);
    putLe(image, securityEntryAt(pe64) + 4, size, 4);
}

// `package` signed: its header names the table, zero bytes bring it to a
// multiple of 8, then `tableSize` bytes of certificate table.
inline std::string signedCopy(std::string package, uint32_t tableSize = 1032, bool pe64 = false) {
    package.resize((package.size() + 7) / 8 * 8, '\0');
    const uint32_t offset = static_cast<uint32_t>(package.size());
    putPeHeader(package, offset, tableSize, pe64);
    std::string table(tableSize, '\x5a');
    if (tableSize >= 8) {
        putLe(table, 0, tableSize, 4);   // one certificate filling the table
        putLe(table, 4, 0x0200, 2);
        putLe(table, 6, 0x0002, 2);
    }
    return package + table;
}

}  // namespace bwtest
