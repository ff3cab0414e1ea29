#include "builder/package_builder.h"
#include "platform/os/text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "builder/compression_cache.h"
#include "platform/os/package_format.h"
#include "builder/package_pipeline.h"
#include "builder/status_line.h"
#include "platform/os/os.h"

namespace builder {

void BuildProgress::onWait(unsigned milliseconds) { os::sleepMs(milliseconds); }
void BuildProgress::onNote(const std::string&) {}
void BuildProgress::onCacheUse(unsigned, unsigned) {}
void BuildProgress::onPackedBytes(uint64_t) {}

BuildFailure buildFailure(BuildFailureKind kind, const std::string& text) {
    switch (kind) {
    case BuildFailureKind::None: return {};
    case BuildFailureKind::PackageNotCreated:
        return {kind, "File can not be created due to some invalid situations. Resolve them and try again.",
                "CAUTION", 1};
    case BuildFailureKind::ListMissing:
        return {kind, "Program can not continue because of absence of some temperory files. Please try again.",
                "CAUTION", 1};
    case BuildFailureKind::SupportingFileMissing: return {kind, "Supporting file not found...", "CAUTION", 1};
    case BuildFailureKind::LanguageFileMissing: return {kind, "Supporting file not found.", "Bundlewright", 0};
    case BuildFailureKind::DuplicateEntryName: return {kind, text, "CAUTION", 1};
    case BuildFailureKind::Unexpected: return {kind, "p1 m7", "", 1};
    }
    return {BuildFailureKind::Unexpected, "p1 m7", "", 1};
}

namespace {

constexpr const char kPleaseWait[] = "Please wait...";
constexpr unsigned kFinalWaitMs = 3000;
constexpr int kFinalProgressStep = 1000;
constexpr size_t kCopyPiece = 3000000;
constexpr size_t kOutputBuffer = 1u << 20;

struct Failed {
    BuildFailureKind kind;
    std::string text;
};

[[noreturn]] void fail(BuildFailureKind kind, const std::string& text = "") { throw Failed{kind, text}; }

// A list line, read whole whatever its length, cut at its first CR. False at
// the end of the file or at an empty line, which ends the list.
bool readListLine(FILE* f, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(f)) != EOF) {
        any = true;
        if (c == '\n') break;
        line.push_back(static_cast<char>(c));
    }
    if (!any) return false;
    size_t cr = line.find('\r');
    if (cr != std::string::npos) line.resize(cr);
    return !line.empty();
}

// The language file as the text-mode runtime reads it: CR LF becomes LF, Ctrl-Z
// ends the text; then cut at the first NUL.
std::string languageText(const std::string& raw) {
    std::string text;
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == package::kCtrlZ) break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text.push_back(c);
    }
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

std::string blankIfEmpty(const std::string& s) { return s.empty() ? package::kBlank : s; }

// A delivery program: its text, or the blank of "none" when no row was chosen
// or no text was stored (a project whose delivery page never ran).
std::string programItem(int choice, const std::string& file) {
    return choice == -1 || file.empty() ? std::string(package::kBlank) : file;
}

// The package file under construction; every write is checked.
class PackageWriter {
public:
    explicit PackageWriter(std::string path) : path_(std::move(path)) {
        os::deleteFile(path_);
        file_ = os::openFile(path_, "wb");
        if (!file_) fail(BuildFailureKind::PackageNotCreated);
        buffer_.resize(kOutputBuffer);
        std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
    }
    ~PackageWriter() {
        if (file_) std::fclose(file_);
        if (!committed_) os::deleteFile(path_);
    }

    void bytes(const void* data, size_t n) {
        if (n && std::fwrite(data, 1, n, file_) != n) fail(BuildFailureKind::PackageNotCreated);
        length_ += n;
    }
    void text(const std::string& s) { bytes(s.data(), s.size()); }
    void zstring(const std::string& s) {
        text(s);
        bytes("", 1);
    }
    void decimalZ(long long v) { zstring(std::to_string(v)); }
    void entryHead(const std::string& name, uint64_t size) {
        text(name);
        text(package::kLineEnd);
        text(std::to_string(size));
        text(package::kLineEnd);
    }
    uint64_t length() const { return length_; }

    // Closes the file and moves it to `target`, replacing what was there.
    void commit(const std::string& target) {
        bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
        if (!ok || !os::moveFile(path_, target)) fail(BuildFailureKind::PackageNotCreated);
        committed_ = true;
    }

private:
    std::string path_;
    FILE* file_ = nullptr;
    std::vector<char> buffer_;
    uint64_t length_ = 0;
    bool committed_ = false;
};

struct ListItem {
    std::string line;
    std::string relative;
    bool marker = false;
};

