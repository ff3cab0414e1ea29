#include "builder/package_pipeline.h"
#include "platform/os/text.h"

#include <cstdio>
#include <memory>

#include "builder/compress_step.h"
#include "builder/compression_cache.h"
#include "platform/os/package_format.h"
#include "builder/status_line.h"
#include "platform/os/os.h"

namespace builder {

namespace {

constexpr size_t kReadPiece = 256 * 1024;

// Entry data in memory up to kMemoryLimit, then in a spill file.
class Sink {
public:
    explicit Sink(std::string spillPath) : path_(std::move(spillPath)) {}
    ~Sink() { discard(); }

    bool append(const char* data, size_t n) {
        if (failed_) return false;
        size_ += n;
        if (!file_ && bytes_.size() + n <= kMemoryLimit) {
            bytes_.insert(bytes_.end(), data, data + n);
            return true;
        }
        if (!file_) {
            file_ = os::openFile(path_, "wb");
            if (!file_) return failed_ = true, false;
            if (!bytes_.empty() && std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size())
                return failed_ = true, false;
            std::vector<char>().swap(bytes_);
        }
        if (n && std::fwrite(data, 1, n, file_) != n) return failed_ = true, false;
        return true;
    }

    // Moves the data into the payload.
    void handOver(Payload& p) {
        p.size = size_;
        p.spillFailed = failed_;
        if (file_) {
            if (std::fclose(file_) != 0) p.spillFailed = true;
            file_ = nullptr;
            p.spillPath = path_;
            if (p.spillFailed) os::deleteFile(path_), p.spillPath.clear();
        } else {
            p.bytes = std::move(bytes_);
        }
        handedOver_ = true;
    }

