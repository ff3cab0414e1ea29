// A fresh folder per test, named by its Windows path (the native build sees host
// folders through Z:), removed again at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/os/os.h"

namespace bwtest {

inline std::string testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "_" + info->name();
}

class TestFolder {
public:
    TestFolder() {
        std::string name = "BwTestStartup_" + testName();
        for (char& c : name)
            if (c == '/') c = '_';
        path_ = os::tempFolder() + name;
        removeTree(path_);
        os::createDirectories(path_);
    }
    ~TestFolder() { removeTree(path_); }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

    static void write(const std::string& path, const std::string& bytes) {
        FILE* f = os::openFile(path, "wb");
        ASSERT_NE(f, nullptr) << path;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    static std::string read(const std::string& path) {
        std::string out;
        if (FILE* f = os::openFile(path, "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
            std::fclose(f);
        }
        return out;
    }

private:
    static void removeTree(const std::string& dir) {
        std::vector<os::DirEntry> entries;
        if (!os::listFolder(dir, entries)) return;
        for (const auto& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            const std::string p = dir + "\\" + e.name;
            if (e.isDirectory) removeTree(p);
            else os::deleteFile(p);
        }
        os::removeDirectory(dir);
    }
    std::string path_;
};

}  // namespace bwtest
