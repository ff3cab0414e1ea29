#include "builder/compression_cache.h"

#include <bzlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define bw_getpid _getpid
#else
#include <unistd.h>
#define bw_getpid getpid
#endif

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "platform/os/package_format.h"
#include "platform/os/os.h"
#include "platform/os/text.h"

namespace builder {

namespace fs = std::filesystem;

namespace {

// An entry: magic, key, the bzip2 stream, then its length (8 bytes, little
// endian) and the 128-bit hash of key and stream. The magic changes with the layout.
constexpr char kMagic[8] = {'B', 'W', 'C', 'E', '0', '0', '0', '1'};
constexpr size_t kHeaderSize = sizeof kMagic + 16;
constexpr size_t kTrailerSize = 8 + 16;
constexpr size_t kReadPiece = 256 * 1024;
// A temporary file this old belongs to a build that died.
constexpr auto kStaleTemp = std::chrono::hours(24);

// Everything besides the file's bytes that decides the compressed bytes.
std::string settingsPrefix() {
    return std::string("bundlewright entry 1\n") + BZ2_bzlibVersion() + "\n" + std::to_string(package::kBlockSize) +
           " " + std::to_string(package::kWorkFactor) + "\n";
}

void putKey(const CacheKey& key, unsigned char* out) {
    for (int i = 0; i < 8; ++i) {
        out[i] = static_cast<unsigned char>(key.high >> (56 - 8 * i));
        out[8 + i] = static_cast<unsigned char>(key.low >> (56 - 8 * i));
    }
}

void putDigest(XXH3_state_t* state, unsigned char* out) {
    XXH128_canonical_t c;
    XXH128_canonicalFromHash(&c, XXH3_128bits_digest(state));
    std::memcpy(out, c.digest, 16);
}

// A fresh state seeded with the entry's key: the checksum binds the stream
// to the file it was made from.
XXH3_state_t* checksumState(const CacheKey& key) {
    XXH3_state_t* s = XXH3_createState();
    if (!s) return nullptr;
    XXH3_128bits_reset(s);
    unsigned char k[16];
    putKey(key, k);
    XXH3_128bits_update(s, k, sizeof k);
    return s;
}

std::string errorText(int error) { return error ? std::strerror(error) : "unknown error"; }

// Entries are named by host path: the native drive map looks a missing name
// up case-insensitively by listing its folder, which for thousands of
// entries would cost more than the compression the cache saves.
#ifdef _WIN32
constexpr char kSeparator = '\\';
bool replaceFile(const std::string& from, const std::string& to) { return os::moveFile(from, to); }
#else
constexpr char kSeparator = '/';
bool replaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

}  // namespace

std::string CacheKey::hex() const {
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(high),
                  static_cast<unsigned long long>(low));
    return text;
}

KeyHasher::KeyHasher() : state_(XXH3_createState()) {
    auto* s = static_cast<XXH3_state_t*>(state_);
    if (!s) throw std::bad_alloc();
    XXH3_128bits_reset(s);
    const std::string prefix = settingsPrefix();
    XXH3_128bits_update(s, prefix.data(), prefix.size());
}

KeyHasher::~KeyHasher() { XXH3_freeState(static_cast<XXH3_state_t*>(state_)); }

void KeyHasher::update(const char* data, size_t n) {
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state_), data, n);
}

CacheKey KeyHasher::key() const {
    XXH128_hash_t h = XXH3_128bits_digest(static_cast<XXH3_state_t*>(state_));
    return CacheKey{h.high64, h.low64};
}

bool hashFile(FILE* in, CacheKey& key) {
    KeyHasher hasher;
    // One buffer per worker: a fresh one per file costs a page fault per 4 KB.
    static thread_local std::vector<char> piece(kReadPiece);
    for (;;) {
        size_t n = std::fread(piece.data(), 1, piece.size(), in);
        if (std::ferror(in)) return false;
        hasher.update(piece.data(), n);
        if (n < piece.size()) break;
    }
    key = hasher.key();
    return true;
}

