// The package format's contract, without Wine: a package that fills every
// item is built by the builder and read back by both independent readers,
// the stub's and twk's, which must agree with the request and with each other
// item by item.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "builder/package_builder.h"
#include "cli/package_reader.h"
#include "platform/os/os.h"
#include "stub/package_reader.h"
#include "tests/support/signed_package.h"
#include "tests/unit/builder/test_tree.h"

namespace {

TEST(PackageContract, BothReadersReadEveryItemTheBuilderWrote) {
    bwtest::TempTree t;
    for (const char* folder : {"inst\\lang", "src\\sub", "src\\empty", "work"}) t.mkdir(folder);
    std::string stub = "MZ stand-in stub";
    for (int i = 0; i < 9000; ++i) stub += static_cast<char>(i * 31);
    t.write("inst\\install.exe", stub);
    t.write("inst\\UnBundlewright.exe", std::string(3000, 'U'));
    t.write("inst\\lang\\French.txt", "Bonjour\r\nle monde\r\n");
    t.write("src\\a.txt", "alpha");
    std::string binary;
    for (int i = 0; i < 100000; ++i) binary += static_cast<char>((i * 7919) >> 3);
    t.write("src\\sub\\b.bin", binary);
    const std::string src = t.path("src");
    t.write("work\\list.txt", src + "\\a.txt\r\n" + src + "\\sub\\b.bin\r\n" + src + "\\empty\\temp$\r\n");
    const std::string option = "YES_PROMPT_SECTION\r\nInstall?\r\n\r\nNO_WELCOME_SECTION\r\n\r\n";
    t.write("work\\option.txt", option);
    const std::string registry = "*Default_Root`HKEY_CURRENT_USER\r\n*Addkey`Software\\Acme\r\n";
    t.write("work\\registry.txt", registry);
    const std::string shortcuts = "Programs`Acme\r\nPrograms\\Acme`a.lnk`<<TARGETDIR>>\\a.txt``Alpha\r\n";
    t.write("work\\shortcuts.txt", shortcuts);

    builder::BuildRequest r;
    r.stub_path = t.path("inst\\install.exe");
    r.uninstaller_path = t.path("inst\\UnBundlewright.exe");
    r.source_folder = src;
    r.output_path = t.path("setup.exe");
    r.company_name = "Acme";
    r.product_name = "Widget";
    r.product_version = "1.0";
    r.email = "a@acme.com";
    r.description = "";                 // an empty text is a lone NUL
    r.comments = "comments";
    r.copyright_notice = "(c) Acme";
    r.list_file_path = t.path("work\\list.txt");
    r.option_file_path = t.path("work\\option.txt");
    r.registry_file_path = t.path("work\\registry.txt");
    r.shortcuts_file_path = t.path("work\\shortcuts.txt");
    r.lang_dir = t.path("inst\\lang\\");
    r.language_index = 1;
    r.post_install_choice = 0;
    r.post_install_file = "\\a.txt";
    r.post_install_cmdline = "-after";
    r.pre_uninstall_choice = -1;         // none: " " whatever the file says
    r.pre_uninstall_file = "\\ignored.exe";
    r.pre_uninstall_cmdline = "";        // empty: " "
    r.pre_install_choice = 1;
    r.pre_install_file = "\\sub\\b.bin";
    r.pre_install_cmdline = "-before";
    r.finish_action = 2;
    r.default_destination = "C:\\Program Files\\Widget";
    r.services_text = "Widget`Widget service`\\a.txt~";
    r.file_count = 2;
    r.required_space = 235205;
    bwtest::QuietProgress q;
    ASSERT_TRUE(builder::PackageBuilder(q).build(r).ok());

    FILE* f = os::openFile(r.output_path, "rb");
    ASSERT_NE(f, nullptr);
    os::FileStat st;
    ASSERT_TRUE(os::statPath(r.output_path, st));
    stub::Package s;
    std::string error;
    ASSERT_TRUE(stub::readPackage(f, st.size, s, error)) << error;
    twk::FileSource source(f);
    twk::PackageContents w;
    ASSERT_TRUE(twk::readPackage(source, w, error)) << error;
    std::fclose(f);

    EXPECT_EQ(s.fileCount, 2);
    EXPECT_EQ(w.fileCount, "2");
    EXPECT_EQ(s.option, option);
    EXPECT_EQ(w.optionBody, option);
    const std::vector<std::string> fromStub = {s.company, s.product, s.version, s.email, s.description,
                                               s.comments, s.copyright, s.postInstallFile, s.postInstallCmdline,
                                               s.preUninstallFile, s.preUninstallCmdline, s.preInstallFile,
                                               s.preInstallCmdline, s.defaultDestination};
    const std::vector<std::string> expected = {"Acme", "Widget", "1.0", "a@acme.com", "", "comments", "(c) Acme",
                                               "\\a.txt", "-after", " ", " ", "\\sub\\b.bin", "-before",
                                               "C:\\Program Files\\Widget"};
    EXPECT_EQ(fromStub, expected);
    EXPECT_EQ(w.texts, expected);
    EXPECT_EQ(s.finishAction, 2);
    EXPECT_EQ(w.finishAction, "2");
    EXPECT_EQ(s.spaceRequired, "235205");
    EXPECT_EQ(w.requiredSpace, "235205");
    EXPECT_EQ(s.services, r.services_text);
    EXPECT_EQ(w.services, r.services_text);
    EXPECT_EQ(s.language, "Bonjour\nle monde\n");
    EXPECT_EQ(w.language, s.language);
    ASSERT_EQ(s.entries.size(), w.entries.size());
    const std::vector<std::string> names = {"\\UnBundlewright.exe", "\\a.txt.bz2", "\\sub\\b.bin.bz2",
                                            "\\empty\\temp$.bz2"};
    ASSERT_EQ(s.entries.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(s.entries[i].name, names[i]);
        EXPECT_EQ(w.entries[i].name, names[i]);
        EXPECT_EQ(s.entries[i].offset, w.entries[i].offset);
        EXPECT_EQ(s.entries[i].size, w.entries[i].size);
    }
    EXPECT_EQ(w.entries[2].decodedSize, binary.size());
    EXPECT_TRUE(s.hasRegistry && w.hasRegistry);
    EXPECT_EQ(s.registry, registry);
    EXPECT_EQ(w.registry, registry);
    EXPECT_TRUE(s.hasShortcuts && w.hasShortcuts);
    EXPECT_EQ(s.shortcuts, shortcuts);
    EXPECT_EQ(w.shortcuts, shortcuts);
}

// Both readers' verdicts on the bytes of one package file: empty when it
// reads, else the reader's message.
struct Verdicts {
    std::string stub, twk;
    stub::Package s;
    twk::PackageContents w;
};

Verdicts readBoth(const bwtest::TempTree& t, const std::string& bytes) {
    Verdicts v;
    bwtest::writeFile(t.path("signed.exe"), bytes);
    FILE* f = os::openFile(t.path("signed.exe"), "rb");
    EXPECT_NE(f, nullptr);
    if (!f) return v;
    if (stub::readPackage(f, bytes.size(), v.s, v.stub)) v.stub.clear();
    else if (v.stub.empty()) v.stub = "refused without a message";
    twk::FileSource source(f);
    if (twk::readPackage(source, v.w, v.twk)) v.twk.clear();
    else if (v.twk.empty()) v.twk = "refused without a message";
    std::fclose(f);
    return v;
}

// A signature after the trailer leaves the package as it was to both
// readers; anything else after the trailer, or a table that is not where its
// header says, is refused by both.
TEST(PackageContract, BothReadersReadASignedPackageAndRefuseWhatFollowsIt) {
    bwtest::TempTree t;
    for (const char* folder : {"inst\\lang", "src", "work"}) t.mkdir(folder);
    t.write("inst\\install.exe", "MZ stand-in stub");
    t.write("inst\\UnBundlewright.exe", std::string(3000, 'U'));
    t.write("inst\\lang\\English.txt", "Hello\r\n");
    t.write("src\\a.txt", "alpha");
    t.write("work\\list.txt", t.path("src\\a.txt") + "\r\n");
    t.write("work\\option.txt", "NO_PROMPT_SECTION\r\n\r\n");
    builder::BuildRequest r;
    r.stub_path = t.path("inst\\install.exe");
    r.uninstaller_path = t.path("inst\\UnBundlewright.exe");
    r.source_folder = t.path("src");
    r.output_path = t.path("setup.exe");
    r.list_file_path = t.path("work\\list.txt");
    r.option_file_path = t.path("work\\option.txt");
    r.registry_file_path = t.path("work\\registry.txt");
    r.shortcuts_file_path = t.path("work\\shortcuts.txt");
    r.lang_dir = t.path("inst\\lang\\");
    r.file_count = 1;
    bwtest::QuietProgress q;
    ASSERT_TRUE(builder::PackageBuilder(q).build(r).ok());
    const std::string plain = bwtest::readFile(r.output_path);

    for (bool pe64 : {false, true}) {
        SCOPED_TRACE(pe64 ? "pe64" : "pe32");
        const std::string signedBytes = bwtest::signedCopy(plain, 2056, pe64);
        Verdicts v = readBoth(t, signedBytes);
        ASSERT_EQ(v.stub, "");
        ASSERT_EQ(v.twk, "");
        EXPECT_EQ(v.s.length, plain.size());
        EXPECT_EQ(v.w.packageSize, plain.size());
        EXPECT_EQ(v.w.fileSize, signedBytes.size());
        EXPECT_EQ(v.w.signatureSize, 2056u);
        EXPECT_EQ(v.w.signatureOffset, signedBytes.size() - 2056);
        ASSERT_EQ(v.s.entries.size(), 2u);
        ASSERT_EQ(v.w.entries.size(), 2u);
        EXPECT_EQ(v.s.entries[1].offset, v.w.entries[1].offset);
        EXPECT_EQ(v.w.entries[1].decodedSize, 5u);

        const size_t entry = bwtest::securityEntryAt(pe64);
        const uint32_t table = static_cast<uint32_t>(v.w.signatureOffset);
        auto withDirectory = [&](std::string bytes, uint32_t offset, uint32_t size) {
            bwtest::putLe(bytes, entry, offset, 4);
            bwtest::putLe(bytes, entry + 4, size, 4);
            return bytes;
        };
        std::string inserted = plain + "junk";
        const struct {
            const char* name;
            std::string bytes;
            const char* says;
        } refused[] = {
            {"bytes appended after the table", signedBytes + "appended", "bytes follow its certificate table"},
            {"a table that does not end the file", withDirectory(signedBytes, table, 1024),
             "bytes follow its certificate table"},
            {"a directory pointing outside the file", withDirectory(signedBytes, table + 8, 2056),
             "points outside the file"},
            {"a directory beyond 4 GB", withDirectory(signedBytes, 0xfffffff8u, 2056), "points outside the file"},
            {"bytes between the trailer and the table", bwtest::signedCopy(inserted, 2056, pe64), "before"},
            {"a header cut inside the optional header", signedBytes.substr(0, entry), "cut short"},
        };
        for (const auto& c : refused) {
            SCOPED_TRACE(c.name);
            Verdicts bad = readBoth(t, c.bytes);
            EXPECT_NE(bad.stub.find(c.says), std::string::npos) << bad.stub;
            EXPECT_NE(bad.twk.find(c.says), std::string::npos) << bad.twk;
        }
    }
}

}  // namespace
