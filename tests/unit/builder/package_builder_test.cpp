#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "builder/compress_step.h"
#include "builder/package_builder.h"
#include "platform/os/package_format.h"
#include "platform/os/os.h"
#include "tests/unit/builder/test_tree.h"

namespace {

using bwtest::TempTree;
using builder::BuildFailureKind;

struct Recorder : builder::BuildProgress {
    std::vector<std::string> statuses;
    std::vector<int> positions;
    unsigned waited = 0;
    void onStatus(const std::string& t) override { statuses.push_back(t); }
    void onProgress(int p) override { positions.push_back(p); }
    void onWait(unsigned ms) override { waited += ms; }
};

// Reads a package item by item and fails the test on any mismatch.
class Parser {
public:
    explicit Parser(const std::string& bytes, size_t at = package::kPayloadOffset) : b_(bytes), at_(at) {}
    std::string z() {
        size_t nul = b_.find('\0', at_);
        EXPECT_NE(nul, std::string::npos);
        std::string s = b_.substr(at_, nul - at_);
        at_ = nul + 1;
        return s;
    }
    std::string take(size_t n) {
        EXPECT_LE(at_ + n, b_.size());
        std::string s = b_.substr(at_, n);
        at_ += n;
        return s;
    }
    std::string line() {
        size_t end = b_.find("\r\n", at_);
        EXPECT_NE(end, std::string::npos);
        std::string s = b_.substr(at_, end - at_);
        at_ = end + 2;
        return s;
    }
    struct Entry {
        std::string name, data;
    };
    Entry entry() {
        Entry e;
        e.name = line();
        e.data = take(std::stoul(line()));
        return e;
    }
    bool at(const std::string& s) const { return b_.compare(at_, s.size(), s) == 0; }
    size_t pos() const { return at_; }

private:
    const std::string& b_;
    size_t at_;
};

std::string sample(size_t n, unsigned seed) {
    std::string s;
    s.reserve(n);
    unsigned x = seed;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245 + 12345;
        s.push_back(static_cast<char>("abcdefgh \n"[(x >> 16) % 10]));
    }
    return s;
}

std::string streamOf(const std::string& data) {
    std::vector<char> v = builder::compressBytes(data);
    return std::string(v.begin(), v.end());
}

class PackageBuild : public ::testing::Test {
protected:
    void SetUp() override {
        t.mkdir("inst\\bin");
        t.mkdir("inst\\lang");
        t.mkdir("inst\\temp");
        t.mkdir("inst\\output");
        t.mkdir("src\\docs");
        t.mkdir("src\\bin");
        stub = "MZ" + sample(998, 1);
        t.write("inst\\bin\\install.exe", stub);
        uninstaller = "MZ-uninstaller" + sample(30000, 2);
        t.write("inst\\bin\\UnBundlewright.exe", uninstaller);
        t.write("inst\\lang\\English.txt", std::string("Hello\r\nWorld\r\nlone\rcr\0after nul", 31));
        t.write("inst\\lang\\French.txt", "Bonjour\r\n\x1a" "after ctrl-z");
        option = "**PROMPT**\r\nsomething\r\n";
        t.write("inst\\temp\\option.txt", option);
        t.write("inst\\temp\\registry.txt", "REG`line\r\n");
        t.write("inst\\temp\\shortcuts.txt", "LINK`line\r\n");

        r.stub_path = t.path("inst\\bin\\install.exe");
        r.uninstaller_path = t.path("inst\\bin\\UnBundlewright.exe");
        r.source_folder = t.path("src");
        r.output_path = t.path("inst\\output\\setup.exe");
        r.company_name = "";
        r.product_name = "Widget";
        r.product_version = "1.0";
        r.email = "a@b.c";
        r.description = "desc";
        r.comments = "";
        r.copyright_notice = "(c)";
        r.list_file_path = t.path("inst\\temp\\list.txt");
        r.option_file_path = t.path("inst\\temp\\option.txt");
        r.registry_file_path = t.path("inst\\temp\\registry.txt");
        r.shortcuts_file_path = t.path("inst\\temp\\shortcuts.txt");
        r.lang_dir = t.path("inst\\lang\\");
        r.post_install_choice = -1;
        r.post_install_cmdline = "/typed";
        r.pre_uninstall_choice = 0;
        r.pre_uninstall_file = "\\bin\\clean.exe";
        r.pre_uninstall_cmdline = "";
        r.pre_install_choice = 2;
        r.pre_install_file = "\\bin\\prep.exe";
        r.pre_install_cmdline = "-q";
        r.finish_action = 2;
        r.default_destination = "";
        r.services_text = "x";
        r.file_count = 3;
        r.required_space = 1234567.6;
    }

