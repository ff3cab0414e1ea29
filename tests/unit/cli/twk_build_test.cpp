// `twk build` as a CI job runs it: the demo project built from the command
// line, reproducible bytes, the options, every refusal as one line on
// standard error with its exit code, builds at the same time, and Ctrl-C.
// The program is started through the shell; C: is mapped to the test's
// folder (the demo project names C:\Demo).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli/package_reader.h"
#include "cli/sha256.h"
#include "platform/os/os.h"
#include "tests/support/signed_package.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void spit(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}
std::string replaced(std::string s, const std::string& what, const std::string& with) {
    const std::size_t at = s.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    if (at != std::string::npos) s.replace(at, what.size(), with);
    return s;
}

struct Outcome {
    int code = -1;
    std::string err, out;
};

class TwkBuild : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("bw_twkbuild_" + std::string(info->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(dir);
        const fs::path source = std::getenv("BW_SOURCE_DIR");
        product = dir / "c" / "Demo" / "Widget";
        fs::create_directories(product);
        fs::copy(source / "demo" / "Widget", product, fs::copy_options::recursive);
        spit(product / "bin" / "widget.exe", "MZ the program");
        for (const auto& program : fs::directory_iterator(source / "demo" / "programs"))
            if (program.path().extension() == ".cpp")
                spit(product / "bin" / (program.path().stem().string() + ".exe"), "MZ a demo program");
        fs::create_directories(product / "logs");
        fs::create_directories(dir / "c" / "Demo" / "output");
        inst = dir / "inst";
        std::string stub = "MZ stand-in stub";
        for (int i = 0; i < 5000; ++i) stub += static_cast<char>(i * 13);
        spit(inst / "bin" / "install.exe", stub);
        spit(inst / "bin" / "UnBundlewright.exe", "MZ stand-in uninstaller");
        fs::create_directories(inst / "lang");
        for (const char* l : {"English.txt", "French.txt", "German.txt", "Spanish.txt"})
            fs::copy_file(source / "resources" / "lang" / l, inst / "lang" / l);
        project = dir / "demo.wzp";
        fs::copy_file(source / "demo" / "demo.wzp", project);
        setenv("BUNDLEWRIGHT_DRIVES", ("C=" + (dir / "c").string()).c_str(), 1);
        setenv("TWKINSTDIR", inst.string().c_str(), 1);
        setenv("TMPDIR", (dir / "tmp").c_str(), 1);
        fs::create_directories(dir / "tmp");
        // The default compression cache: the user's cache folder.
        setenv("XDG_CACHE_HOME", (dir / "cache-home").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("BUNDLEWRIGHT_DRIVES");
        unsetenv("TWKINSTDIR");
        unsetenv("TMPDIR");
        unsetenv("XDG_CACHE_HOME");
        fs::remove_all(dir);
    }

    // Runs twk with the arguments as the shell takes them, from folder `cwd`.
    Outcome twk(const std::string& args, const fs::path& cwd = {}) {
        const fs::path err = dir / ("err" + std::to_string(runs_) + ".txt"), out = dir / ("out" + std::to_string(runs_++) + ".txt");
        std::string line = "\"" + std::string(BW_TWK_PATH) + "\" " + args + " >\"" + out.string() + "\" 2>\"" + err.string() + "\"";
        if (!cwd.empty()) line = "cd \"" + cwd.string() + "\" && " + line;
        const int status = std::system(line.c_str());
        Outcome r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.err = slurp(err);
        r.out = slurp(out);
        fs::remove(out);
        return r;
    }
    std::string build(const std::string& extra, const std::string& name = "setup.exe") {
        const fs::path out = dir / "out" / name;
        fs::create_directories(out.parent_path());
        const Outcome r = twk("build \"" + project.string() + "\" --output \"" + out.string() + "\" " + extra);
        EXPECT_EQ(r.code, 0) << r.err;
        return slurp(out);
    }
    bool onlyTheInputsAreLeft() const {
        // No working folder, no partial package, no probe left behind.
        for (const auto& e : fs::recursive_directory_iterator(dir / "tmp")) {
            ADD_FAILURE() << "left in temp: " << e.path();
            return false;
        }
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            if (name.find(".part") != std::string::npos || name.find(".probe") != std::string::npos ||
                name.find(".tmp") != std::string::npos) {
                ADD_FAILURE() << "left behind: " << e.path();
                return false;
            }
        }
        return true;
    }
    static twk::PackageContents contents(const std::string& bytes) {
        twk::MemorySource source(bytes.data(), bytes.size());
        twk::PackageContents p;
        std::string error;
        EXPECT_TRUE(twk::readPackage(source, p, error)) << error;
        return p;
    }

    fs::path dir, product, inst, project;

private:
    int runs_ = 0;
};

