// Staging: every entry of the package unpacked into a staging folder inside
// the destination, in the shape the installation will have, before anything
// is put in place. On the destination's volume putting a file in place is a
// rename, and a folder the destination lacks moves whole with its files.
// Every stream is decoded whole (its checksums included) and every byte
// counted against the package's declared space here, so a damaged package
// changes nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/os/shared_file.h"
#include "stub/language.h"
#include "stub/package_reader.h"

namespace stub {

struct InstallProgress;

enum class Staged { Stored, Compressed, Folder, Uninstaller };

// One entry of the package on its way into the destination.
struct StagedEntry {
    std::string target;   // relative to the destination ("" for the uninstaller)
    Staged kind = Staged::Stored;
    std::string copy;     // its unpacked copy ("" when none, or once placed)
    bool inTree = false;  // staged at its own path below the staging folder
    int folder = -1;      // its folder's index in folders() (-1: the destination)
};

// A folder of the package, parents first, each once whatever its letter case.
struct StagedFolder {
    std::string path;     // relative to the destination
    int parent = -1;      // index of its parent (-1: the destination)
    bool staged = false;  // made below the staging folder
    bool moved = false;   // moved into place whole (with what was staged in it)
};

class Staging {
public:
    Staging(const os::SharedFile& package, const Package& pkg, const Language& text)
        : file_(package), pkg_(pkg), text_(text) {}
    ~Staging() { discard(); }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    // Unpacks `entries` (the package's, in its order) below `destination`,
    // which exists. False with a message; `damaged` when the package's data
    // was at fault. `spaceLimit` bounds the bytes all files may decode to.
    bool stage(const std::string& destination, std::vector<StagedEntry> entries, uint64_t spaceLimit,
               InstallProgress& progress, std::string& error, bool& damaged);
    std::vector<StagedEntry>& entries() { return entries_; }
    std::vector<StagedFolder>& folders() { return folders_; }
    // Whether entry i was carried into place by its folder's move.
    bool carried(size_t i) const {
        const StagedEntry& e = entries_[i];
        return e.inTree && e.folder >= 0 && folders_[static_cast<size_t>(e.folder)].moved;
    }
    std::string stagedFolder(size_t f) const;
    // Removes what is left of the staging folders (all of it after a failure).
    void discard();

    // A folder of the destination that neither the package nor anything there uses.
    std::string freeFolderName() const;

private:
    int folderOf(const std::string& rel, std::string& error);
    bool unpack(const Entry& e, const std::string& path, bool compressed, std::atomic<uint64_t>* total,
                class DecoderMemory& memory, bool& damaged, std::string& error) const;

    const os::SharedFile& file_;
    const Package& pkg_;
    const Language& text_;
    std::string dest_, stage_, loose_;
    uint64_t spaceLimit_ = 0;
    std::vector<StagedEntry> entries_;
    std::vector<StagedFolder> folders_;
    std::map<std::string, int> known_;   // folder index by lower-case path
};

}  // namespace stub
