// A small writer of packages in the stub's layout, for the stub's tests.
#pragma once

#include <bzlib.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "stub/package_reader.h"

namespace stub {

inline const char kAllOff[] =
    "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\nNO_PASSWORD_SECTION\r\n\r\n"
    "NO_README_SECTION\r\n\r\n";

inline std::string bz2(const std::string& data) {
    std::vector<char> out(data.size() * 2 + 600);
    unsigned n = static_cast<unsigned>(out.size());
    EXPECT_EQ(BZ_OK, BZ2_bzBuffToBuffCompress(out.data(), &n, const_cast<char*>(data.data()),
                                              static_cast<unsigned>(data.size()), 9, 0, 30));
    return std::string(out.data(), n);
}

// option.txt with the given sections on ("" leaves a section off).
inline std::string optionText(const std::string& prompt, const std::string& welcome, const std::string& license,
                              const std::string& password, const std::string& readme) {
    std::string o;
    auto section = [&o](const char* name, const std::string& value) {
        o += value.empty() ? std::string("NO_") + name + "_SECTION\r\n\r\n"
                           : std::string("YES_") + name + "_SECTION\r\n" + value + "\r\n\r\n";
    };
    section("PROMPT", prompt);
    section("WELCOME", welcome);
    section("LICENSE", license);
    section("PASSWORD", password);
    section("README", readme);
    return o;
}

struct TestPackage {
    std::string option = kAllOff;
    std::string product = "Widget", company = "Acme", version = "1.0";
    std::string preUninstall = " ", preUninstallCmd = " ", destination = " ", services = " ";
    std::string postInstall = " ", postInstallCmd = " ", preInstall = " ", preInstallCmd = " ";
    std::string front;   // the program before the payload ("" pads with "0" only)
    std::string uninstaller = "MZ-uninstaller";
    std::string finishAction = "0", space = "100", language = "English text\n";
    std::vector<std::pair<std::string, std::string>> entries;   // after the uninstaller
    std::vector<std::string> sizeTexts;   // in place of the entries' real sizes, for damaged packages
    bool registry = false, shortcuts = false;
    std::string registryText, shortcutsText;

    std::string bytes() const {
        std::string p = front + std::string(package::kPayloadOffset - front.size(), '0');
        auto z = [&p](const std::string& s) {
            p += s;
            p.push_back('\0');
        };
        z(std::to_string(entries.size()));
        z("option.txt");
        z(std::to_string(option.size()));
        p += option;
        p.append(package::kStartMarker, sizeof package::kStartMarker);
        z(company);
        z(product);
        z(version);
        for (const char* t : {"", "", "", ""}) z(t);
        z(postInstall), z(postInstallCmd), z(preUninstall), z(preUninstallCmd), z(preInstall), z(preInstallCmd);
        z(destination), z(finishAction), z(space), z(services), z(language);
        auto entry = [&p](const std::string& name, const std::string& data) {
            p += name + "\r\n" + std::to_string(data.size()) + "\r\n" + data;
        };
        entry("\\UnBundlewright.exe", uninstaller);
        for (size_t i = 0; i < entries.size(); ++i) {
            if (i < sizeTexts.size()) p += entries[i].first + "\r\n" + sizeTexts[i] + "\r\n" + entries[i].second;
            else entry(entries[i].first, entries[i].second);
        }
        if (registry) p += std::string("**REGISTRY_UPDATION_DETAILS**\r\n") + registryText + "**END_REGISTRY**" + '\0';
        if (shortcuts) p += std::string("**SHORTCUTS_DETAILS**\r\n") + shortcutsText + "**END_SHORTCUTS**" + '\0';
        p += package::kStopMarker;
        std::string len = std::to_string(p.size() + package::kLengthDigits);
        p += std::string(package::kLengthDigits - len.size(), '0') + len;
        return p;
    }
};

}  // namespace stub