TEST_F(TwkBuild, TheDemoBuildsTheSameBytesWhateverTheThreadsFolderOrRun) {
    const std::string input = slurp(project);
    const std::string one = build("-j 1 -q", "one.exe");
    ASSERT_FALSE(one.empty());
    const twk::PackageContents p = contents(one);
    EXPECT_EQ(p.texts[1], "Widget");
    EXPECT_EQ(p.fileCount, "8");
    EXPECT_EQ(p.entries.size(), 10u);   // the uninstaller, eight files, the empty folder
    EXPECT_EQ(build("-j2", "two.exe"), one);
    fs::create_directories(dir / "elsewhere");
    const Outcome r = twk("build ../demo.wzp -o ../out/three.exe", dir / "elsewhere");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(slurp(dir / "out" / "three.exe"), one);
    EXPECT_NE(r.err.find("twk build: "), std::string::npos);
    EXPECT_NE(r.err.find(" 8 files, "), std::string::npos) << r.err;
    // The ratio is of the files' own bytes: the installer and uninstaller are not "out".
    const std::size_t open = r.err.find(" MB out (");
    ASSERT_NE(open, std::string::npos) << r.err;
    EXPECT_LT(std::stod(r.err.substr(open + 9)), 100.0) << r.err;
    // Without --output the project's own output path is used.
    EXPECT_EQ(twk("build -q \"" + project.string() + "\"").code, 0);
    EXPECT_EQ(slurp(dir / "c" / "Demo" / "output" / "Widget-1.0-setup.exe"), one);
    EXPECT_EQ(slurp(project), input) << "twk build rewrote its input project";
    EXPECT_TRUE(onlyTheInputsAreLeft());
}

TEST_F(TwkBuild, SourceMovesTheProjectToACheckoutAndProjectOutSavesIt) {
    const std::string reference = build("-q", "reference.exe");
    const fs::path checkout = dir / "checkout" / "Widget";
    fs::create_directories(checkout.parent_path());
    fs::rename(product, checkout);
    const Outcome r = twk("build demo.wzp --source checkout/Widget/ --output out/moved.exe --project-out saved.wzp -q",
                          dir);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(slurp(dir / "out" / "moved.exe"), reference);
    const std::string saved = slurp(dir / "saved.wzp");
    EXPECT_NE(saved.find("`start2`" + os::windowsPath(checkout.string()) + "~!@#"), std::string::npos) << saved;
    EXPECT_NE(saved.find(os::windowsPath((checkout / "docs" / "manual.txt").string())), std::string::npos);
    EXPECT_EQ(saved.find("C:\\Demo\\Widget\\"), std::string::npos) << "a path still names the old folder";
}

// A release stamps its version (and more) from the command line: each value
// goes through the page that owns it, into the package and the saved project.
TEST_F(TwkBuild, SetStampsValuesThroughTheirPages) {
    const fs::path saved = dir / "stamped.wzp";
    const std::string bytes = build("-q --set product_version=1.2.3 --set \"comments=Nightly build\" "
                                    "--set language_index=German --project-out \"" + saved.string() + "\"");
    const twk::PackageContents p = contents(bytes);
    ASSERT_GE(p.texts.size(), 6u);
    EXPECT_EQ(p.texts[2], "1.2.3");
    EXPECT_EQ(p.texts[5], "Nightly build");
    EXPECT_NE(p.language.find("Caption={product} Setup"), std::string::npos);
    EXPECT_NE(p.language.find("Deutsch"), std::string::npos) << "the German texts";
    const std::string project = slurp(saved);
    EXPECT_NE(project.find("1.2.3"), std::string::npos);
    EXPECT_EQ(project.find("`1.0`"), std::string::npos) << "the old version stayed in the project";
}

