// Where a signed executable's own bytes end. A code signature is a
// certificate table appended to the file and named by the security directory
// of the PE optional header: entry 4 of its data directories, a file offset
// (not an address) and a size. Signing tools first pad the file with zero
// bytes to a multiple of 8, so the file's own bytes end before that padding.
//
// Header layout read here: "MZ" at 0, the PE header's offset (32 bits) at
// 0x3C; there "PE\0\0" and the 20-byte file header (optional header size, 16
// bits, at +20 from "PE"), then the optional header: magic 0x10b (32-bit image,
// directory count at +92, directories at +96) or 0x20b (64-bit image, +108
// and +112), 8 bytes a directory.
//
// Every offset comes from the file: each is checked against the file's size
// before it is read, in 64-bit arithmetic, so no value makes a reader look
// outside the file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace os {

struct SignedImageEnd {
    uint64_t contentEnd = 0;    // the file's own bytes: the file size when unsigned
    uint64_t tableOffset = 0;   // the certificate table, when signed
    uint64_t tableSize = 0;     // 0: not signed
    // The header fields a signature's digest leaves out, when signed: the
    // image checksum (4 bytes) and the security directory entry (8 bytes).
    uint64_t checksumAt = 0, directoryAt = 0;
    bool isSigned() const { return tableSize != 0; }
};

// Reads `n` bytes at `offset` of the file; false on a read error.
using ReadAt = std::function<bool(uint64_t offset, void* into, size_t n)>;

// Finds the end of the file's own bytes. A file that is no PE image, or
// whose security directory is empty, is unsigned and ends at `fileSize`.
// False with `problem` (a phrase, no capital, no full stop) when the header
// is cut short or damaged, or the certificate table does not lie at the end
// of the file after the header.
bool findSignedImageEnd(const ReadAt& read, uint64_t fileSize, SignedImageEnd& out, std::string& problem);

}  // namespace os
