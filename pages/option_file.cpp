#include "pages/option_file.h"

#include <cstdio>

#include "platform/os/text.h"
#include "platform/os/os.h"

namespace pages {

namespace {

const char* const kSections[] = {"PROMPT", "WELCOME", "LICENSE", "PASSWORD", "README"};
enum Section { kPrompt, kWelcome, kLicense, kPassword, kReadme };

std::string off(Section s) { return std::string("NO_") + kSections[s] + "_SECTION\r\n\r\n"; }
std::string on(Section s, const std::string& value) {
    return std::string("YES_") + kSections[s] + "_SECTION\r\n" + value + "\r\n\r\n";
}

OptionCommit validateAndBuild(const InstallOptions& v, const std::string& source, const TextCopy& fileText,
                              std::string& text) {
    auto fail = [](const std::string& m) { return OptionCommit{false, m}; };

    if (v.prompt_enabled && v.prompt_text.empty()) return fail(kMsgNeedPrompt);
    text += v.prompt_enabled ? on(kPrompt, v.prompt_text.substr(0, kPromptFileChars)) : off(kPrompt);

    if (v.welcome_enabled) {
        std::string value;
        if (isDefaultWelcome(v.welcome_file)) {
            value = "default";
        } else if (v.welcome_file.empty()) {
            return fail(kMsgNeedWelcome);
        } else if (v.welcome_file.size() > kOptionPathChars) {
            return fail(optionFileTooLongMessage(v.welcome_file));
        } else if (!fileText(v.welcome_file, value)) {
            return fail(kMsgWelcomeMissing);
        }
        text += on(kWelcome, value);
    } else {
        text += off(kWelcome);
    }

    if (v.license_enabled) {
        if (v.license_file.empty()) return fail(kMsgNeedLicense);
        if (v.license_file.size() > kOptionPathChars) return fail(optionFileTooLongMessage(v.license_file));
        std::string value;
        if (!fileText(v.license_file, value)) return fail(kMsgLicenseMissing);
        text += on(kLicense, value);
    } else {
        text += off(kLicense);
    }

    if (v.password_enabled && v.password.empty()) return fail(kMsgNeedPassword);
    text += v.password_enabled ? on(kPassword, v.password.substr(0, kPasswordChars)) : off(kPassword);

    if (v.readme_enabled) {
        if (v.readme_file.empty()) return fail(kMsgNeedReadme);
        if (v.readme_file.size() > kOptionPathChars) return fail(optionFileTooLongMessage(v.readme_file));
        FILE* probe = os::openFile(v.readme_file, "rb");
        if (!probe) return fail(kMsgReadmeMissing);
        std::fclose(probe);
        std::string readme = os::upperAscii(v.readme_file);
        std::size_t at = readme.find(os::upperAscii(source));
        if (at == std::string::npos) return fail(kMsgReadmeOutside);
        text += on(kReadme, readme.substr(at + source.size()));
    } else {
        text += off(kReadme);
    }
    return {};
}

}  // namespace

std::string allOffOptionText() {
    return off(kPrompt) + off(kWelcome) + off(kLicense) + off(kPassword) + off(kReadme);
}

void writeAllOffOptionFile(const std::string& optionFilePath) {
    os::writeWholeFile(optionFilePath, allOffOptionText());
}

bool readOptionText(const std::string& path, std::string& text) {
    if (!os::readWholeFile(path, text)) return false;
    std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return true;
}

bool isDefaultWelcome(const std::string& entry) { return os::equalsNoCase(entry, "Default"); }

std::string optionFileTooLongMessage(const std::string& path) {
    return "The file name is longer than 259 characters: " + path;
}

std::string optionFileNotWritableMessage(const std::string& path) {
    return "The installation options cannot be written to " + path;
}

OptionCommit commitOptionFile(const std::string& optionFilePath, const InstallOptions& values,
                              const std::string& sourceFolderText, const TextCopy& copyText) {
    FILE* out = os::openFile(optionFilePath, "wb");
    std::string text;
    OptionCommit result = validateAndBuild(values, sourceFolderText, copyText, text);
    if (!out) {
        // The choices would be lost (a password among them): say so, stay.
        if (result.ok) result = {false, optionFileNotWritableMessage(optionFilePath)};
        return result;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = (std::fclose(out) == 0) && written;
    if (result.ok && !written) result = {false, optionFileNotWritableMessage(optionFilePath)};
    return result;
}

}  // namespace pages
