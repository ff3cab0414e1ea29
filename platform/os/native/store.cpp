#include "platform/os/native/store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace os::store {

std::string folder() {
    const char* v = std::getenv("BUNDLEWRIGHT_REGISTRY");
    if (!v || !*v) return std::string();
    std::string f = v;
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    return f;
}

Lock::Lock(const std::string& dir) {
    if (dir.empty()) return;
    ::mkdir(dir.c_str(), 0777);
    std::string path = dir + "/lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
}

Lock::~Lock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

bool readLines(const std::string& file, std::vector<std::string>& lines) {
    lines.clear();
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return false;
    std::string cur;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(c);
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool writeLines(const std::string& file, const std::vector<std::string>& lines) {
    std::string tmp = file + ".new";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (const std::string& l : lines) {
        if (std::fwrite(l.data(), 1, l.size(), f) != l.size() || std::fputc('\n', f) == EOF) ok = false;
    }
    if (std::fclose(f) != 0) ok = false;
    if (!ok || std::rename(tmp.c_str(), file.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

std::string escape(const std::string& s) {
    static const char digits[] = "0123456789ABCDEF";
    if (s.empty()) return "%";   // an empty field still takes its place
    std::string out;
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7f || c == '%') {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

std::string unescape(const std::string& s) {
    if (s == "%") return std::string();
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i <= line.size()) {
        size_t j = line.find(' ', i);
        if (j == std::string::npos) j = line.size();
        out.push_back(line.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

std::string hex(const std::vector<unsigned char>& bytes) {
    static const char digits[] = "0123456789abcdef";
    if (bytes.empty()) return "-";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::vector<unsigned char> unhex(const std::string& s) {
    std::vector<unsigned char> out;
    if (s == "-") return out;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        int a = hexDigit(s[i]), b = hexDigit(s[i + 1]);
        if (a < 0 || b < 0) break;
        out.push_back(static_cast<unsigned char>(a * 16 + b));
    }
    return out;
}

}  // namespace os::store