// What a CI step reads: inspect's JSON document agrees with the package item
// by item, each entry's SHA-256 being that of the file it installs; show's
// with the project.
TEST_F(TwkBuild, JsonDocumentsAgreeWithThePackageAndTheProject) {
    build("-q");
    const fs::path package = dir / "out" / "setup.exe";
    const Outcome r = twk("inspect --json \"" + package.string() + "\"");
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::json doc = nlohmann::json::parse(r.out);
    const twk::PackageContents p = contents(slurp(package));
    EXPECT_EQ(doc["format"], 1);
    EXPECT_EQ(doc["package"]["size"], p.packageSize);
    EXPECT_TRUE(doc["signature"].is_null());
    EXPECT_EQ(doc["header"]["product_name"], p.texts[1]);
    EXPECT_EQ(doc["header"]["version"], p.texts[2]);
    EXPECT_EQ(doc["header"]["file_count"], p.fileCount);
    ASSERT_EQ(doc["entries"].size(), p.entries.size());
    for (size_t i = 0; i < p.entries.size(); ++i) {
        const nlohmann::json& e = doc["entries"][i];
        EXPECT_EQ(e["name"], p.entries[i].name);
        EXPECT_EQ(e["size"], p.entries[i].size);
        EXPECT_EQ(e["installed_size"], p.entries[i].decodedSize);
    }
    EXPECT_EQ(doc["sections"]["registry"], p.registry);
    // The readme's digest is that of the file in the source folder.
    const auto readme = std::find_if(doc["entries"].begin(), doc["entries"].end(),
                                     [](const nlohmann::json& e) { return e["name"] == "\\readme.txt.bz2"; });
    ASSERT_NE(readme, doc["entries"].end());
    const std::string bytes = slurp(product / "readme.txt");
    twk::Sha256 h;
    h.add(bytes.data(), bytes.size());
    std::string want;
    for (unsigned char c : h.finish()) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", c);
        want += b;
    }
    EXPECT_EQ((*readme)["sha256"], want);

    const Outcome shown = twk("show --json \"" + project.string() + "\"");
    ASSERT_EQ(shown.code, 0) << shown.err;
    const nlohmann::json record = nlohmann::json::parse(shown.out);
    EXPECT_EQ(record["outcome"], "loaded");
    EXPECT_EQ(record["fields"]["product_version"], p.texts[2]);
    EXPECT_EQ(record["fields"]["company_name"], p.texts[0]);
    EXPECT_EQ(record["fields"]["panel_flags"].size(), 7u);
}

// A reviewer's question of a new build: which entries changed. One file
// changed in the source folder, and only its entry is named.
TEST_F(TwkBuild, DiffNamesWhatChangedBetweenTwoBuilds) {
    build("-q", "old.exe");
    spit(product / "docs" / "manual.txt", "the manual, rewritten");
    build("-q", "new.exe");
    const std::string old = (dir / "out" / "old.exe").string(), now = (dir / "out" / "new.exe").string();
    const Outcome same = twk("diff \"" + old + "\" \"" + old + "\"");
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "");
    const Outcome changed = twk("diff \"" + old + "\" \"" + now + "\"");
    EXPECT_EQ(changed.code, 1) << changed.err;
    // The entry, and the space the files need with it.
    EXPECT_EQ(changed.out.substr(0, changed.out.find("~ header")), "~ entry \\docs\\manual.txt.bz2\n");
    EXPECT_NE(changed.out.find("~ header space required: "), std::string::npos) << changed.out;
    spit(dir / "other.wzp", replaced(slurp(project), "`1.0`", "`1.1`"));
    const Outcome fields = twk("diff \"" + project.string() + "\" \"" + (dir / "other.wzp").string() + "\"");
    EXPECT_EQ(fields.code, 1);
    EXPECT_EQ(fields.out, "~ product_version: \"1.0\" -> \"1.1\"\n");
    EXPECT_EQ(twk("diff \"" + old + "\" \"" + project.string() + "\"").code, 2) << "a package and a project";
}

