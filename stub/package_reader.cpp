#include "stub/package_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/os/signed_image.h"

namespace stub {

bool seekTo(FILE* f, uint64_t offset) {
    if (offset > 0x7fffffffULL) return false;   // packages are 32-bit files
    return std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0;
}

namespace {

// The most a text of the package (the option file, the registry and shortcut
// sections) may hold: every text is read whole into memory, and a package
// that claims more is damaged, not a reason to run out of memory.
constexpr uint64_t kMaxTextBytes = 16u << 20;

// A bounded cursor over [pos, end) of the package file.
class Cursor {
public:
    Cursor(FILE* f, uint64_t pos, uint64_t end) : f_(f), pos_(pos), end_(end) {}
    uint64_t pos() const { return pos_; }
    uint64_t left() const { return end_ - pos_; }

    bool zstring(std::string& out) {
        out.clear();
        if (!seekTo(f_, pos_)) return false;
        while (pos_ < end_) {
            int c = std::fgetc(f_);
            if (c == EOF) return false;
            ++pos_;
            if (c == 0) return true;
            out.push_back(static_cast<char>(c));
        }
        return false;
    }
    bool decimal(long& out) {
        std::string s;
        if (!zstring(s)) return false;
        return parseDecimal(s, out);
    }
    bool bytes(uint64_t n, std::string& out) {
        if (n > left() || n > kMaxTextBytes) return false;
        out.resize(static_cast<size_t>(n));
        if (!seekTo(f_, pos_)) return false;
        if (n && std::fread(out.data(), 1, out.size(), f_) != out.size()) return false;
        pos_ += n;
        return true;
    }
    // One line ended by CR LF, at most `limit` bytes.
    bool line(std::string& out, size_t limit) {
        out.clear();
        if (!seekTo(f_, pos_)) return false;
        while (pos_ < end_ && out.size() <= limit) {
            int c = std::fgetc(f_);
            if (c == EOF) return false;
            ++pos_;
            if (c == '\r') {
                if (pos_ >= end_ || std::fgetc(f_) != '\n') return false;
                ++pos_;
                return true;
            }
            out.push_back(static_cast<char>(c));
        }
        return false;
    }
    bool skip(uint64_t n) {
        if (n > left()) return false;
        pos_ += n;
        return true;
    }
    // Text up to `marker` + NUL; the cursor ends after the NUL.
    bool until(const char* marker, std::string& out) {
        std::string rest;
        uint64_t start = pos_;
        if (!bytes(std::min<uint64_t>(left(), kMaxTextBytes), rest)) return false;
        std::string m(marker);
        m.push_back('\0');
        size_t at = rest.find(m);
        if (at == std::string::npos) return false;
        out = rest.substr(0, at);
        pos_ = start + at + m.size();
        return true;
    }
    // At most 2^31 - 1 whatever the width of long: a 32-bit installer reads
    // no entry larger than that.
    static bool parseDecimal(const std::string& s, long& out) {
        if (s.empty() || s.size() > 10) return false;
        uint64_t v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + static_cast<uint64_t>(c - '0');
        }
        if (v > 0x7fffffffu) return false;
        out = static_cast<long>(v);
        return true;
    }

private:
    FILE* f_;
    uint64_t pos_, end_;
};

constexpr const char kDamaged[] = "The package is damaged or incomplete";

bool fail(std::string& error, const std::string& what) {
    error = std::string(kDamaged) + ": " + what + ".";
    return false;
}

}  // namespace

