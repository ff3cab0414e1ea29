// The stub's own reader of the package it is the front of, laid out as
// platform/os/package_format.h says. A signed package is followed by zero
// padding to a multiple of 8 and the certificate table its program header
// names; nothing else may follow the trailer.
//
// The whole package is checked before anything is installed: a truncated or
// damaged package is refused with a message, never half read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/package_format.h"

namespace stub {

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