// The project as reviewable text: export then import gives back the project
// file byte for byte (the demo, and one the wizard's writer saved with other
// values); a hand-edited text builds what the same edit through the pages
// builds; a text with a fault names the field and its line and writes nothing.
TEST_F(TwkBuild, TheTextFormRoundTripsAndBuilds) {
    const fs::path saved = dir / "saved.wzp";
    build("-q --set product_version=3.1 --project-out \"" + saved.string() + "\"", "stamped.exe");
    for (const fs::path& wzp : {project, saved}) {
        SCOPED_TRACE(wzp.string());
        ASSERT_EQ(twk("export \"" + wzp.string() + "\" -o \"" + (dir / "p.json").string() + "\"").code, 0);
        const Outcome back = twk("import \"" + (dir / "p.json").string() + "\" -o \"" + (dir / "back.wzp").string() + "\"");
        ASSERT_EQ(back.code, 0) << back.err;
        EXPECT_EQ(slurp(dir / "back.wzp"), slurp(wzp));
    }
    ASSERT_EQ(twk("export \"" + project.string() + "\" -o \"" + (dir / "p.json").string() + "\"").code, 0);
    const std::string text = slurp(dir / "p.json");
    spit(dir / "edited.json", replaced(text, "\"product_version\": \"1.0\"", "\"product_version\": \"3.1\""));
    EXPECT_NE(build("-q", "plain.exe"), build("-q --set product_version=3.1", "pages.exe")) << "the edit shows";
    const Outcome edited = twk("build \"" + (dir / "edited.json").string() + "\" --output \"" +
                               (dir / "out" / "edited.exe").string() + "\" -q");
    ASSERT_EQ(edited.code, 0) << edited.err;
    EXPECT_EQ(slurp(dir / "out" / "edited.exe"), slurp(dir / "out" / "pages.exe"));

    const struct {
        const char* what;
        std::string from, to, message;
    } faults[] = {
        {"an unknown field", "\"email\":", "\"colour\": \"blue\",\n    \"email\":", "field colour (line 8): not a field"},
        {"a missing field", "\"email\": \"support@acmetools.com\",", "", "field email (line 1): missing"},
        {"too long for its slot", "\"1.0\"", "\"1.0.0.0.0.0.0\"", "field product_version (line 7): 13 characters, more than its 10"},
        {"a number where a text goes", "\"Acme Tools\"", "7", "field company_name (line 5): not a text"},
        {"outside the code page", "\"Acme Tools\"", "\"\u65e5 Tools\"", "field company_name (line 5): a text the code page"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.what);
        spit(dir / "bad.json", replaced(text, f.from, f.to));
        fs::remove(dir / "bad.wzp");
        const Outcome r = twk("import \"" + (dir / "bad.json").string() + "\" -o \"" + (dir / "bad.wzp").string() + "\"");
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(f.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "bad.wzp"));
    }
}