    void list(const std::vector<std::string>& lines) {
        std::string s;
        for (const auto& l : lines) s += l + "\r\n";
        t.write("inst\\temp\\list.txt", s);
    }
    std::string src(const std::string& rel) const { return t.path("src\\" + rel); }

    builder::BuildResult build(Recorder* rec = nullptr) {
        Recorder local;
        builder::PackageBuilder b(rec ? *rec : local);
        return b.build(r);
    }
    std::string package() const { return bwtest::readFile(r.output_path); }
    bool workingFilesPresent() const {
        return os::fileExists(r.list_file_path) && os::fileExists(r.option_file_path) &&
               os::fileExists(r.registry_file_path) && os::fileExists(r.shortcuts_file_path);
    }

    TempTree t;
    builder::BuildRequest r;
    std::string stub, uninstaller, option;
};

TEST_F(PackageBuild, EveryItemInOrder) {
    t.write("src\\a.txt", sample(50000, 3));
    t.write("src\\bin\\x.bz2", "not really bzip2");
    t.write("src\\bin\\empty.dat", "");
    list({src("a.txt"), src("docs\\temp$"), src("bin\\x.bz2"), src("bin\\empty.dat")});
    auto before = bwtest::snapshot(r.source_folder);
    Recorder rec;
    ASSERT_TRUE(build(&rec).ok());
    const std::string p = package();

    EXPECT_EQ(p.substr(0, stub.size()), stub);
    EXPECT_EQ(p.substr(stub.size(), package::kPayloadOffset - stub.size()),
              std::string(package::kPayloadOffset - stub.size(), '0'));
    Parser in(p);
    EXPECT_EQ(in.z(), "3");
    EXPECT_EQ(in.z(), "option.txt");
    EXPECT_EQ(in.z(), std::to_string(option.size()));
    EXPECT_EQ(in.take(option.size()), option);
    EXPECT_EQ(in.take(24), std::string("~~~~~start~~~~~now~~~~~\0", 24));
    const char* texts[] = {"", "Widget", "1.0", "a@b.c", "desc", "", "(c)",
                           " ",                 // no post-installation program, though a command line was typed
                           "/typed",            // ...which is still stored
                           "\\bin\\clean.exe", " ", "\\bin\\prep.exe", "-q",
                           " "};                // empty default destination
    for (const char* text : texts) EXPECT_EQ(in.z(), text);
    EXPECT_EQ(in.z(), "2");
    EXPECT_EQ(in.z(), "1234568");
    EXPECT_EQ(in.z(), " ");                     // a one-character services text
    EXPECT_EQ(in.z(), "Hello\nWorld\nlone\rcr");

    auto e = in.entry();
    EXPECT_EQ(e.name, "\\UnBundlewright.exe");
    EXPECT_EQ(e.data, uninstaller);
    e = in.entry();
    EXPECT_EQ(e.name, "\\a.txt.bz2");
    EXPECT_EQ(e.data, streamOf(sample(50000, 3)));
    EXPECT_EQ(p.substr(in.pos(), 21), "\\docs\\temp$.bz2\r\n1\r\n1");
    e = in.entry();
    EXPECT_EQ(e.name, "\\docs\\temp$.bz2");
    EXPECT_EQ(e.data, "1");
    e = in.entry();
    EXPECT_EQ(e.name, "\\bin\\x.bz2.bz2");   // compressed like any other file
    EXPECT_EQ(bwtest::decompress(e.data), "not really bzip2");
    e = in.entry();
    EXPECT_EQ(e.name, "\\bin\\empty.dat.bz2");
    EXPECT_EQ(e.data.size(), 14u);
    EXPECT_EQ(in.take(31), "**REGISTRY_UPDATION_DETAILS**\r\n");
    EXPECT_EQ(in.take(10), "REG`line\r\n");
    EXPECT_EQ(in.z(), "**END_REGISTRY**");
    EXPECT_EQ(in.take(23), "**SHORTCUTS_DETAILS**\r\n");
    EXPECT_EQ(in.take(11), "LINK`line\r\n");
    EXPECT_EQ(in.z(), "**END_SHORTCUTS**");
    EXPECT_EQ(in.take(16), "`~`~!STOP!~`~`\r\n");
    std::string digits = in.take(25);
    EXPECT_EQ(in.pos(), p.size());
    std::string expect = std::to_string(p.size());
    EXPECT_EQ(digits, std::string(25 - expect.size(), '0') + expect);

    // Status per file (markers none), progress from 2, the end past the range.
    EXPECT_EQ(rec.statuses, (std::vector<std::string>{"Please wait...", src("a.txt"), src("bin\\x.bz2"),
                                                      src("bin\\empty.dat"), "Please wait..."}));
    EXPECT_EQ(rec.positions, (std::vector<int>{1, 2, 3, 4, 1005}));
    EXPECT_EQ(rec.waited, 3000u);
    // The working files go; the source folder is exactly as it was.
    EXPECT_FALSE(os::fileExists(r.list_file_path));
    EXPECT_FALSE(os::fileExists(r.option_file_path));
    EXPECT_FALSE(os::fileExists(r.registry_file_path));
    EXPECT_FALSE(os::fileExists(r.shortcuts_file_path));
    EXPECT_EQ(bwtest::snapshot(r.source_folder), before);
    EXPECT_EQ(bwtest::snapshot(t.path("inst\\output")).size(), 1u);   // no temporary files left
}

