#include "cli/package_reader.h"

#include "cli/sha256.h"
#include "platform/os/text.h"

#include <bzlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/os/package_format.h"
#include "platform/os/signed_image.h"
#include "stub/paths.h"

namespace twk {

namespace {

using package::kPayloadOffset;
using package::kLengthDigits;
using package::kStopMarker;
using package::kStopMarkerSize;
// A section's opening line is its marker and the line end.
const std::string kRegBeginLine = std::string(package::kRegistryBegin) + package::kLineEnd;
const std::string kLinkBeginLine = std::string(package::kShortcutsBegin) + package::kLineEnd;
constexpr size_t kMaxName = 4096;

struct Bad {
    std::string what;
};

int seek64(FILE* f, uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET);
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

// Sequential reads over a source, ending at `end` (the trailer).
class Cursor {
public:
    Cursor(ByteSource& s, uint64_t pos, uint64_t end) : s_(s), pos_(pos), end_(end) {}
    uint64_t pos() const { return pos_; }
    uint64_t left() const { return end_ - pos_; }

    int peek() {
        if (pos_ >= end_) return -1;
        if (pos_ < bufStart_ || pos_ >= bufStart_ + buf_.size()) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(64 * 1024, end_ - pos_));
            buf_.resize(n);
            if (!s_.read(pos_, buf_.data(), n)) throw Bad{"read error at byte " + std::to_string(pos_)};
            bufStart_ = pos_;
        }
        return static_cast<unsigned char>(buf_[pos_ - bufStart_]);
    }
    int get() {
        int c = peek();
        if (c >= 0) ++pos_;
        return c;
    }
    bool startsWith(const char* text) {
        uint64_t save = pos_;
        for (const char* p = text; *p; ++p)
            if (get() != static_cast<unsigned char>(*p)) return pos_ = save, false;
        pos_ = save;
        return true;
    }
    void skip(uint64_t n) { pos_ += n; }

    std::string zstring(const char* item) {
        std::string s;
        for (;;) {
            int c = get();
            if (c < 0) throw Bad{std::string(item) + ": no closing NUL before the trailer"};
            if (c == 0) return s;
            s.push_back(static_cast<char>(c));
        }
    }
    std::string bytes(uint64_t n, const char* item) {
        if (n > left()) throw Bad{std::string(item) + ": runs past the trailer"};
        std::string s;
        for (uint64_t i = 0; i < n; ++i) s.push_back(static_cast<char>(get()));
        return s;
    }
    // Text up to CR LF.
    std::string line(const char* item) {
        std::string s;
        for (;;) {
            int c = get();
            if (c < 0 || s.size() > kMaxName) throw Bad{std::string(item) + ": no line end"};
            if (c == '\r') {
                if (get() != '\n') throw Bad{std::string(item) + ": CR without LF"};
                return s;
            }
            s.push_back(static_cast<char>(c));
        }
    }

private:
    ByteSource& s_;
    uint64_t pos_, end_;
    std::vector<char> buf_;
    uint64_t bufStart_ = 0;
};

bool isDecimal(const std::string& s, bool allowSign) {
    size_t i = allowSign && !s.empty() && s[0] == '-' ? 1 : 0;
    if (i == s.size()) return false;
    if (s[i] == '0' && s.size() > i + 1) return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

uint64_t parseSize(const std::string& s, const std::string& item) {
    if (!isDecimal(s, false) || s.size() > 19) throw Bad{item + ": size \"" + s + "\" is not a decimal"};
    return std::stoull(s);
}

// A name the installer accepts: the stub's own rules, so an entry twk
// passes is one install.exe installs.
bool safeName(const std::string& name, std::string& why) {
    stub::EntryKind kind;
    std::string rel;
    return stub::entryTarget(name, kind, rel, why);
}

// Decodes one bzip2 stream that must fill exactly `size` bytes and decode to
// at most `budget` bytes.
uint64_t decodeStream(ByteSource& src, uint64_t offset, uint64_t size, const std::string& name, uint64_t budget,
                      Sha256& digest) {
    bz_stream strm{};
    if (BZ2_bzDecompressInit(&strm, 0, 0) != BZ_OK) throw Bad{name + ": cannot start the bzip2 decoder"};
    std::vector<char> in(256 * 1024), out(1024 * 1024);
    uint64_t fed = 0, decoded = 0;
    int r = BZ_OK;
    while (r == BZ_OK) {
        if (strm.avail_in == 0 && fed < size) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(in.size(), size - fed));
            if (!src.read(offset + fed, in.data(), n)) {
                BZ2_bzDecompressEnd(&strm);
                throw Bad{name + ": read error"};
            }
            strm.next_in = in.data();
            strm.avail_in = static_cast<unsigned>(n);
            fed += n;
        }
        strm.next_out = out.data();
        strm.avail_out = static_cast<unsigned>(out.size());
        r = BZ2_bzDecompress(&strm);
        digest.add(out.data(), out.size() - strm.avail_out);
        decoded += out.size() - strm.avail_out;
        if (decoded > budget) {
            BZ2_bzDecompressEnd(&strm);
            throw Bad{"damaged: the files decode to more than the space required it states (at " + name + ")"};
        }
        if (r == BZ_OK && strm.avail_in == 0 && fed == size && strm.avail_out != 0) r = BZ_UNEXPECTED_EOF;
    }
    bool whole = r == BZ_STREAM_END && strm.avail_in == 0 && fed == size;
    BZ2_bzDecompressEnd(&strm);
    if (r != BZ_STREAM_END) throw Bad{name + ": the bzip2 stream does not decode (error " + std::to_string(r) + ")"};
    if (!whole) throw Bad{name + ": bytes after the end of its bzip2 stream"};
    return decoded;
}