TEST_F(TwkBuild, EveryRefusalIsOneLineOnStandardErrorWithItsExitCode) {
    const std::string good = slurp(project);
    struct Case {
        const char* what;
        std::string projectBytes;   // "" keeps the demo
        std::string args;           // after the project
        int code;
        std::string err;
        bool removeSource = false;
    };
    const std::vector<Case> cases = {
        {"e-mail without .com", replaced(good, "support@acmetools.com", "support@acmetools.org"), "", 1,
         "twk build: product information page: Unrecognised Email-id format...\n"},
        {"missing source folder", "", "", 1,
         "twk build: source folder page: source directory not found\n",
         true},
        {"not a project file", "this is no project", "", 1, "Not a valid project file"},
        {"output folder missing", "", "--output \"" + (dir / "none" / "x.exe").string() + "\"", 1,
         "twk build: summary page: The directory where you have selected to create the output file does not "
         "exist.\n"},
        {"unknown option", "", "--fast", 2, "twk build: unknown option --fast\n"},
        {"bad thread count", "", "-j 0", 2, "-j takes a number of threads from 1 to 256"},
        {"bad cache size", "", "--cache-size 12Q", 2, "--cache-size takes a size"},
        {"cache and no cache", "", "--cache x --no-cache", 2, "exclude each other"},
        {"source that is not there", "", "--source \"" + (dir / "none").string() + "\"", 1, "does not exist"},
        {"a set value its page refuses", "", "--set email=support@acmetools.org", 1,
         "twk build: product information page: Unrecognised Email-id format...\n"},
        {"a set name no page owns", "", "--set colour=blue", 2, "--set takes NAME=VALUE, NAME one of company_name"},
        {"a language the page does not list", "", "--set language_index=Klingon", 1, "no language Klingon"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        spit(project, c.projectBytes.empty() ? good : c.projectBytes);
        if (c.removeSource) fs::rename(product, dir / "away");
        const Outcome r = twk("build \"" + project.string() + "\" -q " + c.args);
        if (c.removeSource) fs::rename(dir / "away", product);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "c" / "Demo" / "output" / "Widget-1.0-setup.exe"));
        EXPECT_TRUE(onlyTheInputsAreLeft());
    }
    EXPECT_EQ(twk("build").code, 2);
    const Outcome missing = twk("build \"" + (dir / "nothing.wzp").string() + "\"");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("cannot open the project"), std::string::npos) << missing.err;

    fs::remove(inst / "bin" / "install.exe");
    const Outcome noStub = twk("build \"" + project.string() + "\"");
    EXPECT_EQ(noStub.code, 1);
    EXPECT_NE(noStub.err.find("TWKINSTDIR is '"), std::string::npos) << noStub.err;
    EXPECT_NE(noStub.err.find("share\\bundlewright"), std::string::npos) << noStub.err;
}

TEST_F(TwkBuild, AListedFileThatIsMissingStopsTheBuildUnlessAllowed) {
    const std::string full = build("-q", "full.exe");
    fs::remove(product / "docs" / "manual.txt");
    fs::remove(product / "docs" / "changes.txt");
    const fs::path out = dir / "out" / "setup.exe";
    const Outcome stopped = twk("build \"" + project.string() + "\" -q --output \"" + out.string() + "\"");
    EXPECT_EQ(stopped.code, 1);
    EXPECT_NE(stopped.err.find("2 listed files were not found, so no package was built:"), std::string::npos)
        << stopped.err;
    for (const char* name : {"\\docs\\manual.txt\n", "\\docs\\changes.txt\n"})
        EXPECT_NE(stopped.err.find(name), std::string::npos) << stopped.err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(onlyTheInputsAreLeft());

    const Outcome allowed = twk("build \"" + project.string() + "\" -q --allow-missing --output \"" + out.string() + "\"");
    EXPECT_EQ(allowed.code, 0) << allowed.err;
    EXPECT_NE(allowed.err.find("2 listed files were not found and left out of the package:"), std::string::npos)
        << allowed.err;
    EXPECT_EQ(contents(slurp(out)).entries.size(), contents(full).entries.size() - 2);
}

TEST_F(TwkBuild, TwoBuildsAtOnceKeepTheirWorkingFilesApart) {
    const fs::path other = dir / "gadget.wzp";
    spit(other, replaced(replaced(slurp(project), "`Widget`1.0`", "`Gadget`2.0`"), "C:\\Demo\\output\\Widget-1.0",
                         "C:\\Demo\\output\\Gadget-2.0"));
    Outcome a, b;
    std::thread first([&] { a = twk("build \"" + project.string() + "\" -q -j1"); });
    std::thread second([&] { b = twk("build \"" + other.string() + "\" -q -j1"); });
    first.join();
    second.join();
    EXPECT_EQ(a.code, 0) << a.err;
    EXPECT_EQ(b.code, 0) << b.err;
    const twk::PackageContents widget = contents(slurp(dir / "c" / "Demo" / "output" / "Widget-1.0-setup.exe"));
    const twk::PackageContents gadget = contents(slurp(dir / "c" / "Demo" / "output" / "Gadget-2.0-setup.exe"));
    EXPECT_EQ(widget.texts[1], "Widget");
    EXPECT_EQ(gadget.texts[1], "Gadget");
    EXPECT_EQ(gadget.texts[2], "2.0");
    EXPECT_EQ(widget.entries.size(), gadget.entries.size());
    EXPECT_TRUE(onlyTheInputsAreLeft());
}

