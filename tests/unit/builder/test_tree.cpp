#include "tests/unit/builder/test_tree.h"

#include <bzlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "platform/os/os.h"

namespace bwtest {

TempTree::TempTree() {
    static std::atomic<unsigned> serial{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = os::tempFolder() + "BwTestBuilder_" + std::to_string(stamp % 1000000007) + "_" +
            std::to_string(serial++) + "\\";
    if (!os::createDirectories(root_.substr(0, root_.size() - 1))) throw std::runtime_error("cannot create " + root_);
}

TempTree::~TempTree() { removeTree(root_.substr(0, root_.size() - 1)); }

void TempTree::write(const std::string& rel, const std::string& bytes) const { writeFile(path(rel), bytes); }
void TempTree::mkdir(const std::string& rel) const { os::createDirectories(path(rel)); }

bool readFile(const std::string& winPath, std::string& out) {
    FILE* f = os::openFile(winPath, "rb");
    if (!f) return false;
    out.clear();
    char b[65536];
    size_t n;
    while ((n = std::fread(b, 1, sizeof b, f)) > 0) out.append(b, n);
    std::fclose(f);
    return true;
}

std::string readFile(const std::string& winPath) {
    std::string s;
    if (!readFile(winPath, s)) throw std::runtime_error("cannot read " + winPath);
    return s;
}

void writeFile(const std::string& winPath, const std::string& bytes) {
    FILE* f = os::openFile(winPath, "wb");
    if (!f) throw std::runtime_error("cannot write " + winPath);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

namespace {
void walk(const std::string& folder, const std::string& rel, std::vector<std::string>& out) {
    std::vector<os::DirEntry> entries;
    if (!os::listFolder(folder, entries)) return;
    for (const auto& e : entries) {
        if (e.name == "." || e.name == "..") continue;
        if (e.isDirectory) {
            out.push_back(rel + e.name + "\\");
            walk(folder + "\\" + e.name, rel + e.name + "\\", out);
        } else {
            out.push_back(rel + e.name + "=" + readFile(folder + "\\" + e.name));
        }
    }
}
}  // namespace

std::vector<std::string> snapshot(const std::string& folder) {
    std::vector<std::string> out;
    walk(folder, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

void removeTree(const std::string& folder) {
    std::vector<os::DirEntry> entries;
    if (os::listFolder(folder, entries))
        for (const auto& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            if (e.isDirectory) removeTree(folder + "\\" + e.name);
            else os::deleteFile(folder + "\\" + e.name);
        }
    os::removeDirectory(folder);
}

std::string decompress(const std::string& stream, bool* ok) {
    bz_stream s{};
    BZ2_bzDecompressInit(&s, 0, 0);
    std::string out;
    s.next_in = const_cast<char*>(stream.data());
    s.avail_in = static_cast<unsigned>(stream.size());
    int r = BZ_OK;
    char buf[65536];
    while (r == BZ_OK) {
        s.next_out = buf;
        s.avail_out = sizeof buf;
        r = BZ2_bzDecompress(&s);
        out.append(buf, sizeof buf - s.avail_out);
        if (r == BZ_OK && s.avail_in == 0 && s.avail_out != 0) break;
    }
    if (ok) *ok = r == BZ_STREAM_END && s.avail_in == 0;
    BZ2_bzDecompressEnd(&s);
    return out;
}

}  // namespace bwtest