TEST_F(PackageBuild, EntryBytesEqualTheCompressionStepsFile) {
    std::string data = sample(1500000, 9);
    t.write("src\\big.txt", data);
    t.mkdir("copy");
    t.write("copy\\big.txt", data);
    const char* argv[] = {" ", "-k", nullptr};
    std::string copy = t.path("copy\\big.txt");
    argv[2] = copy.c_str();
    ASSERT_EQ(builder::compressStep(3, argv), 0);
    list({src("big.txt")});
    ASSERT_TRUE(build().ok());
    std::string p = package();
    std::string stream = bwtest::readFile(copy + ".bz2");
    std::string head = "\\big.txt.bz2\r\n" + std::to_string(stream.size()) + "\r\n";
    size_t at = p.find(head);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(p.substr(at + head.size(), stream.size()), stream);
}

TEST_F(PackageBuild, UsersOwnBz2BesideTheFileIsPackedAndKept) {
    t.write("src\\P", "plain");
    t.write("src\\P.bz2", "the user's own archive");
    list({src("P"), src("P.bz2")});
    ASSERT_TRUE(build().ok());
    std::string p = package();
    EXPECT_NE(p.find("\\P.bz2\r\n" + std::to_string(streamOf("plain").size()) + "\r\n" + streamOf("plain")),
              std::string::npos);
    EXPECT_NE(p.find("\\P.bz2.bz2\r\n"), std::string::npos);
    EXPECT_EQ(bwtest::readFile(src("P.bz2")), "the user's own archive");
}

TEST_F(PackageBuild, ListLinesAreReadWholeAndBlankLineEnds) {
    // A line of exactly 259 characters, then more lines.
    std::string longName(259 - src("").size(), 'L');
    t.write("src\\" + longName, "long");
    t.write("src\\after.txt", "after");
    t.write("src\\ignored.txt", "ignored");
    t.mkdir("other");
    t.write("other\\tool.exe", "outside");
    ASSERT_EQ(src(longName).size(), 259u);
    std::string s = src(longName) + "\r\n" + src("after.txt") + "\r\n" + src("missing.txt") + "\r\n" +
                    t.path("other\\tool.exe") + "\r\n\r\n" + src("ignored.txt") + "\r\n";
    t.write("inst\\temp\\list.txt", s);
    Recorder rec;
    ASSERT_TRUE(build(&rec).ok());
    std::string p = package();
    EXPECT_NE(p.find("\\" + longName + ".bz2\r\n"), std::string::npos);
    EXPECT_NE(p.find("\\after.txt.bz2\r\n"), std::string::npos);
    EXPECT_NE(p.find("\\tool.exe.bz2\r\n"), std::string::npos);   // outside the source: root name
    EXPECT_EQ(p.find(t.path("other")), std::string::npos);
    EXPECT_EQ(p.find("missing.txt"), std::string::npos);
    EXPECT_EQ(p.find("ignored"), std::string::npos);
    // The missing file still took its progress step.
    EXPECT_EQ(rec.positions, (std::vector<int>{1, 2, 3, 4, 5, 1006}));
}