std::size_t entriesIn(const fs::path& folder) {
    std::size_t n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) n += e.path().extension() == ".entry";
    return n;
}

TEST_F(TwkBuild, ARebuildTakesUnchangedFilesFromTheCacheAndSaysHowMany) {
    const std::string none = build("--no-cache -j 2", "none.exe");
    ASSERT_FALSE(none.empty());
    const fs::path out = dir / "out" / "cached.exe";
    const std::string args = "build \"" + project.string() + "\" -o \"" + out.string() + "\" ";
    Outcome r = twk(args + "-j 1");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(slurp(out), none);
    // The demo's two stand-in programs have the same bytes: one entry for both.
    EXPECT_NE(r.err.find(", cache 1 hits, 7 misses\n"), std::string::npos) << r.err;
    EXPECT_EQ(entriesIn(dir / "cache-home" / "bundlewright"), 7u);

    r = twk(args + "-j 2");
    EXPECT_EQ(slurp(out), none);
    EXPECT_NE(r.err.find(", cache 8 hits, 0 misses\n"), std::string::npos) << r.err;

    spit(product / "bin" / "widget.exe", "MZ the program, rebuilt");
    const std::string changed = build("--no-cache", "changed.exe");
    r = twk(args + "-j 2");
    EXPECT_EQ(slurp(out), changed);
    EXPECT_NE(r.err.find(", cache 7 hits, 1 misses\n"), std::string::npos) << r.err;

    // --cache names another folder, which starts cold.
    r = twk(args + "--cache \"" + (dir / "ci-cache").string() + "\"");
    EXPECT_EQ(slurp(out), changed);
    EXPECT_EQ(entriesIn(dir / "ci-cache"), 7u);
    r = twk(args + "--no-cache");
    EXPECT_NE(r.err.find(", no cache\n"), std::string::npos) << r.err;
    EXPECT_TRUE(onlyTheInputsAreLeft());
}

TEST_F(TwkBuild, TwoBuildsOverOneCacheAtOnceAndACacheThatCannotBeWritten) {
    const std::string none = build("--no-cache -q", "none.exe");
    const std::string cache = "--cache \"" + (dir / "shared").string() + "\" ";
    for (int round = 0; round < 2; ++round) {
        std::string a, b;
        std::thread first([&] { a = build(cache + "-j 2 -q", "a.exe"); });
        std::thread second([&] { b = build(cache + "-j 2 -q", "b.exe"); });
        first.join();
        second.join();
        EXPECT_EQ(a, none) << round;
        EXPECT_EQ(b, none) << round;
    }
    spit(dir / "blocker", "a file where the cache folder would be");
    const fs::path out = dir / "out" / "blocked.exe";
    const Outcome r = twk("build \"" + project.string() + "\" -o \"" + out.string() + "\" -q --cache \"" +
                          (dir / "blocker" / "cache").string() + "\"");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(slurp(out), none);
    std::size_t said = 0;
    for (std::size_t at = r.err.find("cannot be written"); at != std::string::npos;
         at = r.err.find("cannot be written", at + 1))
        ++said;
    EXPECT_EQ(said, 1u) << r.err;
    EXPECT_EQ(r.err.rfind("twk build: the compression cache ", 0), 0u) << r.err;
    EXPECT_TRUE(onlyTheInputsAreLeft());
}