std::string section(Cursor& c, const char* begin, const char* end, const char* item) {
    c.skip(std::strlen(begin));
    std::string body;
    const size_t n = std::strlen(end);
    for (;;) {
        int ch = c.get();
        if (ch < 0) throw Bad{std::string(item) + ": no end marker"};
        body.push_back(static_cast<char>(ch));
        if (body.size() >= n + 1 && body.back() == '\0' && body.compare(body.size() - n - 1, n, end) == 0) {
            body.resize(body.size() - n - 1);
            return body;
        }
    }
}

// The trailer, checked without exceptions: most damaged files end here. A
// signed package's trailer comes before the signature's padding and table;
// `size` is then the package without them.
bool checkTrailer(ByteSource& src, PackageContents& out, std::string& error) {
    os::SignedImageEnd image;
    std::string problem;
    auto readAt = [&src](uint64_t offset, void* into, size_t n) { return src.read(offset, into, n); };
    if (!os::findSignedImageEnd(readAt, src.size(), image, problem)) {
        error = "damaged: " + problem;
        return false;
    }
    out.fileSize = src.size();
    out.signatureOffset = image.tableOffset;
    out.signatureSize = image.tableSize;
    const uint64_t size = out.packageSize = image.contentEnd;
    const char* const where = image.isSigned() ? " before the signature" : "";
    if (size < kPayloadOffset + package::kTrailerSize) {
        error = "truncated: " + std::to_string(size) + " bytes, too short for a package";
        return false;
    }
    char trailer[package::kTrailerSize];
    if (!src.read(size - sizeof trailer, trailer, sizeof trailer)) {
        error = "read error in the trailer";
        return false;
    }
    std::string digits(trailer + kStopMarkerSize, kLengthDigits);
    if (digits.find_first_not_of("0123456789") != std::string::npos) {
        error = std::string("truncated or damaged: the last 25 bytes") + where + " are not a length";
        return false;
    }
    if (digits.find_first_not_of('0') < kLengthDigits - 19 || std::stoull(digits.substr(kLengthDigits - 19)) != size) {
        error = "truncated or damaged: the trailer states " + digits + " bytes, the " +
                (image.isSigned() ? "package before its signature" : "file") + " has " + std::to_string(size);
        return false;
    }
    if (std::memcmp(trailer, kStopMarker, kStopMarkerSize) != 0) {
        error = std::string("damaged: no stop marker before the length") + where;
        return false;
    }
    return true;
}