// ---- writing -------------------------------------------------------------------

CacheWriter::CacheWriter(CompressionCache& cache, const CacheKey& key) : cache_(cache), key_(key) {
    if (!cache_.writable()) return;
    state_ = checksumState(key_);
    if (!state_) throw std::bad_alloc();
    temp_ = cache_.tempPath(key_);
    errno = 0;
    file_ = std::fopen(temp_.c_str(), "wb");
    if (!file_) {
        abandon(errno);
        return;
    }
    unsigned char header[kHeaderSize];
    std::memcpy(header, kMagic, sizeof kMagic);
    putKey(key_, header + sizeof kMagic);
    if (std::fwrite(header, 1, sizeof header, file_) != sizeof header) abandon(errno);
}

CacheWriter::~CacheWriter() {
    if (file_) {
        std::fclose(file_);
        std::remove(temp_.c_str());
    }
    XXH3_freeState(static_cast<XXH3_state_t*>(state_));
}

void CacheWriter::abandon(int error) {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
        std::remove(temp_.c_str());
    }
    cache_.disable(errorText(error));
}

void CacheWriter::append(const char* data, size_t n) {
    if (!file_ || n == 0) return;
    errno = 0;
    if (std::fwrite(data, 1, n, file_) != n) return abandon(errno);
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state_), data, n);
    length_ += n;
}

void CacheWriter::commit() {
    if (!file_) return;
    unsigned char trailer[kTrailerSize];
    for (int i = 0; i < 8; ++i) trailer[i] = static_cast<unsigned char>(length_ >> (8 * i));
    putDigest(static_cast<XXH3_state_t*>(state_), trailer + 8);
    errno = 0;
    bool ok = std::fwrite(trailer, 1, sizeof trailer, file_) == sizeof trailer && std::fflush(file_) == 0 &&
              !std::ferror(file_);
    int error = errno;
    ok = std::fclose(file_) == 0 && ok;
    if (!error) error = errno;
    file_ = nullptr;
    if (!ok) {
        std::remove(temp_.c_str());
        cache_.disable(errorText(error));
        return;
    }
    const std::string target = cache_.entryPath(key_);
    if (!replaceFile(temp_, target)) {
        std::remove(temp_.c_str());
        // Another build stored the same entry first and holds it open: no fault.
        if (!exists(target)) cache_.disable("cannot rename an entry into place");
    }
}

// ---- the folder ----------------------------------------------------------------

CompressionCache::CompressionCache(std::string folder, uint64_t limit)
    : folder_(std::move(folder)), limit_(limit) {
    while (folder_.size() > 3 && (folder_.back() == '\\' || folder_.back() == '/')) folder_.pop_back();
    std::random_device random;
    tempSalt_ = (uint64_t(random()) << 32) ^ random() ^
                static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                reinterpret_cast<uintptr_t>(this);
    errno = 0;
    if (!os::createDirectories(folder_) || !os::directoryExists(folder_)) {
        disable(errno ? errorText(errno) : "the folder cannot be created");
        return;
    }
    try {
        host_ = os::hostPath(folder_);
    } catch (const os::PathError& e) {
        disable(e.what());
    }
}

std::string CompressionCache::entryPath(const CacheKey& key) const {
    return host_ + kSeparator + key.hex() + kCacheEntrySuffix;
}

std::string cacheTempTag() { return "." + std::to_string(bw_getpid()) + "-"; }

std::string CompressionCache::tempPath(const CacheKey& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    char unique[48];
    std::snprintf(unique, sizeof unique, "%08llx-%llu.tmp", static_cast<unsigned long long>(tempSalt_ & 0xffffffffu),
                  static_cast<unsigned long long>(++tempCounter_));
    return host_ + kSeparator + key.hex() + cacheTempTag() + unique;
}