TEST_F(TwkBuild, CtrlCLeavesNoPackageAndNoWorkingFiles) {
    // Enough incompressible data that the build is still running when interrupted.
    std::mt19937 random(7);
    std::string list;
    for (int i = 0; i < 24; ++i) {
        std::string bytes(2 << 20, '\0');
        for (char& ch : bytes) ch = static_cast<char>(random());
        spit(product / "big" / ("f" + std::to_string(i) + ".bin"), bytes);
        list += "C:\\Demo\\Widget\\big\\f" + std::to_string(i) + ".bin\r\r\n";
    }
    const std::string bytes = slurp(project);
    const std::size_t a = bytes.find("`start3`") + 8, b = bytes.find("`start4`");
    spit(project, bytes.substr(0, a) + list + bytes.substr(b));
    const fs::path out = dir / "out" / "big.exe";
    fs::create_directories(out.parent_path());

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::freopen("/dev/null", "w", stderr);
        execl(BW_TWK_PATH, "twk", "build", project.c_str(), "--output", out.c_str(), "-j1", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Interrupt once the package is being written.
    const fs::path part = out.string() + ".part";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(part) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 0) GTEST_SKIP() << "the build ended before the interrupt";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(onlyTheInputsAreLeft());
}

}  // namespace

namespace {

TEST_F(TwkBuild, VersionAndHelpForEachCommand) {
    const Outcome version = twk("--version");
    EXPECT_EQ(version.code, 0);
    const Outcome help = twk("help build");
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(twk("help inspect").code, 0);
    EXPECT_EQ(twk("help show").code, 0);
    EXPECT_EQ(twk("help nothing").code, 2);
    EXPECT_EQ(twk("").code, 2);
}

}  // namespace

namespace {

// A command through the shell: its exit code and standard output.
Outcome run(const std::string& line, const fs::path& out) {
    const int status = std::system((line + " >\"" + out.string() + "\" 2>&1").c_str());
    Outcome r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.err = slurp(out);
    return r;
}

// The built package signed by osslsigncode with a throw-away certificate
// (the stand-in stub given a program header first): twk inspect names the
// signer and finds the signed digest to be the package's, until one byte of
// a stored file changes.
TEST_F(TwkBuild, InspectReportsTheSignatureOfASignedPackage) {
    std::string package = build("-q");
    bwtest::putPeHeader(package, 0, 0);
    spit(dir / "out" / "unsigned.exe", package);
    const std::string d = dir.string();
    const Outcome cert = run("cd \"" + d + "\" && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
                             "-days 2 -subj '/CN=Bw Test Publisher/O=Bw Test Widgets' "
                             "-addext extendedKeyUsage=codeSigning", dir / "openssl.txt");
    ASSERT_EQ(cert.code, 0) << cert.err;
    const Outcome sign = run("cd \"" + d + "\" && osslsigncode sign -certs cert.pem -key key.pem -n Widget -h sha256 "
                             "-in out/unsigned.exe -out out/signed.exe", dir / "sign.txt");
    ASSERT_EQ(sign.code, 0) << "osslsigncode (scripts/setup.sh installs it): " << sign.err;

    const std::string twkPath = std::string("\"") + BW_TWK_PATH + "\" inspect ";
    const Outcome report = run(twkPath + "\"" + d + "/out/signed.exe\"", dir / "inspect.txt");
    EXPECT_EQ(report.code, 0) << report.err;
    EXPECT_NE(report.err.find("\nsignature: certificate table of "), std::string::npos) << report.err;
    EXPECT_NE(report.err.find("\nsigner: CN=Bw Test Publisher, O=Bw Test Widgets\n"), std::string::npos) << report.err;
    EXPECT_NE(report.err.find("\nsigned digest: sha256, matches: the signature covers the whole package\n"),
              std::string::npos) << report.err;
    const twk::PackageContents p = contents(slurp(dir / "out" / "signed.exe"));
    EXPECT_EQ(p.packageSize, package.size());
    EXPECT_EQ(p.entries.size(), contents(package).entries.size());

    // One byte of the stored uninstaller: the package still reads, the digest no longer matches.
    std::string changed = slurp(dir / "out" / "signed.exe");
    ASSERT_GT(p.entries.size(), 0u);
    changed[p.entries[0].offset + 3] ^= 1;
    spit(dir / "out" / "changed.exe", changed);
    const Outcome refused = run(twkPath + "\"" + d + "/out/changed.exe\"", dir / "changed.txt");
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("changed after it was signed"), std::string::npos) << refused.err;
}

}  // namespace
