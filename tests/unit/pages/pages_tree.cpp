#include "tests/unit/pages/pages_tree.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/os/text.h"
#include "platform/os/os.h"

namespace pagestest {

namespace {
void removeTree(const std::string& folder) {
    std::vector<os::DirEntry> entries;
    if (os::listFolder(folder, entries))
        for (const auto& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            std::string full = folder + "\\" + e.name;
            if (e.isDirectory) removeTree(full);
            else os::deleteFile(full);
        }
    os::removeDirectory(folder);
}
}  // namespace

Tree::Tree() {
    static std::atomic<unsigned> serial{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name = "BwTestPages_" + std::to_string(stamp % 1000000007) + "_" + std::to_string(serial++);
#ifdef _WIN32
    root_ = os::tempFolder() + name;
    if (!os::createDirectories(root_)) throw std::runtime_error("cannot create " + root_);
#else
    std::string hostTemp = os::hostPath(os::tempFolder());
    if (!hostTemp.empty() && hostTemp.back() == '/') hostTemp.pop_back();
    host_ = hostTemp + "/" + name;
    if (!os::createDirectories(os::windowsPath(host_))) throw std::runtime_error("cannot create " + host_);
    ::setenv("BUNDLEWRIGHT_DRIVES", ("C=" + host_).c_str(), 1);
    root_ = "C:";
    driveRoot_ = true;
#endif
}

Tree::~Tree() {
#ifdef _WIN32
    removeTree(root_);
#else
    ::unsetenv("BUNDLEWRIGHT_DRIVES");
    removeTree(os::windowsPath(host_));
#endif
}

void Tree::write(const std::string& rel, const std::string& bytes) const {
    std::size_t cut = rel.rfind('\\');
    if (cut != std::string::npos) mkdir(rel.substr(0, cut));
    writeFile(path(rel), bytes);
}
void Tree::mkdir(const std::string& rel) const {
    if (!os::createDirectories(path(rel))) throw std::runtime_error("cannot create " + path(rel));
}

std::string readFile(const std::string& winPath) {
    std::string bytes;
    if (!os::readWholeFile(winPath, bytes)) return "<missing>";
    return bytes;
}

void writeFile(const std::string& winPath, const std::string& bytes) {
    if (!os::writeWholeFile(winPath, bytes)) throw std::runtime_error("cannot write " + winPath);
}

}  // namespace pagestest