    void discard() {
        if (file_) {
            std::fclose(file_);
            file_ = nullptr;
            os::deleteFile(path_);
        }
        if (!handedOver_) bytes_.clear();
    }

private:
    std::string path_;
    std::vector<char> bytes_;
    FILE* file_ = nullptr;
    uint64_t size_ = 0;
    bool failed_ = false;
    bool handedOver_ = false;
};

enum class ReadResult { Done, ReadFailed, SinkFailed, CompressFailed };

// The compressed bytes also go to `entry` when there is one; `hasher` sees
// the bytes read, so an entry is only kept for the content its key names.
ReadResult readCompressed(FILE* in, Sink& sink, CacheWriter* entry = nullptr, KeyHasher* hasher = nullptr) {
    StreamCompressor compressor;
    std::vector<char> piece(kReadPiece), out;
    auto emit = [&] {
        if (entry) entry->append(out.data(), out.size());
        bool ok = sink.append(out.data(), out.size());
        out.clear();
        return ok;
    };
    for (;;) {
        size_t n = std::fread(piece.data(), 1, piece.size(), in);
        if (std::ferror(in)) return ReadResult::ReadFailed;
        if (hasher) hasher->update(piece.data(), n);
        if (n && !compressor.write(piece.data(), n, out)) return ReadResult::CompressFailed;
        if (!emit()) return ReadResult::SinkFailed;
        if (n < piece.size()) break;
    }
    if (!compressor.finish(out)) return ReadResult::CompressFailed;
    return emit() ? ReadResult::Done : ReadResult::SinkFailed;
}

// A verified entry from the cache, or false (nothing handed over).
bool loadCached(CompressionCache& cache, const CacheKey& key, const std::string& spillPath, Payload& p) {
    Sink sink(spillPath);
    if (!cache.load(key, [&](const char* data, size_t n) { return sink.append(data, n); })) return false;
    sink.handOver(p);
    p.kind = Payload::Kind::Compressed;
    return true;
}

ReadResult readStored(FILE* in, Sink& sink) {
    std::vector<char> piece(kReadPiece);
    for (;;) {
        size_t n = std::fread(piece.data(), 1, piece.size(), in);
        if (std::ferror(in)) return ReadResult::ReadFailed;
        if (!sink.append(piece.data(), n)) return ReadResult::SinkFailed;
        if (n < piece.size()) return ReadResult::Done;
    }
}

}  // namespace

Payload compressSourceFile(const std::string& path, const std::string& spillPath, CompressionCache* cache) {
    Payload p;
    os::FileStat st;
    if (!os::statPath(path, st) || !st.isRegular) return p;
    FILE* in = os::openFile(path, "rb");
    if (!in) return p;
    CacheKey key;
    if (cache && (!hashFile(in, key) || std::fseek(in, 0, SEEK_SET) != 0)) cache = nullptr;
    if (cache) {
        if (loadCached(*cache, key, spillPath, p)) {
            cache->countHit();
            std::fclose(in);
            return p;
        }
        cache->countMiss();
    }
    ReadResult r;
    {
        Sink sink(spillPath);
        std::unique_ptr<CacheWriter> entry;
        std::unique_ptr<KeyHasher> hasher;
        if (cache && cache->writable()) {
            entry = std::make_unique<CacheWriter>(*cache, key);
            hasher = std::make_unique<KeyHasher>();
        }
        r = readCompressed(in, sink, entry.get(), hasher.get());
        // A file that changed since it was hashed is not stored under the old key.
        if (r == ReadResult::Done && entry && hasher->key() == key) entry->commit();
        if (r == ReadResult::Done || r == ReadResult::SinkFailed) {
            sink.handOver(p);
            p.kind = Payload::Kind::Compressed;
            if (r == ReadResult::SinkFailed) p.spillFailed = true;
        }
    }
    if (r == ReadResult::CompressFailed && std::fseek(in, 0, SEEK_SET) == 0) {
        // The library gave up (memory): store the file as it is, unless its
        // name would make an installer take it for a bzip2 stream.
        if (!os::endsWithNoCase(path, package::kCompressedSuffix)) {
            Sink sink(spillPath);
            ReadResult s = readStored(in, sink);
            if (s != ReadResult::ReadFailed) {
                sink.handOver(p);
                if (s == ReadResult::SinkFailed) p.spillFailed = true;
                p.kind = p.size == 0 && !p.spillFailed ? Payload::Kind::LeftOutEmpty : Payload::Kind::Stored;
            }
        }
    }
    std::fclose(in);
    return p;
}

CompressionPipeline::CompressionPipeline(std::vector<std::string> paths, std::string spillBase, unsigned threads,
                                         CompressionCache* cache)
    : paths_(std::move(paths)),
      spillBase_(std::move(spillBase)),
      cache_(cache),
      results_(paths_.size()),
      ready_(paths_.size(), 0),
      taken_(paths_.size(), 0) {
    next_ = nextJob(0);
    if (threads == 0) threads = 1;
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

CompressionPipeline::~CompressionPipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (auto& t : workers_) t.join();
    for (size_t i = 0; i < results_.size(); ++i)
        if (ready_[i] && !taken_[i] && !results_[i].spillPath.empty()) os::deleteFile(results_[i].spillPath);
}

size_t CompressionPipeline::nextJob(size_t from) const {
    while (from < paths_.size() && paths_[from].empty()) ++from;
    return from;
}

void CompressionPipeline::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || (next_ < paths_.size() && inFlight_ < kMaxInFlight && held_ < kMaxHeldBytes);
        });
        if (stop_) return;
        size_t i = next_;
        next_ = nextJob(i + 1);
        ++inFlight_;
        lock.unlock();
        Payload p;
        try {
            p = compressSourceFile(paths_[i], spillBase_ + std::to_string(i), cache_);
        } catch (...) {
            p = Payload{};
            p.error = std::current_exception();
        }
        lock.lock();
        held_ += p.bytes.size();
        results_[i] = std::move(p);
        ready_[i] = 1;
        changed_.notify_all();
    }
}

Payload CompressionPipeline::take(size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_[i] != 0; });
    Payload p = std::move(results_[i]);
    results_[i] = Payload{};
    held_ -= p.bytes.size();
    taken_[i] = 1;
    --inFlight_;
    changed_.notify_all();
    return p;
}

}  // namespace builder
