// A fresh folder per test, named by its Windows path (the native build sees host
// folders through Z:), removed again at the end; and the unique names every
// test's temporary folder is made from.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "platform/os/os.h"
#include "platform/os/text.h"

namespace bwtest {

inline std::string testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
        if (c == '/') c = '_';   // parameterised tests
    return name;
}

// "<prefix><suite>_<test>_<process>_<n>": unique across the tests of one run,
// the runs of one suite at the same time, and the folders of one test.
inline std::string uniqueName(const std::string& prefix) {
    static std::atomic<unsigned> count{0};
#ifdef _WIN32
    long pid = _getpid();
#else
    long pid = getpid();
#endif
    return prefix + testName() + "_" + std::to_string(pid) + "_" + std::to_string(count++);
}

class TestFolder {
public:
    TestFolder() {
        path_ = os::tempFolder() + uniqueName("BwTest_");
        removeTree(path_);
        os::createDirectories(path_);
    }
    ~TestFolder() { removeTree(path_); }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

    static void write(const std::string& path, const std::string& bytes) {
        ASSERT_TRUE(os::writeWholeFile(path, bytes)) << path;
    }
    static std::string read(const std::string& path) {
        std::string out;
        os::readWholeFile(path, out);
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
