#include "stub/installer.h"

#include <bzlib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/security.h"
#include "platform/os/services.h"
#include "platform/os/shared_file.h"
#include "platform/os/shortcuts.h"
#include "platform/os/text.h"
#include "stub/paths.h"
#include "stub/signature.h"

namespace stub {

namespace {
constexpr size_t kMaxFolderChars = 247;   // a folder leaves room for a file name of 8.3
constexpr char kUninstallKeys[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// An earlier uninstall script of the destination, read whole: one larger
// than any installation writes is not read at all.
bool readWhole(const std::string& path, std::string& out) {
    os::FileStat st;
    if (!os::statPath(path, st) || !st.isRegular || st.size > (64u << 20)) return false;
    FILE* f = os::openFile(path, "rb");
    if (!f) return false;
    out.clear();
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

enum Kind { kStored = 0, kCompressed = 1, kFolder = 2, kUninstaller = 3 };

// The file version of a program (its version resource's fixed part: the
// signature 0xFEEF04BD, the structure's version 1.0, then the version's high
// and low 32 bits); false when it has none.
bool fileVersion(const std::string& image, uint64_t& version) {
    static const char kSignature[] = "\xBD\x04\xEF\xFE\x00\x00\x01\x00";
    const std::string signature(kSignature, 8);
    for (size_t at = image.find(signature); at != std::string::npos; at = image.find(signature, at + 1)) {
        if (at + 16 > image.size()) break;
        auto word = [&](size_t k) {
            uint32_t w = 0;
            for (int b = 3; b >= 0; --b) w = (w << 8) | static_cast<unsigned char>(image[k + static_cast<size_t>(b)]);
            return w;
        };
        version = (static_cast<uint64_t>(word(at + 8)) << 32) | word(at + 12);
        return true;
    }
    return false;
}

bool blank(const std::string& s) { return s.empty() || s == package::kBlank; }

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

bool rootOf(const std::string& name, os::RegRoot& root, std::string& canonical) {
    static const struct {
        const char* name;
        os::RegRoot root;
    } roots[] = {{"HKEY_LOCAL_MACHINE", os::RegRoot::LocalMachine}, {"HKEY_CLASSES_ROOT", os::RegRoot::ClassesRoot},
                 {"HKEY_CURRENT_USER", os::RegRoot::CurrentUser},   {"HKEY_USERS", os::RegRoot::Users},
                 {"HKEY_CURRENT_CONFIG", os::RegRoot::CurrentConfig}};
    for (const auto& r : roots)
        if (equalsNoCase(name, r.name)) {
            root = r.root;
            canonical = r.name;
            return true;
        }
    return false;
}

// The shell folder a shortcut location starts with, and the rest of it.
bool shellPlace(const std::string& location, std::string& base, std::string& rest) {
    std::vector<std::string> c = split(location, '\\');
    static const char* const chain[] = {"Desktop", "Start Menu", "Programs", "Startup"};
    static const os::ShellFolder folders[] = {os::ShellFolder::Desktop, os::ShellFolder::StartMenu,
                                              os::ShellFolder::Programs, os::ShellFolder::Startup};
    size_t n = 0;
    while (n < 4 && n < c.size() && equalsNoCase(c[n], chain[n])) ++n;
    if (n == 0) return false;
    base = os::shellFolder(folders[n - 1]);
    rest.clear();
    for (size_t i = n; i < c.size(); ++i) rest += (rest.empty() ? "" : "\\") + c[i];
    return !base.empty();
}
// A shortcut place as Windows names it: trailing dots and blanks dropped
// (the package's names were checked when it was opened).
std::string linkPath(const std::string& base, const std::string& rest) {
    std::string rel, why;
    if (rest.empty() || !shortcutRelative(rest, rel, why)) return base;
    return joinPath(base, rel);
}
}  // namespace

Installer::~Installer() = default;

bool Installer::open(const std::string& packagePath, std::string& error) {
    // One handle for everything: the bytes checked are the bytes installed,
    // whatever the path names later.
    if (!file_.open(packagePath)) {
        error = say("PackageUnreadable", {{"file", packagePath}});
        return false;
    }
    if (!readPackage(file_.stream(), file_.size(), pkg_, error)) return false;
    // Signed: every byte is the one the publisher signed, before anything is read further.
    if (!signedDigestMatches(file_.stream(), file_.size(), error)) return false;
    // From here on the installer speaks the package's language.
    text_.load(pkg_.language);
    text_.set("product", pkg_.product.empty() ? std::string("Setup") : pkg_.product);
    if (!parseOptions(pkg_.option, options_)) {
        error = say("OptionsDamaged", {});
        return false;
    }
    return check(error);
}

std::string Installer::say(const char* key, std::initializer_list<std::pair<const char*, std::string>> values) const {
    Language t = text_;
    for (const auto& v : values) t.set(v.first, v.second);
    return t(key);
}

bool Installer::passwordMatches(const std::string& password) const {
    return !options_.password.on || password == options_.password.value;
}

std::string Installer::defaultDestination() const {
    if (!blank(pkg_.defaultDestination)) return pkg_.defaultDestination;
    // From the system: the environment is the user's to change.
    std::string pf = os::programFilesFolder();
    std::string product = pkg_.product.empty() ? "Product" : pkg_.product;
    return joinPath(pf, product);
}

std::string Installer::scriptPath() const { return joinPath(dest_, kScriptName); }

std::string Installer::readmePath() const {
    std::string rel, why;
    if (!options_.readme.on || !safeRelative(options_.readme.value, rel, why)) return "";
    return joinPath(dest_, rel);
}

// Every name the package gives is checked here, before anything is written.
bool Installer::check(std::string& error) {
    targets_.clear();
    kinds_.clear();
    auto refuse = [&](const std::string& name, const std::string& why) {
        // Only names that climb out or name another place "leave" the folder.
        bool escapes = why.find("component \"") != std::string::npos || why.find("absolute") != std::string::npos ||
                       why.find("drive") != std::string::npos;
        error = say(escapes ? "NameLeaves" : "NameUnusable", {{"name", name}, {"reason", why}});
        return false;
    };
    // The declared space, whole bytes: what the files may decode to at most.
    const std::string& space = pkg_.spaceRequired;
    spaceLimit_ = 0;
    bool digits = !space.empty() && space.size() <= 18;
    for (char c : space) digits = digits && c >= '0' && c <= '9';
    if (!digits) {
        error = say("SpaceNotNumber", {{"space", space}});
        return false;
    }
    for (char c : space) spaceLimit_ = spaceLimit_ * 10 + static_cast<uint64_t>(c - '0');
    uint64_t stored = 0;
    // Windows sees one file where names differ only in letter case: two
    // entries would be staged into it at once.
    std::map<std::string, size_t> files;
    for (size_t i = 0; i < pkg_.entries.size(); ++i) {
        const std::string& name = pkg_.entries[i].name;
        if (i == 0) {
            targets_.push_back("");
            kinds_.push_back(kUninstaller);
            continue;
        }
        EntryKind kind;
        std::string rel, why;
        if (!entryTarget(name, kind, rel, why)) return refuse(name, why);
        if (equalsNoCase(rel, kScriptName)) return refuse(name, "it is the uninstall script's own name");
        if (kind != EntryKind::Folder && !files.emplace(os::lowerAscii(rel), i).second)
            return refuse(name, "another entry names the same file");
        targets_.push_back(rel);
        kinds_.push_back(kind == EntryKind::Folder ? kFolder : kind == EntryKind::Compressed ? kCompressed : kStored);
        if (kind == EntryKind::Stored) stored += pkg_.entries[i].size;
    }
    if (stored > spaceLimit_) {
        error = say("SpaceExceeded", {{"space", space}});
        return false;
    }
    const std::string* programs[] = {&pkg_.preInstallFile, &pkg_.postInstallFile, &pkg_.preUninstallFile};
    for (const std::string* p : programs) {
        std::string rel, why;
        if (!blank(*p) && !safeRelative(*p, rel, why)) return refuse(*p, why);
    }
    for (const ServiceLine& s : parseServices(pkg_.services)) {
        std::string rel, why;
        if (!safeRelative(s.executable, rel, why)) return refuse(s.executable, why);
    }
    for (const ShortcutLine& s : parseShortcuts(pkg_.shortcuts)) {
        std::vector<std::string> c = split(s.location, '\\');
        if (c.empty() || !equalsNoCase(c[0], "Desktop"))
            return refuse(s.location, "a shortcut place outside the desktop and the start menu");
        std::string rest;
        for (size_t i = 1; i < c.size(); ++i) rest += (rest.empty() ? "" : "\\") + c[i];
        std::string rel, why;
        if (!rest.empty() && !shortcutRelative(rest, rel, why)) return refuse(s.location, why);
        if (!s.folder && rest.empty()) return refuse(s.location, "a shortcut without a name");
    }
    return true;
}

// Every path the installation will write fits the system's limit.
bool Installer::checkPlaces(std::string& error) const {
    auto tooLong = [&](const std::string& path) {
        if (path.size() <= kMaxPathChars) return false;
        error = say("PathTooLong", {{"file", path.substr(0, 60)},
                                    {"length", std::to_string(path.size())},
                                    {"limit", std::to_string(kMaxPathChars)}});
        return true;
    };
    for (size_t i = 1; i < targets_.size(); ++i)
        if (!targets_[i].empty() && tooLong(joinPath(dest_, targets_[i]))) return false;
    for (const ShortcutLine& link : parseShortcuts(pkg_.shortcuts)) {
        std::string base, rest;
        if (shellPlace(link.location, base, rest) && tooLong(linkPath(base, rest))) return false;
    }
    return true;
}

bool Installer::makeFolders(const std::string& folder, std::string& error, bool protect) {
    std::vector<std::string> missing;
    for (std::string f = folder; !f.empty() && !os::directoryExists(f); f = parentOf(f)) {
        if (f.size() <= 3 && f.size() >= 2 && f[1] == ':') break;   // a drive root
        missing.push_back(f);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        // The destination's own levels: only administrators may change what
        // an administrator's uninstall will run or remove.
        bool made = protect ? os::createProtectedDirectory(*it) : os::createDirectory(*it);
        if (!made && !os::directoryExists(*it)) {
            error = say("FolderNotCreated", {{"folder", *it}});
            return false;
        }
        made_.push_back(*it);
        script_.createdDirectory(*it);
    }
    return true;
}

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
bool Installer::unpack(const os::SharedFile& in, const Entry& e, const std::string& path, bool compressed,
                       std::atomic<uint64_t>* total, DecoderMemory& memory, bool& damaged, std::string& error) const {
    FILE* out = os::createNewFile(path);   // staged afresh: nothing there is followed
    if (!out) {
        error = say("FileNotWritten", {{"file", path}});
        return false;
    }
    bool writeOk = true, dataOk = true, tooBig = false;
    auto write = [&](const char* data, size_t n) {
        if (total && total->fetch_add(n) + n > spaceLimit_) tooBig = true;
        else if (n && std::fwrite(data, 1, n, out) != n) writeOk = false;
        return writeOk && !tooBig;
    };
    if (!compressed) {
        dataOk = copyAt(in, e.offset, e.size, write);
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
            dataOk = copyAt(in, e.offset, e.size, [&](const char* data, size_t n) {
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
        error = say("SpaceExceededAt", {{"space", pkg_.spaceRequired}, {"file", e.name}});
        return false;
    }
    if (!writeOk) {
        error = say("FileIncomplete", {{"file", path}});
        return false;
    }
    if (!dataOk) {
        error = say("DataDamaged", {{"file", e.name}});
        return false;
    }
    return true;
}

// A folder of the destination not in use by the package or anything else.
std::string Installer::freeFolderName() const {
    for (int n = 0;; ++n) {
        std::string name = "~" + std::to_string(n);
        bool used = os::fileExists(joinPath(dest_, name)) || os::directoryExists(joinPath(dest_, name));
        for (size_t i = 1; i < targets_.size() && !used; ++i)
            used = equalsNoCase(split(targets_[i], '\\')[0], name);
        if (!used) return joinPath(dest_, name);
    }
}

// Unpacks every entry into a staging folder inside the destination, in the
// shape the installation will have: on the destination's volume, putting a
// file in place is a rename, and a folder the destination lacks moves whole.
// Every processor decodes: each worker takes the next entry, reads the
// package through a handle of its own and writes its own staged file; the
// calling thread keeps the progress window up to date meanwhile.
bool Installer::stageAll(InstallProgress& progress, std::string& error) {
    stage_ = freeFolderName();
    if (!os::createDirectory(stage_)) {
        error = say("FolderNotCreated", {{"folder", stage_}});
        stage_.clear();
        return false;
    }
    const size_t n = pkg_.entries.size();
    // The folders, parents first, each once whatever the case of its name.
    folders_.clear();
    moved_.clear();
    folderParent_.clear();
    folderStaged_.clear();
    entryFolder_.assign(n, -1);
    std::map<std::string, int> known;
    auto folderOf = [&](const std::string& rel) {
        int index = -1;
        std::string path;
        for (const std::string& part : split(rel, '\\')) {
            path += (path.empty() ? "" : "\\") + part;
            auto it = known.find(os::lowerAscii(path));
            if (it != known.end()) {
                index = it->second;
                continue;
            }
            // Made below the staging folder when its parent is there and the
            // path fits; otherwise made in place once everything is checked.
            std::string staged = joinPath(stage_, path);
            bool fits = (index < 0 || folderStaged_[index]) && staged.size() <= kMaxFolderChars;
            if (fits && !os::createDirectory(staged) && !os::directoryExists(staged)) {
                error = say("FolderNotCreated", {{"folder", staged}});
                return -2;
            }
            folders_.push_back(path);
            folderParent_.push_back(index);
            folderStaged_.push_back(fits ? 1 : 0);
            index = static_cast<int>(folders_.size()) - 1;
            known[os::lowerAscii(path)] = index;
        }
        return index;
    };
    staged_.assign(n, "");
    inTree_.assign(n, 0);
    std::string loose;   // entries that cannot be staged in shape: numbered here
    for (size_t i = 0; i < n; ++i) {
        if (kinds_[i] == kFolder) {
            if (!targets_[i].empty() && (entryFolder_[i] = folderOf(targets_[i])) == -2) return false;
            continue;
        }
        int parent = -1;
        if (kinds_[i] != kUninstaller) {
            std::string rel = targets_[i];
            size_t cut = rel.find_last_of('\\');
            if (cut != std::string::npos && (parent = folderOf(rel.substr(0, cut))) == -2) return false;
            entryFolder_[i] = parent;
            std::string staged = joinPath(stage_, rel);
            if ((parent < 0 || folderStaged_[parent]) && staged.size() <= kMaxPathChars) {
                staged_[i] = staged;
                inTree_[i] = 1;
                continue;
            }
        }
        if (loose.empty()) {
            loose_ = freeFolderName();
            if (!os::createDirectory(loose_)) {
                error = say("FolderNotCreated", {{"folder", loose_}});
                loose_.clear();
                return false;
            }
            loose = loose_;
        }
        staged_[i] = joinPath(loose, std::to_string(i));
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
            if (kinds_[i] != kFolder) {
                bool bad = false;
                if (unpack(file_, pkg_.entries[i], staged_[i], kinds_[i] == kCompressed, i == 0 ? nullptr : &total,
                           memory, bad, errors[i]))
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
            progress.onStatus(kinds_[i] == kUninstaller ? std::string("UnBundlewright.exe") : joinPath(dest_, targets_[i]));
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
            damaged_ = damaged[i] != 0;
            return false;
        }
    progress.onProgress(n, n);
    return true;
}

// Removes what is left of the staging folders (all of it after a failure).
void Installer::discardStage() {
    if (stage_.empty()) return;
    for (size_t i = 0; i < staged_.size(); ++i)
        if (!staged_[i].empty() && !(inTree_[i] && entryFolder_[i] >= 0 && moved_.size() && moved_[entryFolder_[i]]))
            os::deleteFile(staged_[i]);
    for (size_t f = folders_.size(); f-- > 0;)
        if (folderStaged_[f] && !(moved_.size() && moved_[f])) os::removeDirectory(joinPath(stage_, folders_[f]));
    if (!loose_.empty()) os::removeDirectory(loose_);
    os::removeDirectory(stage_);
    stage_.clear();
    loose_.clear();
    staged_.clear();
}

// Puts every staged entry but `skip` in place. A folder the destination
// lacks moves whole with the files staged in it; the rest, one by one.
bool Installer::placeAll(size_t skip, std::string& error) {
    moved_.assign(folders_.size(), 0);
    bool ok = true;
    for (size_t f = 0; f < folders_.size() && ok; ++f) {
        std::string target = joinPath(dest_, folders_[f]);
        int parent = folderParent_[f];
        bool carried = parent >= 0 && moved_[parent] && folderStaged_[f];
        if (!carried && os::directoryExists(target)) continue;
        if (carried || (folderStaged_[f] && os::renameFolder(joinPath(stage_, folders_[f]), target))) {
            moved_[f] = 1;
            made_.push_back(target);
            script_.createdDirectory(target);
            changed_ = true;
            continue;
        }
        ok = makeFolders(target, error);
    }
    // In the package's order: a file that moved with its folder is in place
    // (listed even after a failure, so the uninstall script holds it); the
    // others move one by one.
    for (size_t i = 0; i < staged_.size(); ++i) {
        if (i == skip || kinds_[i] == kFolder || staged_[i].empty()) continue;
        if (inTree_[i] && entryFolder_[i] >= 0 && moved_[entryFolder_[i]]) {
            script_.addFile(joinPath(dest_, targets_[i]));
            staged_[i].clear();
        } else if (ok) {
            ok = place(i, error);
        }
    }
    return ok;
}

// Removes the folders this run created, last first (they are empty again).
void Installer::undoFolders() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) os::removeDirectory(*it);
    made_.clear();
    script_ = UninstallScript{};
}

// Moves entry i from the staging folder into its place, on its own.
bool Installer::place(size_t i, std::string& error) {
    if (kinds_[i] == kUninstaller) {
        // Shared by every product in the Windows folder; never listed for removal.
        const std::string windows = os::windowsFolder();
        std::string path = joinPath(windows, "UnBundlewright.exe");
        // A newer one stays: every later uninstall of any product runs it.
        uint64_t have = 0, brought = 0;
        std::string bytes;
        if (os::readWholeFile(path, bytes) && fileVersion(bytes, have) &&
            !(os::readWholeFile(staged_[i], bytes) && fileVersion(bytes, brought) && brought >= have)) {
            os::deleteFile(staged_[i]);
            staged_[i].clear();
            return true;
        }
        // Copied to a new name inside the Windows folder, so that it takes
        // that folder's permissions (a rename keeps the staged file's, and
        // the destination's may let users write), then renamed into place.
        std::string temp;
        for (int n = 0; temp.empty() && n < 100; ++n) {
            std::string name = joinPath(windows, "UnBundlewright.~" + std::to_string(n));
            if (os::copyFile(staged_[i], name, true)) temp = name;
        }
        if (temp.empty() || !os::moveFile(temp, path)) {
            if (!temp.empty()) os::deleteFile(temp);
            error = say("UninstallerNotWritten", {{"file", path}});
            return false;
        }
        os::deleteFile(staged_[i]);
        staged_[i].clear();
        return true;
    }
    std::string path = joinPath(dest_, targets_[i]);
    if (!makeFolders(parentOf(path), error)) return false;
    if (!os::moveFile(staged_[i], path)) {
        error = say("FileInUse", {{"file", path}});
        return false;
    }
    staged_[i].clear();
    script_.addFile(path);
    changed_ = true;
    return true;
}

std::string Installer::resolve(const std::string& text) const {
    return replaceNoCase(replaceNoCase(text, "<<TARGETDIR>>", dest_), "%WINDIR%", os::windowsFolder());
}

// Runs a program of the package in the destination folder, waiting for it
// while the caller's window keeps painting.
bool Installer::runProgram(const std::string& file, const std::string& cmdline, InstallProgress& progress,
                           std::string& error) {
    std::string rel, why;
    safeRelative(file, rel, why);
    std::string path = joinPath(dest_, rel);
    std::string line = "\"" + path + "\"";
    if (!blank(cmdline)) line += " " + resolve(cmdline);
    int code = 0;
    if (!os::runAndWait(line, dest_, &code, [&progress] { progress.onWait(); })) {
        error = say("ProgramNotStarted", {{"file", path}});
        return false;
    }
    return true;
}

namespace {

// One ';'-delimited part appended to a text value, the existing text kept
// whole whatever its length and every byte after its end (its NUL) kept
// too. `appended` is exactly what was added (with its leading ';' when one
// was needed), so the uninstall can take that part away again. False when
// the value is not a text.
bool appendedValue(const os::RegValue& old, const std::string& part, os::RegValue& out, std::string& appended) {
    if (old.type != os::RegType::String && old.type != os::RegType::ExpandString) return false;
    const std::string raw(old.data.begin(), old.data.end());
    const size_t end = std::min(raw.find('\0'), raw.size());
    const std::string text = raw.substr(0, end);
    appended = part;
    if (!part.empty() && !text.empty() && text.back() != ';' && part.front() != ';') appended = ";" + part;
    const std::string joined = text + appended + raw.substr(end);
    out.type = old.type;
    out.data.assign(joined.begin(), joined.end());
    return true;
}

}  // namespace

bool Installer::applyRegistry(std::string& error) {
    bool any = false;
    for (const RegInstruction& r : parseRegistry(pkg_.registry)) {
        os::RegRoot root;
        std::string rootName;
        if (!rootOf(r.root, root, rootName)) continue;   // HKEY_DYN_DATA and unknown roots: no such key here
        // Levels that do not exist yet are this installation's to remove.
        std::vector<std::string> parts = split(r.key, '\\');
        std::string level;
        std::vector<std::string> created;
        for (const std::string& p : parts) {
            if (p.empty()) continue;
            level += (level.empty() ? "" : "\\") + p;
            if (created.empty() && os::RegKey::open(root, level).valid()) continue;
            created.push_back(level);
        }
        os::RegKey key = os::RegKey::create(root, level);
        if (!key.valid()) {
            error = say("RegistryKeyFailed", {{"key", rootName + "\\" + r.key}});
            return false;
        }
        for (const std::string& c : created) script_.createdKey(rootName, c);
        any = true;
        if (r.op == RegOp::AddKey) continue;
        os::RegValue old;
        const bool existed = key.query(r.name, old);
        os::RegValue value;
        std::string appended;
        if (r.op == RegOp::AppendValue && existed) {
            if (!appendedValue(old, r.data, value, appended)) {
                // Another type (a number, binary data) cannot take a ';' part:
                // it stays as it is and the uninstall has nothing to undo.
                notices_.push_back(
                    say("RegistryNotText", {{"name", r.name}, {"key", rootName + "\\" + r.key}, {"value", r.data}}));
                continue;
            }
            if (appended.empty()) continue;
        } else {
            value = os::RegValue::string(r.data, r.data.find('%') != std::string::npos ? os::RegType::ExpandString
                                                                                      : os::RegType::String);
        }
        if (!key.set(r.name, value)) {
            error = say("RegistryValueFailed", {{"name", r.name}, {"key", rootName + "\\" + r.key}});
            return false;
        }
        if (!existed) script_.createdValue(rootName, level, r.name);
        else if (r.op == RegOp::AppendValue) script_.appendedText(rootName, level, r.name, appended);
        // A value that existed and was replaced is left as set: the script
        // has no record that writes data back, and deleting it would lose it.
    }
    if (any) os::broadcastEnvironmentChange();
    return true;
}

bool Installer::applyShortcuts(std::string& error) {
    for (const ShortcutLine& s : parseShortcuts(pkg_.shortcuts)) {
        std::string base, rest;
        if (!shellPlace(s.location, base, rest)) {
            error = say("ShortcutPlaceMissing", {{"folder", s.location}});
            return false;
        }
        std::string path = linkPath(base, rest);
        if (s.folder) {
            if (!makeFolders(path, error)) return false;
            continue;
        }
        if (!makeFolders(parentOf(path), error)) return false;
        os::Shortcut link;
        link.target = resolve(s.target);
        link.arguments = resolve(s.arguments);
        link.description = s.description;
        link.workingDirectory = parentOf(link.target);
        if (!os::createShortcut(path, link)) {
            error = say("ShortcutFailed", {{"file", path}});
            return false;
        }
        script_.addShortcut(path);
    }
    return true;
}

bool Installer::applyServices(std::string& error) {
    for (const ServiceLine& s : parseServices(pkg_.services)) {
        std::string rel, why;
        safeRelative(s.executable, rel, why);
        std::string exe = joinPath(dest_, rel);
        os::ServiceConfig config;
        config.name = s.name;
        config.displayName = s.displayName;
        config.binaryPath = exe.find(' ') != std::string::npos ? "\"" + exe + "\"" : exe;
        config.start = os::ServiceStart::Auto;
        // One this product installed before (repair or upgrade) is updated in place.
        if (script_.listsService(s.name) && os::serviceExists(s.name)) {
            if (!os::updateService(config)) {
                error = say("ServiceNotUpdated", {{"name", s.name}});
                return false;
            }
            continue;
        }
        if (!os::createService(config)) {
            error = say(os::serviceExists(s.name) ? "ServiceExists" : "ServiceFailed", {{"name", s.name}});
            return false;
        }
        script_.addService(s.name);
    }
    return true;
}

// The entry in the system's list of installed programs, removed again through
// the uninstall script: machine-wide where this user may write there.
bool Installer::registerProduct(std::string& error) {
    std::string name = pkg_.product.empty() ? std::string("Product") : pkg_.product;
    for (char& c : name)
        if (c == '\\') c = '-';
    std::string key = std::string(kUninstallKeys) + "\\" + name;
    os::RegRoot root = os::RegRoot::LocalMachine;
    std::string rootName = "HKEY_LOCAL_MACHINE";
    // The levels missing before are this installation's to remove.
    std::vector<std::string> missing;
    auto create = [&] {
        missing.clear();
        for (std::string level = key; !level.empty() && !os::RegKey::open(root, level).valid();
             level = level.substr(0, level.find_last_of('\\') == std::string::npos ? 0 : level.find_last_of('\\')))
            missing.push_back(level);
        return os::RegKey::create(root, key);
    };
    os::RegKey k = create();
    if (!k.valid()) {
        root = os::RegRoot::CurrentUser;
        rootName = "HKEY_CURRENT_USER";
        k = create();
    }
    if (!k.valid()) {
        error = say("EntryFailed", {{"name", name}});
        return false;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) script_.createdKey(rootName, *it);
    std::string uninstaller = "\"" + joinPath(os::windowsFolder(), "UnBundlewright.exe") + "\"";
    const std::pair<const char*, std::string> values[] = {
        {"DisplayName", name},
        {"DisplayVersion", blank(pkg_.version) ? std::string() : pkg_.version},
        {"Publisher", blank(pkg_.company) ? std::string() : pkg_.company},
        {"InstallLocation", dest_},
        {"UninstallString", uninstaller + " -f" + scriptPath()},
        {"QuietUninstallString", uninstaller + " /S -f" + scriptPath()}};
    bool ok = true;
    for (const auto& v : values) ok = k.set(v.first, os::RegValue::string(v.second)) && ok;
    ok = k.set("NoModify", os::RegValue::dword(1)) && k.set("NoRepair", os::RegValue::dword(1)) && ok;
    if (!ok) error = say("EntryFailed", {{"name", name}});
    return ok;
}

bool Installer::writeScript(std::string& error) {
    std::string path = scriptPath();
    std::string bytes = script_.render();
    FILE* f = os::openFile(path, "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) error = say("ScriptFailed", {{"file", path}});
    return ok;
}

// A link in the destination, or above it, would redirect the installation's
// writes and the uninstall's deletions; a folder users can change lets them
// replace what an administrator runs (services, the package's programs).
bool Installer::checkDestination(std::string& error) {
    for (std::string f = dest_; f.size() > 3; f = parentOf(f))
        if (os::isReparsePoint(f)) {
            error = say("DestinationLink", {{"folder", dest_}, {"file", f}});
            return false;
        }
    if (!os::directoryExists(dest_)) return true;
    std::vector<std::string> pending{dest_};
    while (!pending.empty()) {
        std::string folder = pending.back();
        pending.pop_back();
        std::vector<os::DirEntry> entries;
        os::listFolder(folder, entries);
        for (const os::DirEntry& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            std::string path = joinPath(folder, e.name);
            if (os::isReparsePoint(path)) {
                error = say("DestinationLink", {{"folder", dest_}, {"file", path}});
                return false;
            }
            if (e.isDirectory) pending.push_back(path);
        }
    }
    bool runs = !parseServices(pkg_.services).empty();
    for (const std::string* p : {&pkg_.preInstallFile, &pkg_.postInstallFile, &pkg_.preUninstallFile})
        runs = runs || !blank(*p);
    if (runs && os::othersMayChange(dest_) && !os::protectFolder(dest_)) {
        error = say("DestinationOpen", {{"folder", dest_}});
        return false;
    }
    return true;
}

bool Installer::install(const std::string& destination, InstallProgress& progress, std::string& error) {
    changed_ = damaged_ = false;
    warning_.clear();
    made_.clear();
    script_ = UninstallScript{};
    if (!destinationFolder(destination, dest_)) {
        error = say("DestinationUnusable",
                    {{"folder", destination},
                     {"example", "C:\\Program Files\\" + (pkg_.product.empty() ? std::string("Product") : pkg_.product)}});
        return false;
    }
    if (!checkPlaces(error)) return false;
    uint64_t freeBytes = 0;
    if (os::freeDiskSpace(dest_.substr(0, 3), freeBytes) && freeBytes < spaceLimit_) {
        error = say("NoFreeSpace",
                    {{"drive", dest_.substr(0, 2)}, {"space", pkg_.spaceRequired}, {"free", std::to_string(freeBytes)}});
        return false;
    }
    // An earlier installation in this folder: its script's items stay listed.
    std::string earlier;
    if (readWhole(scriptPath(), earlier)) script_.mergeEarlier(earlier);
    // Everything is unpacked and checked before the first file is in place;
    // a package that fails here leaves nothing behind.
    if (!checkDestination(error)) return false;
    if (!makeFolders(dest_, error, true) || !stageAll(progress, error)) {
        discardStage();
        undoFolders();
        return false;
    }
    if (!blank(pkg_.preUninstallFile)) {
        std::string rel, why;
        safeRelative(pkg_.preUninstallFile, rel, why);
        script_.setPreUninstall(joinPath(dest_, rel), blank(pkg_.preUninstallCmdline) ? " " : resolve(pkg_.preUninstallCmdline));
    }
    auto failed = [&]() {
        discardStage();
        std::string ignored;
        writeScript(ignored);   // what was installed so far can still be removed
        changed_ = true;
        return false;
    };

    // The pre-installation program is put in place first, then run, then the rest.
    size_t pre = pkg_.entries.size();
    if (!blank(pkg_.preInstallFile)) {
        std::string rel, why;
        safeRelative(pkg_.preInstallFile, rel, why);
        for (size_t i = 1; i < pkg_.entries.size(); ++i)
            if (kinds_[i] != kFolder && equalsNoCase(targets_[i], rel)) pre = i;
        if (pre < pkg_.entries.size() && !place(pre, error)) return failed();
        if (!runProgram(pkg_.preInstallFile, pkg_.preInstallCmdline, progress, error)) return failed();
    }
    size_t total = pkg_.entries.size();
    if (!placeAll(pre, error)) return failed();
    discardStage();
    changed_ = true;
    if (!applyRegistry(error) || !applyShortcuts(error) || !applyServices(error) || !registerProduct(error))
        return failed();
    if (!writeScript(error)) return false;
    if (!blank(pkg_.postInstallFile)) {
        std::string why;
        if (!runProgram(pkg_.postInstallFile, pkg_.postInstallCmdline, progress, why)) warning_ = why;
    }
    progress.onProgress(total, total);
    return true;
}

}  // namespace stub
