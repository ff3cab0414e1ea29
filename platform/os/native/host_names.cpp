#include "platform/os/native/host_names.h"

#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/os/os.h"

namespace os::host_names {

namespace {

constexpr unsigned kDefaultCodePage = 1252;
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1));

bool isAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// One pair of converters per thread (iconv state is not shared safely), opened
// again when the setting changes.
struct Converters {
    unsigned page = 0;
    iconv_t toUtf8 = kNoConverter;
    iconv_t fromUtf8 = kNoConverter;
    void close() {
        if (toUtf8 != kNoConverter) iconv_close(toUtf8);
        if (fromUtf8 != kNoConverter) iconv_close(fromUtf8);
        toUtf8 = fromUtf8 = kNoConverter;
        page = 0;
    }
    ~Converters() { close(); }
};
thread_local Converters t_conv;

unsigned settingOrThrow() {
    const char* v = std::getenv("BUNDLEWRIGHT_CODEPAGE");
    if (!v || !*v) return kDefaultCodePage;
    char* end = nullptr;
    const unsigned long n = std::strtoul(v, &end, 10);
    if (*end || n == 0 || n > 65535)
        throw PathError(std::string("BUNDLEWRIGHT_CODEPAGE is '") + v + "': a code page number such as 1252");
    return static_cast<unsigned>(n);
}

Converters& converters() {
    const unsigned page = settingOrThrow();
    if (t_conv.page == page) return t_conv;
    t_conv.close();
    const std::string name = "CP" + std::to_string(page);
    t_conv.toUtf8 = iconv_open("UTF-8", name.c_str());
    t_conv.fromUtf8 = iconv_open(name.c_str(), "UTF-8");
    if (t_conv.toUtf8 == kNoConverter || t_conv.fromUtf8 == kNoConverter) {
        t_conv.close();
        throw PathError("BUNDLEWRIGHT_CODEPAGE is " + std::to_string(page) +
                        ": the C library cannot convert that code page");
    }
    t_conv.page = page;
    return t_conv;
}

// The whole text or nothing: a sequence iconv cannot convert exactly fails.
bool convert(iconv_t cd, const std::string& in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string buf(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buf.data();
    size_t dstLeft = buf.size();
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != 0 || srcLeft != 0) return false;
    if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
    buf.resize(buf.size() - dstLeft);
    out = buf;
    return true;
}

// Length of the UTF-8 sequence at `at` and its code point; 0 when it is not one.
size_t utf8At(const std::string& s, size_t at, unsigned& cp) {
    const unsigned char c = static_cast<unsigned char>(s[at]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || at + n > s.size()) return 0;
    cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        const unsigned char t = static_cast<unsigned char>(s[at + i]);
        if ((t >> 6) != 2) return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    static const unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

std::string hex(const char* format, unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

}  // namespace

unsigned codePage() { return converters().page; }

bool toHost(const std::string& ansi, std::string& host) {
    Converters& c = converters();   // a wrong setting fails even for ASCII names
    if (isAscii(ansi)) {
        host = ansi;
        return true;
    }
    return convert(c.toUtf8, ansi, host);
}

bool fromHost(const std::string& host, std::string& ansi) {
    Converters& c = converters();
    if (isAscii(host)) {
        ansi = host;
        return true;
    }
    return convert(c.fromUtf8, host, ansi);
}

std::string shown(const std::string& host) {
    std::string out;
    for (size_t at = 0; at < host.size();) {
        unsigned cp = 0;
        const size_t n = utf8At(host, at, cp);
        if (n == 0) {
            out += hex("<0x%02X>", static_cast<unsigned char>(host[at]));
            ++at;
            continue;
        }
        std::string ansi;
        out += fromHost(host.substr(at, n), ansi) ? ansi : hex("<U+%04X>", cp);
        at += n;
    }
    return out;
}

std::string forTerminal(const std::string& ansi) {
    std::string out;
    for (size_t at = 0; at < ansi.size();) {
        // <U+65E5>: a character shown() wrote for want of the code page.
        const size_t close = ansi.compare(at, 3, "<U+") == 0 ? ansi.find('>', at) : std::string::npos;
        if (close != std::string::npos && close - at >= 7 && close - at <= 9) {
            char* end = nullptr;
            const std::string digits = ansi.substr(at + 3, close - at - 3);
            const unsigned long cp = std::strtoul(digits.c_str(), &end, 16);
            if (!*end && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
                char u[4];
                int n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
                static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
                for (int i = n - 1; i > 0; --i) u[i] = static_cast<char>(0x80 | ((cp >> (6 * (n - 1 - i))) & 0x3F));
                u[0] = static_cast<char>(n == 1 ? cp : (kLead[n] | (cp >> (6 * (n - 1)))));
                out.append(u, static_cast<size_t>(n));
                at = close + 1;
                continue;
            }
        }
        // Runs of text between markers convert whole (a double-byte
        // character stays together); a run that fails goes byte by byte.
        size_t next = ansi.find("<U+", at + 1);
        if (next == std::string::npos) next = ansi.size();
        const std::string run = ansi.substr(at, next - at);
        std::string host;
        if (toHost(run, host)) {
            out += host;
        } else {
            for (unsigned char c : run) {
                const std::string one(1, static_cast<char>(c));
                out += toHost(one, host) ? host : hex("<0x%02X>", c);
            }
        }
        at = next;
    }
    return out;
}

}  // namespace os::host_names
