#include "stub/staging.h"

#include <bzlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/os/os.h"
#include "platform/os/text.h"
#include "stub/installer.h"
#include "stub/paths.h"
#include "stub/texts.h"

namespace stub {

namespace {
constexpr size_t kMaxFolderChars = 247;   // a folder leaves room for a file name of 8.3

// Hands `size` bytes at `offset` of `in` to `sink` in pieces; false when a
// read fails or the sink refuses. Safe on many threads over one handle.
template <class Sink>
bool copyAt(const os::SharedFile& in, uint64_t offset, uint64_t size, Sink&& sink) {
    std::vector<char> buf(64 * 1024);
    while (size > 0) {
        size_t n = size < buf.size() ? static_cast<size_t>(size) : buf.size();
        if (!in.readAt(offset, buf.data(), n) || !sink(buf.data(), n)) return false;
        offset += n;
        size -= n;
    }
    return true;
}

}  // namespace

// The decoder's few large blocks (its state, and a block of up to 3.6 MB),
// kept by a worker from one stream to the next: on Windows a fresh block of
// that size comes from the system every time, its pages filled anew.
class DecoderMemory {
public:
    DecoderMemory() : output(256 * 1024) {}
    ~DecoderMemory() {
        for (const Block& b : blocks_) std::free(b.data);
    }
    DecoderMemory(const DecoderMemory&) = delete;
    DecoderMemory& operator=(const DecoderMemory&) = delete;
    static void* allocate(void* self, int n, int m) {
        return static_cast<DecoderMemory*>(self)->take(static_cast<size_t>(n) * static_cast<size_t>(m));
    }
    static void release(void* self, void* p) {
        for (Block& b : static_cast<DecoderMemory*>(self)->blocks_)
            if (b.data == p) b.used = false;
    }
    std::vector<char> output;   // decoded bytes on their way to the file

private:
    struct Block {
        void* data;
        size_t size;
        bool used;
    };
    void* take(size_t size) {
        for (Block& b : blocks_)
            if (!b.used && b.size == size) {
                b.used = true;
                return b.data;
            }
        void* p = std::malloc(size);
        if (p) blocks_.push_back(Block{p, size, true});
        return p;
    }
    std::vector<Block> blocks_;
};

// Writes one entry's data, read from `in`, to `path`, decoding a bzip2
// stream whole (its block and stream checksums included). `total` counts the
// bytes written by every worker against the declared space. Runs on a worker
// thread: it changes nothing of the installer's own.
bool Staging::unpack(const Entry& e, const std::string& path, bool compressed,
                       std::atomic<uint64_t>* total, DecoderMemory& memory, bool& damaged, std::string& error) const {
    FILE* out = os::createNewFile(path);   // staged afresh: nothing there is followed
    if (!out) {
        error = text_("FileNotWritten", {{"file", path}});
        return false;
    }
    bool writeOk = true, dataOk = true, tooBig = false;
    auto write = [&](const char* data, size_t n) {
        if (total && total->fetch_add(n) + n > spaceLimit_) tooBig = true;
        else if (n && std::fwrite(data, 1, n, out) != n) writeOk = false;
        return writeOk && !tooBig;
    };
    if (!compressed) {
        dataOk = copyAt(file_, e.offset, e.size, write);
    } else {
        bz_stream z;
        std::memset(&z, 0, sizeof z);
        z.bzalloc = DecoderMemory::allocate;
        z.bzfree = DecoderMemory::release;
        z.opaque = &memory;
        dataOk = BZ2_bzDecompressInit(&z, 0, 0) == BZ_OK;
        bool ended = false;
        std::vector<char>& buf = memory.output;
        if (dataOk)
            dataOk = copyAt(file_, e.offset, e.size, [&](const char* data, size_t n) {
                if (ended) return false;   // bytes after the end of the stream
                z.next_in = const_cast<char*>(data);
                z.avail_in = static_cast<unsigned>(n);
                while (z.avail_in > 0 && !ended) {
                    z.next_out = buf.data();
                    z.avail_out = static_cast<unsigned>(buf.size());
                    int rc = BZ2_bzDecompress(&z);
                    if (rc != BZ_OK && rc != BZ_STREAM_END) return false;
                    if (!write(buf.data(), buf.size() - z.avail_out)) return false;
                    ended = rc == BZ_STREAM_END;
                }
                if (ended && z.avail_in > 0) return false;
                return true;
            });
        while (dataOk && !ended && writeOk && !tooBig) {   // what the decoder still holds
            z.next_in = nullptr;
            z.avail_in = 0;
            z.next_out = buf.data();
            z.avail_out = static_cast<unsigned>(buf.size());
            int rc = BZ2_bzDecompress(&z);
            if (rc != BZ_OK && rc != BZ_STREAM_END) dataOk = false;
            else if (rc == BZ_OK && z.avail_out == buf.size()) dataOk = false;   // stream cut short
            else write(buf.data(), buf.size() - z.avail_out);
            ended = rc == BZ_STREAM_END;
        }
        BZ2_bzDecompressEnd(&z);
    }
    if (std::fclose(out) != 0) writeOk = false;
    damaged = tooBig || !dataOk;
    if (tooBig) {
        error = text_("SpaceExceededAt", {{"space", pkg_.spaceRequired}, {"file", e.name}});
        return false;
    }
    if (!writeOk) {
        error = text_("FileIncomplete", {{"file", path}});
        return false;
    }
    if (!dataOk) {
        error = text_("DataDamaged", {{"file", e.name}});
        return false;
    }
    return true;
}

// A folder of the destination not in use by the package or anything else.
std::string Staging::freeFolderName() const {
    for (int n = 0;; ++n) {
        std::string name = "~" + std::to_string(n);
        bool used = os::fileExists(joinPath(dest_, name)) || os::directoryExists(joinPath(dest_, name));
        for (size_t i = 1; i < entries_.size() && !used; ++i)
            used = equalsNoCase(split(entries_[i].target, '\\')[0], name);
        if (!used) return joinPath(dest_, name);
    }
}

std::string Staging::stagedFolder(size_t f) const { return joinPath(stage_, folders_[f].path); }

// The index of the folder `rel` (made with its parents when new); -2 on failure.
int Staging::folderOf(const std::string& rel, std::string& error) {
    int index = -1;
    std::string path;
    for (const std::string& part : split(rel, '\\')) {
        path += (path.empty() ? "" : "\\") + part;
        auto it = known_.find(os::lowerAscii(path));
        if (it != known_.end()) {
            index = it->second;
            continue;
        }
        // Made below the staging folder when its parent is there and the
        // path fits; otherwise made in place once everything is checked.
        std::string staged = joinPath(stage_, path);
        bool fits = (index < 0 || folders_[static_cast<size_t>(index)].staged) && staged.size() <= kMaxFolderChars;
        if (fits && !os::createDirectory(staged) && !os::directoryExists(staged)) {
            error = text_("FolderNotCreated", {{"folder", staged}});
            return -2;
        }
        folders_.push_back({path, index, fits, false});
        index = static_cast<int>(folders_.size()) - 1;
        known_[os::lowerAscii(path)] = index;
    }
    return index;
}

// Every processor decodes: each worker takes the next entry and writes its
// own staged file, reading the package through the one handle that was
// checked; the calling thread keeps the progress window up to date meanwhile.
bool Staging::stage(const std::string& destination, std::vector<StagedEntry> entries, uint64_t spaceLimit,
                    InstallProgress& progress, std::string& error, bool& damagedPackage) {
    dest_ = destination;
    entries_ = std::move(entries);
    folders_.clear();
    known_.clear();
    spaceLimit_ = spaceLimit;
    damagedPackage = false;
    stage_ = freeFolderName();
    if (!os::createDirectory(stage_)) {
        error = text_("FolderNotCreated", {{"folder", stage_}});
        stage_.clear();
        return false;
    }
    const size_t n = entries_.size();
    std::string loose;   // entries that cannot be staged in shape: numbered here
    for (size_t i = 0; i < n; ++i) {
        StagedEntry& e = entries_[i];
        if (e.kind == Staged::Folder) {
            if (!e.target.empty() && (e.folder = folderOf(e.target, error)) == -2) return false;
            continue;
        }
        if (e.kind != Staged::Uninstaller) {
            size_t cut = e.target.find_last_of('\\');
            if (cut != std::string::npos && (e.folder = folderOf(e.target.substr(0, cut), error)) == -2) return false;
            std::string staged = joinPath(stage_, e.target);
            if ((e.folder < 0 || folders_[static_cast<size_t>(e.folder)].staged) && staged.size() <= kMaxPathChars) {
                e.copy = staged;
                e.inTree = true;
                continue;
            }
        }
        if (loose.empty()) {
            loose_ = freeFolderName();
            if (!os::createDirectory(loose_)) {
                error = text_("FolderNotCreated", {{"folder", loose_}});
                loose_.clear();
                return false;
            }
            loose = loose_;
        }
        e.copy = joinPath(loose, std::to_string(i));
    }

    std::vector<std::string> errors(n);
    std::vector<char> failed(n, 0), damaged(n, 0);
    std::atomic<size_t> next{0}, done{0}, latest{0};
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> total{0};
    auto work = [&](unsigned) {
        DecoderMemory memory;
        for (size_t i; !stop && (i = next++) < n;) {
            latest = i;
            const StagedEntry& e = entries_[i];
            if (e.kind != Staged::Folder) {
                bool bad = false;
                if (unpack(pkg_.entries[i], e.copy, e.kind == Staged::Compressed, i == 0 ? nullptr : &total, memory,
                           bad, errors[i]))
                    errors[i].clear();
                if (!errors[i].empty()) {
                    failed[i] = 1;
                    damaged[i] = bad;
                    stop = true;
                }
            }
            ++done;
        }
    };
    size_t shown = n;
    auto report = [&] {
        size_t i = latest;
        if (i != shown && i < n) {
            shown = i;
            progress.onStatus(entries_[i].kind == Staged::Uninstaller ? std::string("UnBundlewright.exe")
                                                                      : joinPath(dest_, entries_[i].target));
        }
        progress.onProgress(done, n);
        progress.onWait();
    };
    // One worker per processor: more only queue for the file system.
    unsigned workers = static_cast<unsigned>(std::min<size_t>(n, os::processorCount()));
    os::runOnThreads(std::min(workers, 16u), work, report);
    // The first entry that failed speaks for the package.
    for (size_t i = 0; i < n; ++i)
        if (failed[i]) {
            error = errors[i];
            damagedPackage = damaged[i] != 0;
            return false;
        }
    progress.onProgress(n, n);
    return true;
}

void Staging::discard() {
    if (stage_.empty()) return;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (!entries_[i].copy.empty() && !carried(i)) os::deleteFile(entries_[i].copy);
    for (size_t f = folders_.size(); f-- > 0;)
        if (folders_[f].staged && !folders_[f].moved) os::removeDirectory(stagedFolder(f));
    if (!loose_.empty()) os::removeDirectory(loose_);
    os::removeDirectory(stage_);
    stage_.clear();
    loose_.clear();
}

}  // namespace stub
