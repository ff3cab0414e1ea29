// Persistence for the native emulations: a folder named by BUNDLEWRIGHT_REGISTRY
// holds one text file per emulation; every call loads it under an exclusive
// lock and saves it (write a new file, then rename) when it changed, so
// separate processes share one registry and one service list.
#pragma once

#include <string>
#include <vector>

namespace os::store {

// The persistence folder, empty when the emulation lives in memory only.
std::string folder();

// Holds the folder's lock file locked for its lifetime (no-op without a folder).
class Lock {
public:
    explicit Lock(const std::string& folder);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    int fd_ = -1;
};

// Whole-file read and atomic replace; false on failure.
bool readLines(const std::string& file, std::vector<std::string>& lines);
bool writeLines(const std::string& file, const std::vector<std::string>& lines);

// Fields separated by single blanks: bytes that could break a field are %XX.
std::string escape(const std::string& s);
std::string unescape(const std::string& s);
std::vector<std::string> fields(const std::string& line);
std::string hex(const std::vector<unsigned char>& bytes);
std::vector<unsigned char> unhex(const std::string& s);

}  // namespace os::store
