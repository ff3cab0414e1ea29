// A content-addressed store of compressed entries shared between builds.
// The key of a file is a 128-bit hash of the compression settings, the
// library's version and the file's bytes; the stored value is the bzip2
// stream with its own checksum. An entry is only ever used when its checksum
// proves it is the one written for that key; anything else is a miss and the
// file is compressed again. Entries are written under a unique temporary name
// and renamed into place, so builds sharing the folder never see half an
// entry. When the folder cannot be written the build goes on and the cache
// says so once.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

namespace builder {

struct CacheKey {
    uint64_t high = 0;
    uint64_t low = 0;
    std::string hex() const;   // 32 lower-case digits, the entry's file name
    bool operator==(const CacheKey& o) const { return high == o.high && low == o.low; }
};

// Hashes the open file from where it stands to its end; false on a read error.
bool hashFile(FILE* in, CacheKey& key);

// The incremental form of hashFile, for bytes read for another purpose.
class KeyHasher {
public:
    KeyHasher();
    ~KeyHasher();
    KeyHasher(const KeyHasher&) = delete;
    KeyHasher& operator=(const KeyHasher&) = delete;
    void update(const char* data, size_t n);
    CacheKey key() const;

private:
    void* state_;
};

constexpr const char kCacheEntrySuffix[] = ".entry";

// What the names of this process's temporary entry files hold (before their
// ".tmp"), for a program that removes them when interrupted.
std::string cacheTempTag();

class CompressionCache;

// One entry being written: data goes to a temporary file, commit() renames
// it into place. Without commit() the temporary file is removed.
class CacheWriter {
public:
    CacheWriter(CompressionCache& cache, const CacheKey& key);
    ~CacheWriter();
    CacheWriter(const CacheWriter&) = delete;
    CacheWriter& operator=(const CacheWriter&) = delete;
    void append(const char* data, size_t n);
    void commit();

private:
    void abandon(int error);
    CompressionCache& cache_;
    CacheKey key_;
    std::string temp_;
    FILE* file_ = nullptr;
    void* state_ = nullptr;
    uint64_t length_ = 0;
};

class CompressionCache {
public:
    // folder: a Windows path; created when missing. limit: bytes of entries
    // kept after trim().
    CompressionCache(std::string folder, uint64_t limit);

    const std::string& folder() const { return folder_; }
    // False once the folder could not be made or written: no more entries are stored.
    bool writable() const { return writable_.load(); }

    // Streams a verified entry's data to `sink` (which returns false to
    // give up). False for a missing, damaged, truncated or foreign entry;
    // the sink may then have received part of it and must be discarded.
    bool load(const CacheKey& key, const std::function<bool(const char*, size_t)>& sink);

    // Removes the least recently used entries until the rest fit the limit.
    void trim();

    // The message of a cache that cannot be written, once; empty otherwise.
    // Workers find the fault, the builder's own thread tells the user.
    std::string takeNote();

    void countHit() { ++hits_; }
    void countMiss() { ++misses_; }
    unsigned hits() const { return hits_.load(); }
    unsigned misses() const { return misses_.load(); }

private:
    friend class CacheWriter;
    std::string entryPath(const CacheKey& key) const;
    std::string tempPath(const CacheKey& key);
    void disable(const std::string& why);

    std::string folder_;
    std::string host_;   // the folder as the system names it; empty when unusable
    uint64_t limit_;
    std::string note_;
    std::atomic<bool> writable_{true};
    std::atomic<unsigned> hits_{0}, misses_{0};
    std::mutex mutex_;
    uint64_t tempCounter_ = 0;
    uint64_t tempSalt_ = 0;
};

}  // namespace builder
