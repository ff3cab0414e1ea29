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

// The reader's verdict on a package whose first entry claims `size`: empty
// when it reads, else the error.
std::string readWithFirstSize(const std::string& size) {
    const fs::path file = fs::temp_directory_path() / "bwstub_reader_pkg.exe";
    TestPackage t;
    t.entries = {{"\\a.txt", "abc"}, {"\\b.txt", "raw"}};
    t.sizeTexts = {size};
    const std::string bytes = t.bytes();
    std::ofstream(file, std::ios::binary) << bytes;
    FILE* f = os::openFile(bwtest::hostPath(file.string()), "rb");
    if (!f) return "cannot open " + file.string();
    Package p;
    std::string error;
    if (readPackage(f, bytes.size(), p, error)) error.clear();
    else if (error.empty()) error = "refused without a message";
    std::fclose(f);
    fs::remove(file);
    return error;
}

// Sizes a 32-bit installer cannot hold: refused, never wrapped round to a
// small size that would take the next entry's bytes for this one's.
TEST(StubPackageReader, EntrySizesBeyondTwoGigabytesAreRefused) {
    EXPECT_EQ(readWithFirstSize("3"), "");
    for (const char* size : {"4294967299", "2147483648", "99999999999"})
        EXPECT_NE(std::string::npos, readWithFirstSize(size).find("a file entry is damaged")) << size;
    // The largest size a long holds everywhere is well-formed, and still
    // more than the package holds.
    EXPECT_NE(readWithFirstSize("2147483647"), "");
}

}  // namespace
