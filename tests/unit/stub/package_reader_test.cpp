// The stub's package reader on both hosts: the Win32 build is where a long
// has 32 bits.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/os/os.h"
#include "stub/package_reader.h"
#include "tests/support/host_path.h"
#include "tests/unit/stub/test_package.h"

namespace fs = std::filesystem;
using namespace stub;

namespace {

// Sizes a 32-bit installer cannot hold: refused, never wrapped round to a
// small size that would take the next entry's bytes for this one's.
TEST(StubPackageReader, EntrySizesBeyondTwoGigabytesAreRefused) {
    const fs::path file = fs::temp_directory_path() / "bwstub_reader_pkg.exe";
    for (const char* size : {"4294967299", "2147483648", "99999999999"}) {
        TestPackage t;
        t.entries = {{"\\a.txt", "abc"}, {"\\b.txt", "raw"}};
        t.sizeTexts = {size};
        const std::string bytes = t.bytes();
        std::ofstream(file, std::ios::binary) << bytes;
        FILE* f = os::openFile(bwtest::hostPath(file.string()), "rb");
        ASSERT_NE(nullptr, f);
        Package p;
        std::string error;
        EXPECT_FALSE(readPackage(f, bytes.size(), p, error)) << size;
        EXPECT_NE(std::string::npos, error.find("a file entry is damaged")) << size << ": " << error;
        std::fclose(f);
    }
    TestPackage good;
    good.entries = {{"\\a.txt", "abc"}};
    good.sizeTexts = {"2147483647"};   // the largest size: well-formed, but more than the package holds
    const std::string bytes = good.bytes();
    std::ofstream(file, std::ios::binary) << bytes;
    FILE* f = os::openFile(bwtest::hostPath(file.string()), "rb");
    ASSERT_NE(nullptr, f);
    Package p;
    std::string error;
    EXPECT_FALSE(readPackage(f, bytes.size(), p, error));
    std::fclose(f);
    fs::remove(file);
}

}  // namespace
