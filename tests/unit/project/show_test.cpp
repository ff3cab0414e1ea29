// twk show: the real twk program on written, bad and missing project files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/os/os.h"
#include "tests/unit/project/project_test_folder.h"
#include "wizard/project_file.h"
#include "tests/support/host_path.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

using namespace wizard;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code = 0;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::string s(std::istreambuf_iterator<char>(in), {});
    // Win32 stdout is a text stream: compare with plain line ends.
    std::string plain;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) plain += s[i];
    return plain;
}

class TwkShow : public ProjectTestFolder {
protected:
    // Runs twk with the arguments (each quoted), stdout and stderr to files.
    Outcome twk(const std::string& args) {
#ifdef _WIN32
        const std::string program = bwtest::hostPath(BW_TWK_PATH);
#else
        const std::string program = BW_TWK_PATH;   // started by the shell, not through the drive map
#endif
        const std::string out = (dir / "out.txt").string();
        const std::string err = (dir / "err.txt").string();
        std::string line = "\"" + program + "\" " + args + " > \"" + out + "\" 2> \"" + err + "\"";
#ifdef _WIN32
        line = "\"" + line + "\"";   // cmd /c keeps the inner quotes when the whole line is quoted
#endif
        int status = std::system(line.c_str());
        Outcome r;
#ifdef _WIN32
        r.code = status;
#else
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
        r.out = slurp(dir / "out.txt");
        r.err = slurp(dir / "err.txt");
        return r;
    }
};

bool hasLine(const std::string& out, const std::string& line) {
    return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
}

#ifdef _WIN32
constexpr int kNotFoundExit = -1;
#else
constexpr int kNotFoundExit = 255;   // -1 as the system reports it
#endif

}  // namespace

TEST_F(TwkShow, WrittenProjectPrintsEveryFieldThenLoaded) {
    auto r = std::make_unique<ProjectRecord>();
    r->company_name = "Acme \"Tools\"";
    r->product_name = "Widget";
    r->product_version = "1.2";
    r->comments = std::string(300, 'c');
    r->description = "caf\xe9 \\ d";
    r->source_folder = "C:\\src";
    r->shortcuts_enabled = 1;
    r->shortcuts_text = "Restart6`a\r\nb\r\n";
    r->services_text = "svc";
    r->registry_root[0] = "HKEY_USERS";
    r->registry_key_name[0] = "K";
    r->registry_action[0] = "Create Key";
    r->registry_file_path = win("registry.txt");
    r->list_file_path = win("list.txt");
    put("list.txt", "C:\\src\\a.txt\r\n");
    for (int i = 0; i < 7; ++i) r->panel_flags[i] = i % 2;
    r->language_index = 2;
    ASSERT_TRUE(writeProjectFile(*r, win("p.wzp")));

    const Outcome run = twk("show \"" + win("p.wzp") + "\"");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    for (const std::string& line : {
             std::string("company_name = \"Acme \\\"Tools\\\"\""),
             std::string("product_version = \"1.2\""),
             std::string("email = \" \""),
             "comments = \"" + std::string(250, 'c') + "\"",
             std::string("description = \"caf\\351 \\\\ d\""),
             std::string("default_destination = \"\""),
             std::string("stored_file_list = \"C:\\\\src\\\\a.txt\\r\\n\""),
             std::string("shortcuts_text = \"Restart6`a\\r\\nb\\r\\n\""),
             std::string("env_registry_text = null"),
             std::string("registry_text = \"*Default_Root`HKEY_USERS\\r\\n*Addkey`K``\\r\\n\""),
             std::string("services_text = \"svc\""),
             std::string("post_install_choice = -1"),   // a new project chose no program
             std::string("panel_flags[0] = 0"),
             std::string("panel_flags[5] = 1"),
             std::string("language_index = 2"),
         })
        EXPECT_TRUE(hasLine(run.out, line)) << line << "\n--- in ---\n" << run.out;
    EXPECT_TRUE(run.out.size() > 17 && run.out.substr(run.out.size() - 17) == "outcome = loaded\n") << run.out;
}

TEST_F(TwkShow, OutcomesAndExitCodes) {
    const std::string head = "`start1`A`P`1` ` ` ` `start2`";
    struct Case {
        const char* name;
        const char* file;       // nullptr: not written
        std::string bytes;
        int code;
        std::string err;
        std::string outcome;
        bool printsRecord;
    };
    const Case cases[] = {
        {"invalid", "bad.wzp", "`start1`A`P`1`start2`", 1, "twk show: Not a valid project file\n",
         "outcome = not a valid project file (fields after the fault not read)", true},
        {"missing", nullptr, "", kNotFoundExit, "twk show: The specified project file is not found\n",
         "outcome = not found", false},
        {"fault in a raw section", "fault.wzp",
         head + "C:\\s`0`start3` `start4`0` `0`0` `0` `0` `0` `0`start5`1`0`text", 0, "twk show: p1 2 2\n",
         "outcome = loaded after fault p1 2 2 (later fields not read)", true},
    };
    for (const Case& c : cases) {
        const std::string name = c.file ? c.file : "absent.wzp";
        if (c.file) put(name, c.bytes);
        const Outcome run = twk("show \"" + win(name) + "\"");
        EXPECT_EQ(run.code, c.code) << c.name;
        EXPECT_EQ(run.err, c.err) << c.name;
        EXPECT_TRUE(hasLine(run.out, c.outcome)) << c.name << "\n" << run.out;
        EXPECT_EQ(hasLine(run.out, "company_name = \"A\""), c.printsRecord) << c.name << "\n" << run.out;
    }
}

TEST_F(TwkShow, UsageErrors) {
    EXPECT_EQ(twk("show").code, 2);
    EXPECT_EQ(twk("show a.wzp b.wzp").code, 2);
    // A path the record's slot would cut is refused, not shortened into another file.
    const Outcome run = twk("show \"C:\\" + std::string(300, 'x') + ".wzp\"");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("longer than 259"), std::string::npos) << run.err;
}
