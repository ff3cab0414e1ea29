// Compression of the package's files on worker threads. The builder takes
// the results strictly in list order, so the package's bytes never depend on
// the number of threads. Memory stays bounded: at most kMaxInFlight files are
// in flight and finished results hold at most kMaxHeldBytes in memory; a
// file's output beyond kMemoryLimit bytes goes to a spill file beside the
// package, never to the source folder. While one worker compresses a large
// file the others go on with the files after it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace builder {

// One file's entry data, complete or absent.
struct Payload {
    enum class Kind {
        LeftOut,         // cannot be read: no entry, one progress step
        LeftOutEmpty,    // stored and empty: no entry, no progress step
        Stored,          // the file's own bytes
        Compressed,      // one bzip2 stream
    };
    Kind kind = Kind::LeftOut;
    uint64_t size = 0;
    std::vector<char> bytes;      // the data when held in memory
    std::string spillPath;        // else the file that holds it
    bool spillFailed = false;     // the spill file could not be written
    std::exception_ptr error;     // anything thrown while compressing
};

constexpr size_t kMemoryLimit = 4u << 20;
constexpr size_t kMaxInFlight = 512;
constexpr size_t kMaxHeldBytes = 64u << 20;

class CompressionCache;

// Compresses one source file (the work of one job, also used directly).
// With a cache, a verified entry for the file's content is taken instead of
// compressing, and a file compressed here is stored in it.
Payload compressSourceFile(const std::string& path, const std::string& spillPath,
                           CompressionCache* cache = nullptr);

class CompressionPipeline {
public:
    // paths[i] empty: no job for that position (a directory marker).
    CompressionPipeline(std::vector<std::string> paths, std::string spillBase, unsigned threads,
                        CompressionCache* cache = nullptr);
    ~CompressionPipeline();
    CompressionPipeline(const CompressionPipeline&) = delete;
    CompressionPipeline& operator=(const CompressionPipeline&) = delete;

    // Blocks until position i is done and hands its payload over.
    Payload take(size_t i);

private:
    void work();
    size_t nextJob(size_t from) const;

    std::vector<std::string> paths_;
    std::string spillBase_;
    CompressionCache* cache_;
    size_t held_ = 0;   // bytes of finished results waiting in memory
    std::vector<Payload> results_;
    std::vector<char> ready_;
    std::vector<char> taken_;
    size_t next_ = 0;
    size_t inFlight_ = 0;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> workers_;
};

}  // namespace builder
