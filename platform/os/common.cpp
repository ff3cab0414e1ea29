// The parts of the layer that are the same on both hosts.
#include "platform/os/os.h"
#include "platform/os/registry.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace os {

// ---- registry values -------------------------------------------------------

std::string RegValue::asString() const {
    const char* p = reinterpret_cast<const char*>(data.data());
    size_t n = 0;
    while (n < data.size() && p[n] != '\0') ++n;
    return std::string(p, n);
}

RegValue RegValue::string(const std::string& s, RegType t) {
    RegValue v;
    v.type = t;
    v.data.assign(s.begin(), s.end());
    v.data.push_back(0);
    return v;
}

RegValue RegValue::dword(uint32_t x) {
    RegValue v;
    v.type = RegType::Dword;
    for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(x >> (8 * i)));
    return v;
}

// ---- files -----------------------------------------------------------------

bool fileExists(const std::string& path) {
    FileStat st;
    return statPath(path, st) && !st.isDirectory;
}

bool directoryExists(const std::string& path) {
    FileStat st;
    return statPath(path, st) && st.isDirectory;
}

bool createDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (directoryExists(path)) return true;
    // Where the first creatable level starts: after "C:\", "\\server\share\" or "\".
    size_t start = 0;
    auto isSep = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 2 && path[1] == ':') {
        start = 2;
        if (start < path.size() && isSep(path[start])) ++start;
    } else if (path.size() >= 2 && isSep(path[0]) && isSep(path[1])) {
        int seps = 0;
        start = 2;
        while (start < path.size() && seps < 2) {
            if (isSep(path[start])) ++seps;
            ++start;
        }
    } else if (isSep(path[0])) {
        start = 1;
    }
    for (size_t i = start; i <= path.size(); ++i) {
        if (i != path.size() && !isSep(path[i])) continue;
        std::string prefix = path.substr(0, i);
        if (prefix.size() <= start || isSep(prefix.back())) continue;
        if (directoryExists(prefix)) continue;
        if (!createDirectory(prefix) && !directoryExists(prefix)) return false;
    }
    return directoryExists(path);
}

// ---- command lines ---------------------------------------------------------

std::vector<std::string> splitCommandLine(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0, n = line.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < n && blank(line[i])) ++i;
    if (i >= n) return out;
    // The program: no escapes, a quote runs to the next quote.
    std::string prog;
    bool quoted = false;
    for (; i < n; ++i) {
        char c = line[i];
        if (c == '"') { quoted = !quoted; continue; }
        if (!quoted && blank(c)) break;
        prog += c;
    }
    out.push_back(prog);
    for (;;) {
        while (i < n && blank(line[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool inQuotes = false;
        while (i < n) {
            char c = line[i];
            if (c == '\\') {
                size_t k = 0;
                while (i < n && line[i] == '\\') { ++k; ++i; }
                if (i < n && line[i] == '"') {
                    arg.append(k / 2, '\\');
                    if (k % 2 == 1) { arg += '"'; ++i; }
                } else {
                    arg.append(k, '\\');
                }
                continue;
            }
            if (c == '"') {
                // "" inside quotes is a literal quote (the C runtime's rule).
                if (inQuotes && i + 1 < n && line[i + 1] == '"') { arg += '"'; i += 2; continue; }
                inQuotes = !inQuotes;
                ++i;
                continue;
            }
            if (!inQuotes && blank(c)) break;
            arg += c;
            ++i;
        }
        out.push_back(arg);
    }
    return out;
}

std::string quoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') { ++backslashes; continue; }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
            out += '"';
        } else {
            out.append(backslashes, '\\');
            out += c;
        }
        backslashes = 0;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

// ---- exit --------------------------------------------------------------------

namespace {
std::atomic<bool> g_exitTrap{false};
}

void setExitTrap(bool on) { g_exitTrap = on; }
bool exitTrapped() { return g_exitTrap; }

void exitProcess(int code) {
    if (g_exitTrap) throw ExitRequest{code};
    std::fflush(nullptr);
    std::exit(code);
}

}  // namespace os
