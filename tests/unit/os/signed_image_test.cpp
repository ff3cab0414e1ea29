// The end of a signed executable's own bytes, found from its PE header with
// a reader that fails the test on any read outside the file.
#include <gtest/gtest.h>

#include <string>

#include "platform/os/signed_image.h"
#include "tests/support/signed_package.h"

namespace {

using bwtest::putLe;
using bwtest::putPeHeader;
using bwtest::securityEntryAt;

struct Verdict {
    bool ok = false;
    os::SignedImageEnd end;
    std::string problem;
};

Verdict examine(const std::string& file) {
    Verdict v;
    auto read = [&file](uint64_t offset, void* into, size_t n) {
        if (offset > file.size() || n > file.size() - offset) {
            ADD_FAILURE() << "read of " << n << " bytes at " << offset << " in a file of " << file.size();
            return false;
        }
        file.copy(static_cast<char*>(into), n, static_cast<size_t>(offset));
        return true;
    };
    v.ok = os::findSignedImageEnd(read, file.size(), v.end, v.problem);
    if (!v.ok) {
        EXPECT_FALSE(v.problem.empty());
    }
    return v;
}

std::string body(size_t n) {
    std::string s(n, 'b');
    s.back() = '9';   // a package ends with a digit of its length, never a zero byte
    return s;
}

TEST(SignedImage, UnsignedFilesEndAtTheirSize) {
    std::string pe = body(4000);
    putPeHeader(pe, 0, 0);
    std::string fewDirectories = pe;
    putLe(fewDirectories, bwtest::kTestPeAt + 24 + 92, 4, 4);   // no security directory: the entry is not one
    putLe(fewDirectories, securityEntryAt(false), 100, 4);
    std::string dosOnly = body(4000);
    dosOnly.replace(0, 2, "MZ");
    putLe(dosOnly, 0x3C, 0xFFFFFFF0u, 4);
    for (const std::string& file : {body(4000), std::string("MZ"), std::string(), pe, fewDirectories, dosOnly}) {
        Verdict v = examine(file);
        ASSERT_TRUE(v.ok) << v.problem;
        EXPECT_FALSE(v.end.isSigned());
        EXPECT_EQ(v.end.contentEnd, file.size());
    }
}

// Signing tools pad to a multiple of 8 with zero bytes: those are not the
// file's own, whatever its length, in 32-bit and 64-bit images.
TEST(SignedImage, SignedFilesEndBeforeTheSigningPadding) {
    for (bool pe64 : {false, true}) {
        for (size_t n = 4000; n < 4008; ++n) {
            SCOPED_TRACE(std::to_string(n) + (pe64 ? " pe64" : " pe32"));
            const std::string file = bwtest::signedCopy(body(n), 1032, pe64);
            Verdict v = examine(file);
            ASSERT_TRUE(v.ok) << v.problem;
            EXPECT_TRUE(v.end.isSigned());
            EXPECT_EQ(v.end.contentEnd, n);
            EXPECT_EQ(v.end.tableOffset, (n + 7) / 8 * 8);
            EXPECT_EQ(v.end.tableSize, 1032u);
        }
    }
}

TEST(SignedImage, TablesThatDoNotEndTheFileAreRefused) {
    const std::string good = bwtest::signedCopy(body(4001));
    const size_t at = securityEntryAt(false);
    const uint32_t offset = 4008;
    struct Case {
        const char* name;
        uint32_t offset, size;
        std::string extra;
        const char* problem;
    } cases[] = {
        {"bytes appended after the table", offset, 1032, "appended", "bytes follow its certificate table"},
        {"a table that stops short of the end", offset, 1024, "", "bytes follow its certificate table"},
        {"a table running past the end", offset, 1040, "", "points outside the file"},
        {"an offset past the end", 0x7ffffff0u, 1032, "", "points outside the file"},
        {"an offset that wraps round", 0xfffffff8u, 0x10, "", "points outside the file"},
        {"a size that wraps round", offset, 0xffffffffu, "", "points outside the file"},
        {"a table over the header", 0, 5040, "", "overlaps the program header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = good + c.extra;
        putLe(file, at, c.offset, 4);
        putLe(file, at + 4, c.size, 4);
        Verdict v = examine(file);
        EXPECT_FALSE(v.ok);
        EXPECT_NE(v.problem.find(c.problem), std::string::npos) << v.problem;
    }
    std::string unknown = good;
    putLe(unknown, bwtest::kTestPeAt + 24, 0x107, 2);
    EXPECT_NE(examine(unknown).problem.find("damaged"), std::string::npos);
}

// A header cut anywhere, or claiming more than the file holds, is never
// read past the file's end.
TEST(SignedImage, CutHeadersAreNeverReadOutsideTheFile) {
    for (bool pe64 : {false, true}) {
        const std::string file = bwtest::signedCopy(body(600), 64, pe64);
        for (size_t n = 0; n <= bwtest::peHeaderEnd(pe64) + 8; ++n) {
            SCOPED_TRACE(n);
            Verdict v = examine(file.substr(0, n));
            if (n > securityEntryAt(pe64) + 8) {
                EXPECT_FALSE(v.ok) << "a signed header with its table cut off";
            }
        }
        std::string huge = file;
        putLe(huge, bwtest::kTestPeAt + 20, 0xffff, 2);
        EXPECT_NE(examine(huge).problem.find("cut short"), std::string::npos);
        std::string farHeader = file;
        putLe(farHeader, 0x3C, static_cast<uint32_t>(file.size() - 30), 4);
        farHeader.replace(file.size() - 30, 4, std::string("PE\0\0", 4));
        EXPECT_NE(examine(farHeader).problem.find("cut short"), std::string::npos);
    }
}

}  // namespace
