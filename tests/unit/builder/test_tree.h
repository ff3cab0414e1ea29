// A temporary folder per test, addressed by Windows paths through the os layer.
#pragma once

#include <string>
#include <vector>

#include "builder/package_builder.h"

namespace bwtest {

class TempTree {
public:
    TempTree();
    ~TempTree();
    const std::string& root() const { return root_; }   // ends with '\'
    std::string path(const std::string& rel) const { return root_ + rel; }
    void write(const std::string& rel, const std::string& bytes) const;
    void mkdir(const std::string& rel) const;

private:
    std::string root_;
};

// A build that reports nothing and does not pause at its end.
struct QuietProgress : builder::BuildProgress {
    void onStatus(const std::string&) override {}
    void onProgress(int) override {}
    void onWait(unsigned) override {}
};

bool readFile(const std::string& winPath, std::string& out);
std::string readFile(const std::string& winPath);
void writeFile(const std::string& winPath, const std::string& bytes);
// Every file below a folder with its bytes, "rel=bytes" sorted.
std::vector<std::string> snapshot(const std::string& folder);
void removeTree(const std::string& folder);
std::string decompress(const std::string& stream, bool* ok = nullptr);

}  // namespace bwtest
