// One temporary folder per fuzz process (targets that need real files),
// removed when the process ends normally; a crash leaves it for inspection.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace bwfuzz {

class TempFolder {
public:
    TempFolder() {
        namespace fs = std::filesystem;
        fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "bwfuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        host_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(host_, ec);
    }
    const std::string& host() const { return host_; }

private:
    std::string host_;
};

// The process's folder, made on first use.
inline const TempFolder& tempFolder() {
    static TempFolder folder;
    return folder;
}

}  // namespace bwfuzz
