// What the tests that run Tarnwick.exe under Wine share: an installation
// folder made from the built one, a program run to its end, text replacing.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/os/os.h"
#include "tests/support/host_path.h"
#include "tests/support/test_folder.h"

namespace bwtest {

// `inst` as Tarnwick's installation folder: its folders, the English texts
// and the splash picture from the built folder `dist`, the test builds of the
// stub and UnBundlewright (which a scenario can drive, BW_DRIVEN_DIR), and
// the panel flags `panels` in config.mnu.
inline void makeInstallFolder(const std::string& dist, const std::string& inst, const std::string& panels) {
    for (const char* sub : {"bin", "lang", "image", "output", "projects", "temp"})
        os::createDirectories(inst + "\\" + sub);
    for (const char* exe : {"install.exe", "UnBundlewright.exe"})
        ASSERT_TRUE(os::copyFile(buildPath("BW_DRIVEN_DIR", exe), inst + "\\bin\\" + exe, false)) << exe;
    ASSERT_TRUE(os::copyFile(dist + "\\lang\\English.txt", inst + "\\lang\\English.txt", false));
    ASSERT_TRUE(os::copyFile(dist + "\\image\\bundlewright.jpg", inst + "\\image\\bundlewright.jpg", false));
    TestFolder::write(inst + "\\bin\\config.mnu", panels);
}

inline bool runWaiting(const std::string& line, int& code) { return os::startProcess(line, true, &code); }

// Runs the program `exe` (Tarnwick.exe) to its end with the installation
// folder `inst` and the scenario file `scenario`; false when it cannot start.
inline bool runWithScenario(const std::string& exe, const std::string& inst, const std::string& scenario, int& code) {
    os::setEnv("TWKINSTDIR", inst);
    os::setEnv("BUNDLEWRIGHT_SCENARIO", scenario);
    const bool started = runWaiting("\"" + exe + "\"", code);
    os::unsetEnv("BUNDLEWRIGHT_SCENARIO");
    os::unsetEnv("TWKINSTDIR");
    return started;
}

inline std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
    return text;
}

// The scenario `name` of tests/scenarios with its screenshot folder (%SHOTS%)
// and the test's own folder (@\) filled in, written into `root`; its path,
// or empty when it cannot be read.
inline std::string prepareScenario(const std::string& name, const std::string& shots, const std::string& root) {
    std::string text = TestFolder::read(buildPath("BW_SOURCE_DIR", "tests/scenarios/" + name));
    if (text.empty()) return "";
    text = replaceAll(replaceAll(text, "%SHOTS%", shots), "@\\", root + "\\");
    const std::string path = root + "\\" + name;
    TestFolder::write(path, text);
    return path;
}

}  // namespace bwtest