std::vector<ListItem> readList(const std::string& path, const std::string& sourceFolder) {
    FILE* f = os::openFile(path, "rb");
    if (!f) fail(BuildFailureKind::ListMissing);
    std::vector<ListItem> items;
    std::string line;
    while (readListLine(f, line)) {
        ListItem item;
        item.line = line;
        item.relative = relativeName(line, sourceFolder);
        item.marker = isDirectoryMarker(item.relative);
        items.push_back(std::move(item));
    }
    std::fclose(f);
    return items;
}

// Two files under one entry name would overwrite each other on installation;
// a line listing the same file again only installs it twice.
void refuseDuplicateNames(const std::vector<ListItem>& items) {
    std::map<std::string, const ListItem*> seen;
    for (const ListItem& item : items) {
        if (item.marker) continue;
        auto [it, added] = seen.emplace(os::lowerAscii(item.relative), &item);
        if (!added && os::lowerAscii(it->second->line) != os::lowerAscii(item.line))
            fail(BuildFailureKind::DuplicateEntryName,
                 "The files " + it->second->line + " and " + item.line + " would both be installed as " +
                     item.relative + ". Rename one of them or remove it from the file list, and build again.");
    }
}

void copySpill(PackageWriter& out, const Payload& p) {
    FILE* f = os::openFile(p.spillPath, "rb");
    if (!f) fail(BuildFailureKind::PackageNotCreated);
    std::vector<char> piece(std::min<uint64_t>(kCopyPiece, p.size ? p.size : 1));
    uint64_t copied = 0;
    size_t n;
    while (copied < p.size && (n = std::fread(piece.data(), 1, std::min<uint64_t>(piece.size(), p.size - copied), f)) > 0) {
        out.bytes(piece.data(), n);
        copied += n;
    }
    std::fclose(f);
    if (copied != p.size) fail(BuildFailureKind::PackageNotCreated);
}

void appendSection(PackageWriter& out, const std::string& path, const char* begin, const char* end) {
    std::string body;
    if (path.empty() || !os::readWholeFile(path, body)) return;
    out.text(begin);
    out.text(package::kLineEnd);
    out.text(body);
    out.zstring(end);
}

}  // namespace

std::vector<std::string> missingListedFiles(const std::string& listPath, const std::string& sourceFolder) {
    std::vector<std::string> missing;
    try {
        for (const ListItem& item : readList(listPath, sourceFolder)) {
            os::FileStat st;
            if (!item.marker && !(os::statPath(item.line, st) && st.isRegular)) missing.push_back(item.line);
        }
    } catch (const Failed&) {
    }
    return missing;
}

namespace {

class Build {
public:
    Build(const BuildRequest& r, BuildProgress& progress) : r_(r), progress_(progress) {}