TEST_F(PackageBuild, AbsentSectionsAndAStubOfExactlyThePayloadOffset) {
    stub = "MZ" + std::string(package::kPayloadOffset - 2, 's');
    t.write("inst\\bin\\install.exe", stub);
    os::deleteFile(r.registry_file_path);
    os::deleteFile(r.shortcuts_file_path);
    t.write("src\\a", "a");
    list({src("a")});
    ASSERT_TRUE(build().ok());
    std::string p = package();
    EXPECT_EQ(p.substr(0, stub.size()), stub);
    EXPECT_EQ(p.substr(package::kPayloadOffset, 2), std::string("3\0", 2));
    std::string last = "\\a.bz2\r\n" + std::to_string(streamOf("a").size()) + "\r\n" + streamOf("a");
    EXPECT_EQ(p.substr(p.size() - 41 - last.size(), last.size() + 16), last + "`~`~!STOP!~`~`\r\n");
}

TEST_F(PackageBuild, ServicesTextAndLanguagesAndSpace) {
    t.write("src\\a", "a");
    list({src("a")});
    r.services_text = "SVC`text\r\n";
    r.language_index = 1;
    r.required_space = 999.4;
    r.default_destination = "C:\\Program Files\\Widget";
    ASSERT_TRUE(build().ok());
    std::string p = package();
    EXPECT_NE(p.find(std::string("C:\\Program Files\\Widget\0" "2\0" "999\0SVC`text\r\n\0Bonjour\n\0", 48)),
              std::string::npos);
}

// The installer refuses files that decode to more than the package states:
// never less than the files need.
TEST_F(PackageBuild, TheSpaceStatedCoversTheFiles) {
    t.write("src\\a", "a");
    t.write("src\\b", std::string(1500, 'b'));
    list({src("a"), src("b")});
    r.required_space = 10;
    ASSERT_TRUE(build().ok());
    EXPECT_NE(package().find(std::string("\0" "1501\0", 6)), std::string::npos);
}

TEST_F(PackageBuild, ThreadCountDoesNotChangeTheBytes) {
    // Many small files and two over the in-memory limit (streamed through spill files).
    for (int i = 0; i < 60; ++i) t.write("src\\f" + std::to_string(i), sample(1000 + i * 997, i));
    t.write("src\\large1", sample(5u << 20, 77));
    t.write("src\\large2", sample(9u << 20, 78));
    std::vector<std::string> lines;
    for (int i = 0; i < 30; ++i) lines.push_back(src("f" + std::to_string(i)));
    lines.push_back(src("large1"));
    lines.push_back(src("docs\\temp$"));
    for (int i = 30; i < 60; ++i) lines.push_back(src("f" + std::to_string(i)));
    lines.push_back(src("large2"));
    std::string one;
    for (unsigned threads : {1u, 4u, 2u}) {
        list(lines);
        t.write("inst\\temp\\option.txt", option);
        t.write("inst\\temp\\registry.txt", "REG`line\r\n");
        t.write("inst\\temp\\shortcuts.txt", "LINK`line\r\n");
        r.threads = threads;
        Recorder rec;
        ASSERT_TRUE(build(&rec).ok()) << threads;
        std::string p = package();
        if (one.empty()) one = p;
        EXPECT_TRUE(p == one) << threads << " threads differ";
        EXPECT_EQ(rec.positions.size(), 64u);
    }
    EXPECT_EQ(bwtest::snapshot(t.path("inst\\output")).size(), 1u);
    std::string large2 = streamOf(sample(9u << 20, 78));
    EXPECT_NE(one.find("\\large2.bz2\r\n" + std::to_string(large2.size()) + "\r\n" + large2), std::string::npos);
}

struct FailureCase {
    const char* what;
    void (*spoil)(TempTree&, builder::BuildRequest&);
    BuildFailureKind kind;
    const char* text;
    const char* caption;
    int exitCode;
};

