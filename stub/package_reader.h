// The stub's own reader of the package it is the front of. Layout, in order:
// stub and "0" padding up to kPayloadOffset; decimal Z-string file count;
// Z-string "option.txt", decimal Z-string size, that many option bytes; the
// 24-byte start marker (NUL included); Z-strings company, product, version,
// e-mail, description, comments, copyright, post-install program and command
// line, pre-uninstall program and command line, pre-install program and
// command line, default destination, finish action, space required, services
// text, language text; then file entries (name CR LF decimal size CR LF data),
// the first one "\UnBundlewright.exe"; optional registry section
// (kRegistryBegin CR LF text kRegistryEnd NUL) and shortcuts section
// (kShortcutsBegin CR LF text kShortcutsEnd NUL); the 16-byte stop marker and
// 25 decimal digits giving the package's length. A signed package is
// followed by zero padding to a multiple of 8 and the certificate table its
// program header names; nothing else may follow the trailer.
//
// The whole package is checked before anything is installed: a truncated or
// damaged package is refused with a message, never half read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace stub {

constexpr uint64_t kPayloadOffset = 541200;
constexpr const char kStartMarker[] = "~~~~~start~~~~~now~~~~~";   // with its NUL: 24 bytes
constexpr const char kStopMarker[] = "`~`~!STOP!~`~`\r\n";         // 16 bytes, no NUL
constexpr size_t kStopMarkerSize = sizeof(kStopMarker) - 1;
constexpr size_t kLengthDigits = 25;
constexpr size_t kTrailerSize = kStopMarkerSize + kLengthDigits;
constexpr const char kRegistryBegin[] = "**REGISTRY_UPDATION_DETAILS**";
constexpr const char kRegistryEnd[] = "**END_REGISTRY**";
constexpr const char kShortcutsBegin[] = "**SHORTCUTS_DETAILS**";
constexpr const char kShortcutsEnd[] = "**END_SHORTCUTS**";
constexpr const char kUninstallerEntry[] = "\\UnBundlewright.exe";
constexpr const char kCompressedSuffix[] = ".bz2";
constexpr const char kDirectoryMarker[] = "temp$.bz2";
constexpr const char kBlank[] = " ";   // "none" in the program slots and the destination

struct Entry {
    std::string name;        // as packed, relative to the destination
    uint64_t offset = 0;     // of the first data byte in the package
    uint64_t size = 0;
};

struct Package {
    uint64_t length = 0;     // the package's own bytes: a signature follows them
    long fileCount = 0;
    std::string option;      // option.txt, byte for byte
    std::string company, product, version, email, description, comments, copyright;
    std::string postInstallFile, postInstallCmdline;
    std::string preUninstallFile, preUninstallCmdline;
    std::string preInstallFile, preInstallCmdline;
    std::string defaultDestination;
    int finishAction = 0;
    std::string spaceRequired;
    std::string services;
    std::string language;
    std::vector<Entry> entries;
    bool hasRegistry = false, hasShortcuts = false;
    std::string registry;    // registry.txt as packed
    std::string shortcuts;   // shortcuts.txt as packed
};

// Reads and checks the whole package held in `f` (the caller's open file of
// `fileSize` bytes). False with a message in `error` when it is truncated or
// damaged; entry data is not read, only its place checked.
bool readPackage(FILE* f, uint64_t fileSize, Package& out, std::string& error);

// Copies `size` bytes at `offset` of `f` to `sink` in pieces; false on a read error.
template <class Sink>
bool copyRange(FILE* f, uint64_t offset, uint64_t size, Sink&& sink);

bool seekTo(FILE* f, uint64_t offset);

template <class Sink>
bool copyRange(FILE* f, uint64_t offset, uint64_t size, Sink&& sink) {
    if (!seekTo(f, offset)) return false;
    std::vector<char> buf(64 * 1024);
    while (size > 0) {
        size_t n = size < buf.size() ? static_cast<size_t>(size) : buf.size();
        if (std::fread(buf.data(), 1, n, f) != n) return false;
        if (!sink(buf.data(), n)) return false;
        size -= n;
    }
    return true;
}

}  // namespace stub