void CompressionCache::disable(const std::string& why) {
    if (!writable_.exchange(false)) return;
    std::lock_guard<std::mutex> lock(mutex_);
    note_ = ("the compression cache " + folder_ + " cannot be written (" + why +
          "); the build goes on without storing compressed files there");
}

std::string CompressionCache::takeNote() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string note;
    note.swap(note_);
    return note;
}

namespace {

// Streams the entry's stream to `sink`; true when it is whole and its own.
bool readEntry(FILE* f, const CacheKey& key, const std::function<bool(const char*, size_t)>& sink) {
    unsigned char header[kHeaderSize], expected[16];
    putKey(key, expected);
    if (std::fread(header, 1, sizeof header, f) != sizeof header || std::memcmp(header, kMagic, sizeof kMagic) != 0 ||
        std::memcmp(header + sizeof kMagic, expected, 16) != 0)
        return false;

    std::unique_ptr<XXH3_state_t, XXH_errorcode (*)(XXH3_state_t*)> state(checksumState(key), XXH3_freeState);
    if (!state) return false;
    // The last kTrailerSize bytes read are held back: at the end they are the trailer.
    static thread_local std::vector<char> buffer(kTrailerSize + kReadPiece);
    size_t held = 0;
    uint64_t length = 0;
    for (;;) {
        size_t n = std::fread(buffer.data() + held, 1, kReadPiece, f);
        if (std::ferror(f)) return false;
        held += n;
        if (held > kTrailerSize) {
            size_t out = held - kTrailerSize;
            XXH3_128bits_update(state.get(), buffer.data(), out);
            if (!sink(buffer.data(), out)) return false;
            length += out;
            std::memmove(buffer.data(), buffer.data() + out, kTrailerSize);
            held = kTrailerSize;
        }
        if (n < kReadPiece) break;
    }
    if (held != kTrailerSize) return false;
    const auto* trailer = reinterpret_cast<const unsigned char*>(buffer.data());
    uint64_t stated = 0;
    for (int i = 7; i >= 0; --i) stated = stated << 8 | trailer[i];
    unsigned char digest[16];
    putDigest(state.get(), digest);
    return stated == length && std::memcmp(digest, trailer + 8, 16) == 0;
}

}  // namespace

bool CompressionCache::load(const CacheKey& key, const std::function<bool(const char*, size_t)>& sink) {
    if (host_.empty()) return false;
    const std::string path = entryPath(key);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    const bool whole = readEntry(f, key, sink);
    std::fclose(f);
    if (!whole) return false;
    // Recently used: the last entries a trim removes. Closed first, as a file
    // held open may refuse a new time on Windows.
    std::error_code ec;
    fs::last_write_time(fs::path(path), fs::file_time_type::clock::now(), ec);
    return true;
}

void CompressionCache::trim() {
    if (!writable() || host_.empty()) return;
    const fs::path host(host_);
    struct Entry {
        fs::file_time_type used;
        uint64_t size;
        fs::path path;
    };
    std::vector<Entry> entries;
    uint64_t total = 0;
    const auto now = fs::file_time_type::clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e;
        if (!it->is_regular_file(e)) continue;
        const std::string name = it->path().filename().string();
        const fs::file_time_type used = it->last_write_time(e);
        if (e) continue;
        if (os::endsWithNoCase(name, ".tmp")) {
            if (now - used > kStaleTemp) fs::remove(it->path(), e);
            continue;
        }
        if (!os::endsWithNoCase(name, kCacheEntrySuffix)) continue;
        const uint64_t size = it->file_size(e);
        if (e) continue;
        entries.push_back({used, size, it->path()});
        total += size;
    }
    if (total <= limit_) return;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (const Entry& e : entries) {
        if (total <= limit_) break;
        std::error_code r;
        if (fs::remove(e.path, r)) total -= e.size;
    }
}

}  // namespace builder