TEST_F(PackageBuild, FailuresLeaveTheOldPackageAndTheWorkingFiles) {
    const char* const kCreate = "File can not be created due to some invalid situations. Resolve them and try again.";
    const FailureCase cases[] = {
        {"stub missing", [](TempTree& t, builder::BuildRequest&) { os::deleteFile(t.path("inst\\bin\\install.exe")); },
         BuildFailureKind::PackageNotCreated, kCreate, "CAUTION", 1},
        {"stub too large",
         [](TempTree& t, builder::BuildRequest&) {
             t.write("inst\\bin\\install.exe", std::string(package::kPayloadOffset + 1, 'M'));
         },
         BuildFailureKind::PackageNotCreated, kCreate, "CAUTION", 1},
        {"output folder missing",
         [](TempTree& t, builder::BuildRequest& r) { r.output_path = t.path("nowhere\\setup.exe"); },
         BuildFailureKind::PackageNotCreated, kCreate, "CAUTION", 1},
        {"list missing", [](TempTree&, builder::BuildRequest& r) { os::deleteFile(r.list_file_path); },
         BuildFailureKind::ListMissing,
         "Program can not continue because of absence of some temperory files. Please try again.", "CAUTION", 1},
        {"option missing", [](TempTree&, builder::BuildRequest& r) { os::deleteFile(r.option_file_path); },
         BuildFailureKind::SupportingFileMissing, "Supporting file not found...", "CAUTION", 1},
        {"uninstaller missing", [](TempTree&, builder::BuildRequest& r) { os::deleteFile(r.uninstaller_path); },
         BuildFailureKind::SupportingFileMissing, "Supporting file not found...", "CAUTION", 1},
        {"language file missing", [](TempTree&, builder::BuildRequest& r) { r.language_index = 2; },
         BuildFailureKind::LanguageFileMissing, "Supporting file not found.", "Bundlewright", 0},
        {"language index out of range", [](TempTree&, builder::BuildRequest& r) { r.language_index = 4; },
         BuildFailureKind::LanguageFileMissing, "Supporting file not found.", "Bundlewright", 0},
        {"two outside files of one name",
         [](TempTree& t, builder::BuildRequest& r) {
             t.mkdir("o1");
             t.mkdir("o2");
             t.write("o1\\same.exe", "1");
             t.write("o2\\SAME.exe", "2");
             bwtest::writeFile(r.list_file_path, r.source_folder + "\\a\r\n" + t.path("o1\\same.exe") + "\r\n" +
                                                     t.path("o2\\SAME.exe") + "\r\n");
         },
         BuildFailureKind::DuplicateEntryName, nullptr, "CAUTION", 1},
        {"two files of one name and no option file: the missing file is what is wrong",
         [](TempTree& t, builder::BuildRequest& r) {
             t.mkdir("o1");
             t.write("o1\\a", "other");
             bwtest::writeFile(r.list_file_path, r.source_folder + "\\a\r\n" + t.path("o1\\a") + "\r\n");
             os::deleteFile(r.option_file_path);
         },
         BuildFailureKind::SupportingFileMissing, "Supporting file not found...", "CAUTION", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        t.write("src\\a", "a");
        list({src("a")});
        t.write("inst\\temp\\option.txt", option);
        t.write("inst\\bin\\install.exe", stub);
        t.write("inst\\bin\\UnBundlewright.exe", uninstaller);
        t.write("inst\\output\\setup.exe", "the previous package");
        builder::BuildRequest saved = r;
        c.spoil(t, r);
        auto result = build();
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.failure.kind, c.kind);
        if (c.text) EXPECT_EQ(result.failure.text, c.text);
        else EXPECT_NE(result.failure.text.find("same.exe"), std::string::npos) << result.failure.text;
        EXPECT_EQ(result.failure.caption, c.caption);
        EXPECT_EQ(result.failure.exitCode, c.exitCode);
        EXPECT_EQ(bwtest::readFile(t.path("inst\\output\\setup.exe")), "the previous package");
        EXPECT_EQ(bwtest::snapshot(t.path("inst\\output")).size(), 1u);
        EXPECT_TRUE(os::fileExists(r.registry_file_path) && os::fileExists(r.shortcuts_file_path));
        r = saved;
    }
}

// A file listed twice is one file, not two of one name: the package builds.
TEST_F(PackageBuild, TheSameFileListedTwiceIsNoDuplicate) {
    t.write("src\\a", "a");
    bwtest::writeFile(r.list_file_path, src("a") + "\r\n" + src("a") + "\r\n");
    ASSERT_TRUE(build().ok());
    EXPECT_NE(package().find("\\a.bz2\r\n"), std::string::npos);
}

}  // namespace
