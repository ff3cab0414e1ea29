// twk inspect's reader against packages the builder writes.
#include <gtest/gtest.h>

#include "builder/package_builder.h"
#include "cli/package_reader.h"
#include "platform/os/os.h"
#include "tests/unit/builder/test_tree.h"

namespace {

using bwtest::TempTree;

class Inspect : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* d : {"bin", "lang", "temp", "src\\sub"}) t.mkdir(d);
        t.write("bin\\install.exe", "MZ stub");
        t.write("bin\\UnBundlewright.exe", "MZ uninstaller");
        t.write("lang\\English.txt", "English\r\n");
        t.write("temp\\option.txt", "opt");
        t.write("temp\\registry.txt", "reg\r\n");
        t.write("src\\ab", std::string(3000, 'q'));
        t.write("src\\sub\\c.txt", "ccc");
        t.write("temp\\list.txt", t.path("src\\ab") + "\r\n" + t.path("src\\sub\\temp$") + "\r\n" +
                                      t.path("src\\sub\\c.txt") + "\r\n");
        builder::BuildRequest r;
        r.stub_path = t.path("bin\\install.exe");
        r.uninstaller_path = t.path("bin\\UnBundlewright.exe");
        r.source_folder = t.path("src");
        r.output_path = t.path("setup.exe");
        r.product_name = "Widget";
        r.list_file_path = t.path("temp\\list.txt");
        r.option_file_path = t.path("temp\\option.txt");
        r.registry_file_path = t.path("temp\\registry.txt");
        r.shortcuts_file_path = t.path("temp\\shortcuts.txt");
        r.lang_dir = t.path("lang\\");
        r.file_count = 2;
        bwtest::QuietProgress q;
        ASSERT_TRUE(builder::PackageBuilder(q).build(r).ok());
        pkg = bwtest::readFile(r.output_path);
    }
    bool read(const std::string& bytes, twk::PackageContents& out, std::string& error) {
        twk::MemorySource src(bytes.data(), bytes.size());
        return twk::readPackage(src, out, error);
    }
    // Rewrites the trailer so that only the damage inside is left to find.
    static std::string withLength(std::string p) {
        std::string n = std::to_string(p.size());
        p.replace(p.size() - 25, 25, std::string(25 - n.size(), '0') + n);
        return p;
    }
    TempTree t;
    std::string pkg;
};

TEST_F(Inspect, ReadsEveryItemOfABuiltPackage) {
    twk::PackageContents p;
    std::string error;
    ASSERT_TRUE(read(pkg, p, error)) << error;
    EXPECT_EQ(p.fileCount, "2");
    EXPECT_EQ(p.optionBody, "opt");
    EXPECT_EQ(p.texts.at(1), "Widget");
    EXPECT_EQ(p.texts.at(7), " ");
    EXPECT_EQ(p.language, "English\n");
    ASSERT_EQ(p.entries.size(), 4u);
    EXPECT_EQ(p.entries[0].name, "\\UnBundlewright.exe");
    EXPECT_EQ(p.entries[0].kind, twk::PackageEntry::Kind::Stored);
    EXPECT_EQ(p.entries[1].name, "\\ab.bz2");
    EXPECT_EQ(p.entries[1].kind, twk::PackageEntry::Kind::Compressed);
    EXPECT_EQ(p.entries[1].decodedSize, 3000u);
    EXPECT_EQ(p.entries[2].kind, twk::PackageEntry::Kind::DirectoryMarker);
    EXPECT_EQ(p.entries[3].decodedSize, 3u);
    EXPECT_TRUE(p.hasRegistry);
    EXPECT_EQ(p.registry, "reg\r\n");
    EXPECT_FALSE(p.hasShortcuts);

    // The same through a file.
    FILE* f = os::openFile(t.path("setup.exe"), "rb");
    ASSERT_NE(f, nullptr);
    twk::FileSource fs(f);
    twk::PackageContents q;
    EXPECT_TRUE(twk::readPackage(fs, q, error)) << error;
    std::fclose(f);
    EXPECT_EQ(q.entries.size(), 4u);
}

TEST_F(Inspect, RejectsEveryTruncatedPrefix) {
    twk::PackageContents p;
    std::string error;
    size_t accepted = 0;
    for (size_t n = 0; n < pkg.size(); ++n) {
        twk::MemorySource prefix(pkg.data(), n);
        if (twk::readPackage(prefix, p, error)) ++accepted;
    }
    EXPECT_EQ(accepted, 0u);
    EXPECT_FALSE(error.empty());
}

TEST_F(Inspect, RejectsDamage) {
    twk::PackageContents p;
    std::string error;
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string flippedDigit = pkg;
    flippedDigit[pkg.size() - 3] = flippedDigit[pkg.size() - 3] == '9' ? '8' : '9';
    std::string noStop = pkg;
    noStop[pkg.size() - 30] = 'X';
    std::string badStream = pkg;
    size_t data = pkg.find("\\ab.bz2\r\n");
    ASSERT_NE(data, std::string::npos);
    data = pkg.find("\r\n", data + 9) + 2;
    badStream[data + 20] ^= 0x55;
    std::string unsafe = pkg;
    unsafe.replace(pkg.find("\\ab.bz2\r\n"), 7, "..\\.bz2");
    std::string extra = pkg;
    extra.insert(pkg.size() - 41, "junk");
    std::string badCount = pkg;
    badCount[541200] = 'x';
    // A name the installer refuses, though it does not climb out.
    std::string device = pkg;
    device.replace(pkg.find("\\ab.bz2\r\n"), 7, "\\CON.bz2");
    // One byte less space than the files decode to (3000 + 3).
    std::string declared(std::string("\0" "3003\0", 6));
    ASSERT_NE(pkg.find(declared), std::string::npos);
    std::string tooSmall = pkg;
    tooSmall.replace(pkg.find(declared), 6, std::string("\0" "3002\0", 6));
    const Case cases[] = {
        {"flipped length digit", flippedDigit},
        {"stop marker damaged", noStop},
        {"bzip2 stream damaged", badStream},
        {"entry name leaves the destination", unsafe},
        {"bytes before the stop marker", withLength(extra)},
        {"file count not a decimal", badCount},
        {"longer than stated", pkg + "0"},
        {"device name", withLength(device)},
        {"decodes to more than the space it states", tooSmall},
    };
    for (const auto& c : cases) {
        error.clear();
        EXPECT_FALSE(read(c.bytes, p, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

}  // namespace
