// The registry and environment pages' whole road under Wine: Tarnwick.exe,
// played through its real windows, makes a package with the product key,
// environment variables (one appended to the system's own Path) and a
// registry row for every root; the package installs what the pages said,
// and after UnBundlewright the registry is what it was before installing,
// byte for byte, with a key and values that were there before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "tests/support/host_path.h"
#include "tests/support/install_folder.h"
#include "tests/support/test_folder.h"

namespace {

const char kEnvKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

struct Place {
    os::RegRoot root;
    const char* key;
};
// Every key the scenario's rows and variables touch.
const Place kPlaces[] = {
    {os::RegRoot::LocalMachine, "SOFTWARE\\BwTestRegEnv"},
    {os::RegRoot::LocalMachine, kEnvKey},
    {os::RegRoot::CurrentUser, "SOFTWARE\\BwTestRegEnvCo"},
    {os::RegRoot::CurrentUser, "Software\\BwTestRegEnvPre"},
    {os::RegRoot::ClassesRoot, "BwTestRegEnv.file"},
    {os::RegRoot::Users, ".DEFAULT\\Software\\BwTestRegEnv"},
    {os::RegRoot::CurrentConfig, "Software\\BwTestRegEnv"},
};

// Every key below `key` with each value's type and bytes.
void dump(os::RegRoot root, const std::string& key, std::string& out) {
    os::RegKey k = os::RegKey::open(root, key);
    if (!k.valid()) return;
    out += "[" + key + "]\n";
    for (const std::string& n : k.valueNames()) {
        os::RegValue v;
        k.query(n, v);
        out += n + "=" + std::to_string(static_cast<int>(v.type)) + ":" + std::string(v.data.begin(), v.data.end()) +
               "\n";
    }
    for (const std::string& s : k.subKeys()) dump(root, key + "\\" + s, out);
}

std::string registryState() {
    std::string out;
    for (const Place& p : kPlaces) dump(p.root, p.key, out);
    return out;
}

std::string valueOf(os::RegRoot root, const std::string& key, const std::string& name) {
    os::RegValue v;
    if (!os::RegKey::open(root, key).query(name, v)) return "<absent>";
    return v.asString();
}

// Deletes a key and everything below it (the test's own keys only).
void removeKey(os::RegRoot root, const std::string& key) {
    {
        os::RegKey k = os::RegKey::open(root, key);
        if (!k.valid()) return;
        for (const std::string& s : k.subKeys()) removeKey(root, key + "\\" + s);
    }
    const std::size_t cut = key.rfind('\\');
    os::RegKey parent = os::RegKey::open(root, cut == std::string::npos ? "" : key.substr(0, cut));
    parent.deleteSubKey(cut == std::string::npos ? key : key.substr(cut + 1));
}

class RegistryEnvRoad : public ::testing::Test {
protected:
    void SetUp() override {
        os::RegKey env = os::RegKey::open(os::RegRoot::LocalMachine, kEnvKey);
        ASSERT_TRUE(env.valid());
        hadPath_ = env.query("Path", path_);
        cleanUp();
        env.set("BwTestRegEnv_Look", os::RegValue::string("C:\\Tools2;C:\\Tools\\bin"));
        os::RegKey::create(os::RegRoot::CurrentUser, "Software\\BwTestRegEnvPre").set("Keep", os::RegValue::string("1"));
    }
    void TearDown() override {
        cleanUp();
        if (hadPath_) os::RegKey::open(os::RegRoot::LocalMachine, kEnvKey).set("Path", path_);
    }
    void cleanUp() {
        os::RegKey env = os::RegKey::open(os::RegRoot::LocalMachine, kEnvKey);
        for (const char* n : {"BwTestRegEnv_Look", "BwTestRegEnv_Var"}) env.deleteValue(n);
        for (const Place& p : kPlaces)
            if (std::string(p.key) != kEnvKey) removeKey(p.root, p.key);
    }
    bool hadPath_ = false;
    os::RegValue path_;
};

TEST_F(RegistryEnvRoad, WizardMadePackageInstallsThePagesEntriesAndUninstallRestoresTheRegistry) {
    const std::string dist = bwtest::buildPath("BW_DIST_DIR");
    ASSERT_FALSE(dist.empty());
    bwtest::TestFolder root;
    const std::string inst = root.path() + "\\inst";
    ASSERT_NO_FATAL_FAILURE(bwtest::makeInstallFolder(dist, inst, "1001100"));
    os::createDirectories(root.path() + "\\Prod");
    bwtest::TestFolder::write(root.path() + "\\Prod\\a.txt", "alpha");

    const std::string shots = bwtest::buildPath("BW_BINARY_DIR", "shots/registry-env");
    os::createDirectories(shots);
    const std::string scenario = bwtest::prepareScenario("tarnwick_registry_env.scn", shots, root.path());
    ASSERT_FALSE(scenario.empty());

    int code = -1;
    const bool started = bwtest::runWithScenario(dist + "\\bin\\Tarnwick.exe", inst, scenario, code);
    ASSERT_TRUE(started);
    ASSERT_EQ(code, 1) << "Finish ends the run with exit code 1";
    const std::string package = inst + "\\output\\RegEnv.exe";
    ASSERT_TRUE(os::fileExists(package));
    const std::string project = bwtest::TestFolder::read(inst + "\\projects\\RegEnv.wzp");
    EXPECT_NE(project.find("*AppendKeyValue`" + std::string(kEnvKey) + "`Path`C:\\BwTestRegEnv\\bin"),
              std::string::npos);
    // The project file stores each line end as CR CR LF.
    EXPECT_NE(project.find("*Default_Root`HKEY_DYN_DATA\r\r\n*Addkey`BwTestRegEnvDyn``\r\r\n"), std::string::npos);

    const std::string before = registryState();
    const std::string pathBefore = valueOf(os::RegRoot::LocalMachine, kEnvKey, "Path");
    const std::string dest = root.path() + "\\installed";
    ASSERT_TRUE(os::startProcess("\"" + package + "\" /S /D=" + dest, true, &code));
    ASSERT_EQ(code, 0);

    using R = os::RegRoot;
    EXPECT_TRUE(os::RegKey::open(R::CurrentUser, "SOFTWARE\\BwTestRegEnvCo\\Widget\\2.0").valid());
    EXPECT_EQ(valueOf(R::LocalMachine, kEnvKey, "Path"), pathBefore + ";C:\\BwTestRegEnv\\bin");
    EXPECT_EQ(valueOf(R::LocalMachine, kEnvKey, "BwTestRegEnv_Look"), "C:\\Tools2;C:\\Tools\\bin;C:\\Tools");
    EXPECT_EQ(valueOf(R::LocalMachine, kEnvKey, "BwTestRegEnv_Var"), "three");
    EXPECT_TRUE(os::RegKey::open(R::LocalMachine, "SOFTWARE\\BwTestRegEnv\\Created").valid());
    EXPECT_EQ(valueOf(R::LocalMachine, "SOFTWARE\\BwTestRegEnv\\Created", "Size"), "big");
    EXPECT_EQ(valueOf(R::CurrentUser, "Software\\BwTestRegEnvPre", "Fresh"), "yes");
    EXPECT_EQ(valueOf(R::CurrentUser, "Software\\BwTestRegEnvPre", "Keep"), "1");
    EXPECT_EQ(valueOf(R::ClassesRoot, "BwTestRegEnv.file", "Kind"), "widget");
    EXPECT_EQ(valueOf(R::Users, ".DEFAULT\\Software\\BwTestRegEnv", "N"), "V");
    EXPECT_TRUE(os::RegKey::open(R::CurrentConfig, "Software\\BwTestRegEnv").valid());

    // The script records exactly the appended parts.
    const std::string script = bwtest::TestFolder::read(dest + "\\Uninstall.wzu");
    EXPECT_NE(script.find(std::string("~") + kEnvKey + "~Path~;C:\\BwTestRegEnv\\bin" + '\0'), std::string::npos);
    EXPECT_NE(script.find(std::string("~") + kEnvKey + "~BwTestRegEnv_Look~;C:\\Tools" + '\0'), std::string::npos);
    EXPECT_EQ(script.find(std::string("Software\\BwTestRegEnvPre") + '\0'), std::string::npos)
        << "a key that was there before is not the installation's to delete";

    bwtest::TestFolder::write(root.path() + "\\uninstall.scn", "answer message yes\non dialog IDD_UNINSTALL\nclick IDOK\n");
    os::setEnv("BUNDLEWRIGHT_SCENARIO", root.path() + "\\uninstall.scn");
    ASSERT_TRUE(os::startProcess("\"" + os::windowsFolder() + "\\UnBundlewright.exe\" -f" + dest + "\\Uninstall.wzu",
                                 true, &code));
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    EXPECT_EQ(registryState(), before);
    EXPECT_FALSE(os::directoryExists(dest));
}

}  // namespace