    void run() {
        progress_.onStatus(kPleaseWait);
        progress_.onProgress(1);

        // Items 1 and 2.
        os::FileStat stub;
        std::string stubBytes;
        if (!os::statPath(r_.stub_path, stub) || !stub.isRegular || stub.size > package::kPayloadOffset ||
            !os::readWholeFile(r_.stub_path, stubBytes) || stubBytes.size() != stub.size)
            fail(BuildFailureKind::PackageNotCreated);
        PackageWriter out(r_.output_path + kPartSuffix);
        out.text(stubBytes);
        out.text(std::string(package::kPayloadOffset - stubBytes.size(), package::kPaddingByte));

        std::vector<ListItem> items = readList(r_.list_file_path, r_.source_folder);

        // Items 3 to 24.
        std::string option;
        if (!os::readWholeFile(r_.option_file_path, option)) fail(BuildFailureKind::SupportingFileMissing);
        out.decimalZ(r_.file_count);
        out.zstring(package::kOptionFileName);
        out.decimalZ(static_cast<long long>(option.size()));
        out.text(option);
        out.bytes(package::kStartMarker, package::kStartMarkerSize);
        for (const std::string* s : {&r_.company_name, &r_.product_name, &r_.product_version, &r_.email,
                                     &r_.description, &r_.comments, &r_.copyright_notice})
            out.zstring(*s);
        out.zstring(programItem(r_.post_install_choice, r_.post_install_file));
        out.zstring(blankIfEmpty(r_.post_install_cmdline));
        out.zstring(programItem(r_.pre_uninstall_choice, r_.pre_uninstall_file));
        out.zstring(blankIfEmpty(r_.pre_uninstall_cmdline));
        out.zstring(programItem(r_.pre_install_choice, r_.pre_install_file));
        out.zstring(blankIfEmpty(r_.pre_install_cmdline));
        out.zstring(blankIfEmpty(r_.default_destination));
        out.decimalZ(r_.finish_action);
        // Never less than the listed files need: the installer refuses a
        // package whose files decode to more than it declares.
        double need = 0;
        for (const ListItem& item : items) {
            os::FileStat st;
            if (!item.marker && os::statPath(item.line, st) && st.isRegular) need += static_cast<double>(st.size);
        }
        char space[512];
        std::snprintf(space, sizeof space, package::kSpaceFormat, std::max(r_.required_space, need));
        out.zstring(space);
        out.zstring(r_.services_text.size() > 1 ? r_.services_text : package::kBlank);

        // Item 25.
        std::string language;
        if (r_.language_index < 0 || r_.language_index >= package::kLanguageCount ||
            !os::readWholeFile(r_.lang_dir + package::kLanguageFiles[r_.language_index], language))
            fail(BuildFailureKind::LanguageFileMissing);
        out.zstring(languageText(language));

        // Item 26.
        std::string uninstaller;
        if (!os::readWholeFile(r_.uninstaller_path, uninstaller)) fail(BuildFailureKind::SupportingFileMissing);
        out.entryHead(package::kUninstallerEntryName, uninstaller.size());
        out.text(uninstaller);

        // After the failures of the items before it, so none of them is hidden.
        refuseDuplicateNames(items);

        // Item 27.
        int counter = 2;
        uint64_t packed = 0;
        {
            std::vector<std::string> jobs;
            for (const ListItem& item : items) jobs.push_back(item.marker ? std::string() : item.line);
            unsigned threads = r_.threads ? r_.threads : std::max(1u, std::thread::hardware_concurrency());
            std::unique_ptr<CompressionCache> cache;
            if (!r_.cache_folder.empty()) cache = std::make_unique<CompressionCache>(r_.cache_folder, r_.cache_limit);
            auto tellNote = [&] {
                if (!cache) return;
                const std::string note = cache->takeNote();
                if (!note.empty()) progress_.onNote(note);
            };
            tellNote();
            const std::size_t slash = r_.list_file_path.find_last_of('\\');
            const std::string spillBase =
                (slash == std::string::npos ? std::string() : r_.list_file_path.substr(0, slash + 1)) + kSpillName;
            CompressionPipeline pipeline(std::move(jobs), spillBase, threads, cache.get());
            for (size_t i = 0; i < items.size(); ++i) {
                const ListItem& item = items[i];
                if (item.marker) {
                    out.entryHead(item.relative + package::kCompressedSuffix, 1);
                    out.text(package::kDirectoryMarkerData);
                    continue;
                }
                progress_.onStatus(statusLineFor(item.line));
                Payload p = pipeline.take(i);
                tellNote();
                if (p.error) std::rethrow_exception(p.error);
                if (p.spillFailed) fail(BuildFailureKind::PackageNotCreated);
                if (p.kind == Payload::Kind::LeftOutEmpty) continue;
                if (p.kind != Payload::Kind::LeftOut) {
                    bool compressed = p.kind == Payload::Kind::Compressed;
                    out.entryHead(compressed ? item.relative + package::kCompressedSuffix : item.relative, p.size);
                    packed += p.size;
                    if (p.spillPath.empty()) {
                        out.bytes(p.bytes.data(), p.bytes.size());
                    } else {
                        struct Remove {
                            const std::string& path;
                            ~Remove() { os::deleteFile(path); }
                        } remove{p.spillPath};
                        copySpill(out, p);
                    }
                }
                progress_.onProgress(counter++);
            }
            if (cache) {
                cache->trim();
                tellNote();
                progress_.onCacheUse(cache->hits(), cache->misses());
            }
        }
        progress_.onPackedBytes(packed);

        // Items 28 to 31.
        appendSection(out, r_.registry_file_path, package::kRegistryBegin, package::kRegistryEnd);
        appendSection(out, r_.shortcuts_file_path, package::kShortcutsBegin, package::kShortcutsEnd);
        std::string length = std::to_string(out.length() + package::kTrailerSize);
        out.text(package::kStopMarker);
        out.text(std::string(package::kLengthDigits - length.size(), '0') + length);
        out.commit(r_.output_path);

        progress_.onProgress(counter + kFinalProgressStep);
        progress_.onStatus(kPleaseWait);
        progress_.onWait(kFinalWaitMs);
        for (const std::string* f : {&r_.list_file_path, &r_.registry_file_path, &r_.shortcuts_file_path,
                                     &r_.option_file_path})
            if (!f->empty()) os::deleteFile(*f);
    }

private:
    const BuildRequest& r_;
    BuildProgress& progress_;
};

}  // namespace

BuildResult PackageBuilder::build(const BuildRequest& request) {
    BuildResult result;
    try {
        Build(request, progress_).run();
        return result;
    } catch (const Failed& f) {
        result.failure = buildFailure(f.kind, f.text);
    } catch (...) {
        result.failure = buildFailure(BuildFailureKind::Unexpected);
    }
    result.status = -1;
    return result;
}

}  // namespace builder