void parse(ByteSource& src, PackageContents& out) {
    const uint64_t size = out.packageSize;
    Cursor c(src, kPayloadOffset, size - package::kTrailerSize);
    out.fileCount = c.zstring("file count");
    if (!isDecimal(out.fileCount, true)) throw Bad{"file count \"" + out.fileCount + "\" is not a decimal"};
    out.optionName = c.zstring("option file name");
    if (out.optionName != package::kOptionFileName) throw Bad{"option file name is \"" + out.optionName + "\""};
    uint64_t optionSize = parseSize(c.zstring("option file size"), "option file");
    out.optionBody = c.bytes(optionSize, "option file");
    if (c.bytes(package::kStartMarkerSize, "start marker") != std::string(package::kStartMarker, package::kStartMarkerSize))
        throw Bad{"no start marker after the option file"};
    out.texts.clear();
    for (const char* item : kTextItemNames) out.texts.push_back(c.zstring(item));
    out.finishAction = c.zstring("finish action");
    if (!isDecimal(out.finishAction, true)) throw Bad{"finish action \"" + out.finishAction + "\" is not a decimal"};
    out.requiredSpace = c.zstring("space required");
    // What the installer allows the files to decode to.
    if (!isDecimal(out.requiredSpace, false) || out.requiredSpace.size() > 18)
        throw Bad{"space required \"" + out.requiredSpace + "\" is not a decimal"};
    uint64_t budget = std::stoull(out.requiredSpace);
    out.services = c.zstring("services");
    out.language = c.zstring("language text");

    out.entries.clear();
    while (c.left() > 0 && !c.startsWith(kRegBeginLine.c_str()) && !c.startsWith(kLinkBeginLine.c_str())) {
        PackageEntry e;
        e.name = c.line("entry name");
        std::string label = "entry " + std::to_string(out.entries.size() + 1) + " \"" + e.name + "\"";
        e.size = parseSize(c.line(label.c_str()), label);
        if (e.size > c.left()) throw Bad{label + ": " + std::to_string(e.size) + " bytes run past the trailer"};
        e.offset = c.pos();
        std::string why;
        if (!out.entries.empty() && !safeName(e.name, why)) throw Bad{label + ": unsafe name (" + why + ")"};
        if (out.entries.empty() && e.name != package::kUninstallerEntryName)
            throw Bad{"the first entry is \"" + e.name + "\", not the uninstaller"};
        Sha256 digest;
        if (os::endsWithNoCase(e.name, package::kDirectoryEntrySuffix) && e.size == 1 && c.peek() == package::kDirectoryMarkerData[0]) {
            e.kind = PackageEntry::Kind::DirectoryMarker;
            e.decodedSize = 0;
        } else if (os::endsWithNoCase(e.name, package::kCompressedSuffix)) {
            e.kind = PackageEntry::Kind::Compressed;
            e.decodedSize = decodeStream(src, e.offset, e.size, label, out.entries.empty() ? UINT64_MAX : budget, digest);
        } else {
            e.kind = PackageEntry::Kind::Stored;
            e.decodedSize = e.size;
            std::vector<char> buf(256 * 1024);
            for (uint64_t done = 0; done < e.size;) {
                const size_t n = static_cast<size_t>(std::min<uint64_t>(buf.size(), e.size - done));
                if (!src.read(e.offset + done, buf.data(), n)) throw Bad{label + ": read error"};
                digest.add(buf.data(), n);
                done += n;
            }
        }
        e.sha256 = digest.finish();
        if (!out.entries.empty()) {   // the uninstaller goes to the Windows folder, outside the count
            if (e.decodedSize > budget)
                throw Bad{"damaged: the files decode to more than the space required it states (at " + label + ")"};
            budget -= e.decodedSize;
        }
        c.skip(e.size);
        out.entries.push_back(std::move(e));
    }
    if (out.entries.empty()) throw Bad{"no uninstaller entry"};
    if (c.startsWith(kRegBeginLine.c_str())) {
        out.hasRegistry = true;
        out.registry = section(c, kRegBeginLine.c_str(), package::kRegistryEnd, "registry section");
    }
    if (c.startsWith(kLinkBeginLine.c_str())) {
        out.hasShortcuts = true;
        out.shortcuts = section(c, kLinkBeginLine.c_str(), package::kShortcutsEnd, "shortcuts section");
    }
    if (c.left() != 0) throw Bad{"damaged: " + std::to_string(c.left()) + " unknown bytes before the stop marker at " + std::to_string(c.pos())};
}

}  // namespace

const char* const kTextItemNames[14] = {
    "company name", "product name", "version", "e-mail", "description", "comments", "copyright notice",
    "post-installation program", "post-installation command line", "pre-uninstallation program",
    "pre-uninstallation command line", "pre-installation program", "pre-installation command line",
    "default destination folder"};

FileSource::FileSource(FILE* f) : f_(f) {
    std::fseek(f_, 0, SEEK_END);
#ifdef _WIN32
    long long end = _ftelli64(f_);
#else
    long long end = ftello(f_);
#endif
    size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
}

bool FileSource::read(uint64_t offset, void* into, size_t n) {
    return seek64(f_, offset) == 0 && std::fread(into, 1, n, f_) == n;
}

bool MemorySource::read(uint64_t offset, void* into, size_t n) {
    if (offset > n_ || n > n_ - offset) return false;
    std::memcpy(into, data_ + offset, n);
    return true;
}

bool readPackage(ByteSource& source, PackageContents& out, std::string& error) {
    out = PackageContents{};
    if (!checkTrailer(source, out, error)) return false;
    try {
        parse(source, out);
        return true;
    } catch (const Bad& b) {
        error = b.what;
    } catch (const std::exception& e) {
        error = std::string("unexpected: ") + e.what();
    }
    return false;
}

}  // namespace twk
