#include "builder/compress_step.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/os/package_format.h"
#include "platform/os/os.h"

namespace builder {

namespace {

constexpr size_t kReadPiece = 5000;
constexpr size_t kMaxFlagLength = 1024;

enum class Operation { Compress, Decompress, Test };
enum class SourceMode { StdinToStdout, FileToStdout, FileToFile };

// The settings every call starts from.
struct Settings {
    Operation operation = Operation::Compress;
    SourceMode mode = SourceMode::FileToFile;
    int blockSize = package::kBlockSize;
    int workFactor = package::kWorkFactor;
    bool keep = false;
    bool force = false;
    bool small = false;
    int verbosity = package::kVerbosity;
    int exitValue = 0;
    std::string program;
    void raise(int value) { exitValue = std::max(exitValue, value); }
};

bool endsWith(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

void splitFlags(const std::string& text, std::vector<std::string>& into) {
    std::istringstream in(text);
    std::string word;
    while (in >> word) into.push_back(word.substr(0, kMaxFlagLength));
}

// A failure that abandons the run, with its exit value.
struct Abandon {
    int exitValue;
};

int libraryExitValue(int bzerror) {
    return bzerror == BZ_IO_ERROR || bzerror == BZ_MEM_ERROR ? 1 : 3;
}

// Compresses `in` into `out` in pieces of 5,000 bytes; throws Abandon.
void compressStream(FILE* in, FILE* out, const Settings& s) {
    int bzerror = BZ_OK;
    BZFILE* bz = BZ2_bzWriteOpen(&bzerror, out, s.blockSize, s.verbosity, s.workFactor);
    if (bzerror != BZ_OK) {
        if (bz) BZ2_bzWriteClose64(&bzerror, bz, 1, nullptr, nullptr, nullptr, nullptr);
        throw Abandon{libraryExitValue(bzerror)};
    }
    std::vector<char> buffer(kReadPiece);
    int failure = 0;
    for (;;) {
        size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (std::ferror(in)) {
            failure = 1;
            break;
        }
        if (n > 0) {
            BZ2_bzWrite(&bzerror, bz, buffer.data(), static_cast<int>(n));
            if (bzerror != BZ_OK) {
                failure = libraryExitValue(bzerror);
                break;
            }
        }
        if (n < buffer.size()) break;
    }
    if (failure) {
        int ignored = BZ_OK;
        BZ2_bzWriteClose64(&ignored, bz, 1, nullptr, nullptr, nullptr, nullptr);
        throw Abandon{failure};
    }
    unsigned inLo = 0, inHi = 0, outLo = 0, outHi = 0;
    BZ2_bzWriteClose64(&bzerror, bz, 0, &inLo, &inHi, &outLo, &outHi);
    if (bzerror != BZ_OK) throw Abandon{libraryExitValue(bzerror)};
    if (std::fflush(out) != 0 || std::ferror(out)) throw Abandon{1};
}

// Returns false when the run was abandoned.
bool compressFile(const std::string& path, Settings& s) {
    if (path.find_first_of("?*") != std::string::npos) return s.raise(1), true;
    FILE* probe = os::openFile(path, "rb");
    if (!probe) return s.raise(1), true;
    std::fclose(probe);
    for (const char* suffix : {".bz2", ".bz", ".tbz2", ".tbz"})
        if (endsWith(path, suffix)) return s.raise(1), true;
    os::FileStat st;
    if (!os::statPath(path, st) || !st.isRegular) return s.raise(1), true;

    const std::string output = path + ".bz2";
    if (s.mode == SourceMode::FileToFile) {
        if (!s.force) {
            if (FILE* existing = os::openFile(output, "rb")) {
                std::fclose(existing);
                return s.raise(1), true;
            }
            if (st.linkCount > 1) return s.raise(1), true;
        } else {
            os::deleteFile(output);
        }
    }

    FILE* in = os::openFile(path, "rb");
    int inError = errno;
    FILE* out = s.mode == SourceMode::FileToFile ? os::openFile(output, "wb") : stdout;
    int outError = errno;
    if (!out) {
        std::fprintf(stderr, "%s: Can't create output file %s: %s.\n", s.program.c_str(), output.c_str(),
                     std::strerror(outError));
        if (in) std::fclose(in);
        s.raise(1);
        return true;
    }
    if (!in) {
        std::fprintf(stderr, "%s: Can't open input file %s: %s.\n", s.program.c_str(), path.c_str(),
                     std::strerror(inError));
        if (out != stdout) {
            std::fclose(out);
            os::deleteFile(output);
        }
        s.raise(1);
        return true;
    }
    try {
        compressStream(in, out, s);
    } catch (const Abandon& a) {
        std::fclose(in);
        if (out != stdout) {
            std::fclose(out);
            os::deleteFile(output);
        }
        s.raise(a.exitValue);
        return false;
    }
    std::fclose(in);
    if (out != stdout && std::fclose(out) != 0) {
        os::deleteFile(output);
        s.raise(1);
        return false;
    }
    if (!s.keep && s.mode == SourceMode::FileToFile) os::deleteFile(path);
    return true;
}

bool applyLongFlag(const std::string& a, Settings& s) {
    if (a == "--stdout") s.mode = SourceMode::FileToStdout;
    else if (a == "--decompress") s.operation = Operation::Decompress;
    else if (a == "--compress") s.operation = Operation::Compress;
    else if (a == "--force") s.force = true;
    else if (a == "--test") s.operation = Operation::Test;
    else if (a == "--keep") s.keep = true;
    else if (a == "--small") s.small = true;
    else if (a == "--quiet") {}
    else if (a == "--exponential") s.workFactor = 1;
    else if (a == "--repetitive-fast" || a == "--repetitive-best") {}
    else if (a == "--verbose") s.verbosity = std::min(s.verbosity + 1, 4);
    else if (a == "--fast") s.blockSize = 1;
    else if (a == "--best") s.blockSize = 9;
    else return false;
    return true;
}

bool applyShortFlags(const std::string& a, Settings& s) {
    for (size_t i = 1; i < a.size(); ++i) {
        char c = a[i];
        switch (c) {
        case 'c': s.mode = SourceMode::FileToStdout; break;
        case 'd': s.operation = Operation::Decompress; break;
        case 'z': s.operation = Operation::Compress; break;
        case 'f': s.force = true; break;
        case 't': s.operation = Operation::Test; break;
        case 'k': s.keep = true; break;
        case 's': s.small = true; break;
        case 'q': break;
        case 'v': s.verbosity = std::min(s.verbosity + 1, 4); break;
        default:
            if (c >= '1' && c <= '9') {
                s.blockSize = c - '0';
                break;
            }
            return false;
        }
    }
    return true;
}

}  // namespace

int compressStep(int argc, const char* const* argv) {
    Settings s;
    s.program = argc > 0 && argv[0] ? argv[0] : " ";
    if (s.program.find("unzip") != std::string::npos) s.operation = Operation::Decompress;
    for (const char* cat : {"z2cat", "Z2CAT", "zcat", "ZCAT"})
        if (s.program.find(cat) != std::string::npos) {
            s.operation = Operation::Decompress;
            s.mode = SourceMode::FileToStdout;
        }

    std::vector<std::string> args;
    for (const char* var : {"BZIP2", "BZIP"}) {
        std::string value;
        if (os::getEnv(var, value)) splitFlags(value, args);
    }
    for (int i = 1; i < argc; ++i) args.push_back(std::string(argv[i]).substr(0, kMaxFlagLength));

    std::vector<std::string> files;
    bool flagsEnded = false;
    for (const std::string& a : args) {
        if (!flagsEnded && a == "--") {
            flagsEnded = true;
        } else if (flagsEnded || a.size() < 2 || a[0] != '-') {
            files.push_back(a);
        } else if (a[1] == '-' ? !applyLongFlag(a, s) : !applyShortFlags(a, s)) {
            std::fprintf(stderr, "%s: Bad flag `%s'\n", s.program.c_str(), a.c_str());
            return 1;
        }
    }
    if (s.small && s.operation == Operation::Compress && s.blockSize > 2) s.blockSize = 2;
    if (s.mode == SourceMode::FileToFile && files.empty()) s.mode = SourceMode::StdinToStdout;

    if (s.operation != Operation::Compress) {
        std::fprintf(stderr, "%s: only compression is available in this program.\n", s.program.c_str());
        return 1;
    }
    if (s.mode == SourceMode::StdinToStdout) {
        try {
            compressStream(stdin, stdout, s);
        } catch (const Abandon&) {
            return -1;
        }
        return s.exitValue;
    }
    for (const std::string& f : files)
        if (!compressFile(f, s)) return -1;
    return s.exitValue;
}

// ---- in memory ---------------------------------------------------------------

StreamCompressor::StreamCompressor() {
    open_ = BZ2_bzCompressInit(&strm_, package::kBlockSize, package::kVerbosity, package::kWorkFactor) == BZ_OK;
    ok_ = open_;
}

StreamCompressor::~StreamCompressor() {
    if (open_) BZ2_bzCompressEnd(&strm_);
}

bool StreamCompressor::run(int action, std::vector<char>& out) {
    constexpr size_t kGrow = 64 * 1024;
    for (;;) {
        size_t used = out.size();
        out.resize(used + kGrow);
        strm_.next_out = out.data() + used;
        strm_.avail_out = static_cast<unsigned>(kGrow);
        int r = BZ2_bzCompress(&strm_, action);
        out.resize(used + (kGrow - strm_.avail_out));
        if (action == BZ_RUN) {
            if (r != BZ_RUN_OK) return ok_ = false;
            if (strm_.avail_in == 0) return true;
        } else {
            if (r == BZ_STREAM_END) return true;
            if (r != BZ_FINISH_OK) return ok_ = false;
        }
    }
}

bool StreamCompressor::write(const char* data, size_t n, std::vector<char>& out) {
    if (!ok_) return false;
    while (n > 0) {
        // avail_in is 32 bits wide.
        size_t piece = std::min<size_t>(n, 1u << 30);
        strm_.next_in = const_cast<char*>(data);
        strm_.avail_in = static_cast<unsigned>(piece);
        if (!run(BZ_RUN, out)) return false;
        data += piece;
        n -= piece;
    }
    return true;
}

bool StreamCompressor::finish(std::vector<char>& out) {
    if (!ok_) return false;
    strm_.next_in = nullptr;
    strm_.avail_in = 0;
    return run(BZ_FINISH, out);
}

std::vector<char> compressBytes(const std::string& data) {
    StreamCompressor c;
    std::vector<char> out;
    if (!c.write(data.data(), data.size(), out) || !c.finish(out)) return {};
    return out;
}

}  // namespace builder
