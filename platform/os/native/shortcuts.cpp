#include "platform/os/shortcuts.h"
#include "platform/os/text.h"

#include <cstdio>

#include "platform/os/os.h"

namespace os {

std::string shellFolder(ShellFolder which) {
    std::string base;
    if (!getEnv("BUNDLEWRIGHT_SHELL", base) || base.empty()) base = tempFolder() + "shell";
    while (!base.empty() && base.back() == '\\') base.pop_back();
    switch (which) {
    case ShellFolder::Desktop: return base + "\\Desktop";
    case ShellFolder::StartMenu: return base + "\\Start Menu";
    case ShellFolder::Programs: return base + "\\Start Menu\\Programs";
    case ShellFolder::Startup: return base + "\\Start Menu\\Programs\\Startup";
    }
    return "";
}

// The stand-in for a .lnk: four lines, target, arguments, description, folder.
static const char kMagic[] = "BWLINK\r\n";

bool createShortcut(const std::string& linkPath, const Shortcut& s) {
    FILE* f = openFile(linkPath, "wb");
    if (!f) return false;
    std::string text = std::string(kMagic) + s.target + "\r\n" + s.arguments + "\r\n" + s.description +
                       "\r\n" + s.workingDirectory + "\r\n";
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return (std::fclose(f) == 0) && ok;
}

bool readShortcut(const std::string& linkPath, Shortcut& out) {
    std::string text;
    if (!readWholeFile(linkPath, text)) return false;
    if (text.compare(0, sizeof(kMagic) - 1, kMagic) != 0) return false;
    std::string* fields[] = {&out.target, &out.arguments, &out.description, &out.workingDirectory};
    size_t pos = sizeof(kMagic) - 1;
    for (std::string* field : fields) {
        size_t at = text.find("\r\n", pos);
        if (at == std::string::npos) return false;
        *field = text.substr(pos, at - pos);
        pos = at + 2;
    }
    return true;
}

bool openDocument(const std::string&) { return false; }

bool startAsShellUser(const std::string&, const std::string&) { return false; }

void broadcastEnvironmentChange() {}

bool endSession(bool) { return false; }

}  // namespace os