bool readPackage(FILE* f, uint64_t fileSize, Package& out, std::string& error) {
    out = Package{};
    // A signed package carries its signature after the trailer: the package
    // ends where the certificate table (and the padding before it) begins.
    os::SignedImageEnd image;
    std::string problem;
    auto readAt = [f](uint64_t offset, void* into, size_t n) {
        return seekTo(f, offset) && std::fread(into, 1, n, f) == n;
    };
    if (!os::findSignedImageEnd(readAt, fileSize, image, problem)) return fail(error, problem);
    const uint64_t end = image.contentEnd;
    if (end < package::kPayloadOffset + package::kTrailerSize) return fail(error, "it is shorter than its installer program");
    // Trailer: stop marker, then the length of the whole package in 25 digits.
    Cursor tail(f, end - package::kTrailerSize, end);
    std::string trailer;
    if (!tail.bytes(package::kTrailerSize, trailer)) return fail(error, "its end cannot be read");
    if (trailer.compare(0, package::kStopMarkerSize, package::kStopMarker) != 0)
        return fail(error, image.isSigned() ? "the stop marker is missing before its signature" : "the stop marker is missing");
    uint64_t stated = 0;
    for (size_t i = package::kStopMarkerSize; i < package::kTrailerSize; ++i) {
        char c = trailer[i];
        if (c < '0' || c > '9') return fail(error, "the length field is not a number");
        stated = stated * 10 + static_cast<uint64_t>(c - '0');
        if (stated > (1ULL << 40)) return fail(error, "the length field is out of range");
    }
    if (stated != end) return fail(error, "its stated length does not match its size");
    out.length = end;

    Cursor c(f, package::kPayloadOffset, end - package::kTrailerSize);
    std::string s;
    if (!c.decimal(out.fileCount)) return fail(error, "the file count is unreadable");
    if (!c.zstring(s) || s != "option.txt") return fail(error, "the option file is missing");
    long optionSize = 0;
    if (!c.decimal(optionSize) || !c.bytes(static_cast<uint64_t>(optionSize), out.option))
        return fail(error, "the option file is cut short");
    if (!c.bytes(sizeof(package::kStartMarker), s) || std::memcmp(s.data(), package::kStartMarker, sizeof(package::kStartMarker)) != 0)
        return fail(error, "the start marker is missing");
    std::string* texts[] = {&out.company, &out.product, &out.version, &out.email, &out.description,
                            &out.comments, &out.copyright, &out.postInstallFile, &out.postInstallCmdline,
                            &out.preUninstallFile, &out.preUninstallCmdline, &out.preInstallFile,
                            &out.preInstallCmdline, &out.defaultDestination};
    for (std::string* t : texts)
        if (!c.zstring(*t)) return fail(error, "the product texts are cut short");
    long finish = 0;
    if (!c.decimal(finish)) return fail(error, "the finish action is unreadable");
    out.finishAction = static_cast<int>(finish);
    if (!c.zstring(out.spaceRequired) || !c.zstring(out.services) || !c.zstring(out.language))
        return fail(error, "the language text is cut short");

    // Entries, then the optional sections; everything up to the stop marker.
    while (c.left() > 0) {
        std::string name;
        if (!c.line(name, 1024)) return fail(error, "a file entry is cut short");
        if (name == package::kRegistryBegin) {
            if (out.hasRegistry || out.hasShortcuts || !c.until(package::kRegistryEnd, out.registry))
                return fail(error, "the registry section is damaged");
            out.hasRegistry = true;
            continue;
        }
        if (name == package::kShortcutsBegin) {
            if (out.hasShortcuts || !c.until(package::kShortcutsEnd, out.shortcuts))
                return fail(error, "the shortcuts section is damaged");
            out.hasShortcuts = true;
            continue;
        }
        if (out.hasRegistry || out.hasShortcuts) return fail(error, "data follows the last section");
        std::string sizeText;
        long size = 0;
        if (name.empty() || !c.line(sizeText, 12) || !Cursor::parseDecimal(sizeText, size))
            return fail(error, "a file entry is damaged");
        Entry e{name, c.pos(), static_cast<uint64_t>(size)};
        if (!c.skip(e.size)) return fail(error, "the file " + name + " is cut short");
        out.entries.push_back(std::move(e));
    }
    if (out.entries.empty() || out.entries.front().name != package::kUninstallerEntryName)
        return fail(error, "the uninstaller is missing");
    return true;
}

}  // namespace stub
