// Packages for the package readers' fuzz targets. An input is one flag byte
// and the bytes after the installer program: with flag bit 0 clear the
// target appends a correct trailer (stop marker and 25-digit length), so the
// fuzzer spends its time inside the package instead of on its last 41 bytes.
//
// With flag bit 1 set the package is signed as a signing tool signs it: a PE
// header at the front (bit 2: a 64-bit one) names a certificate table after
// the package and its zero padding to 8 bytes. Four input bytes follow the
// flag: how far the directory's offset and size are moved (-128..127 each)
// and the table's length (16 bits); that many bytes at the input's end are
// the table.
#pragma once

#include <bzlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/package_format.h"
#include "tests/support/signed_package.h"

namespace bwfuzz {

using package::kPayloadOffset;
using package::kStopMarker;
inline constexpr size_t kHeaderBytes = 512;   // what a signed image writes over the front

// The whole file: padding up to the payload, the body, the trailer if asked
// for, the signature if asked for. The padding is made once; the result lives
// until the next call.
inline const std::string& packageImage(const uint8_t* data, size_t size) {
    static std::string image;
    if (image.size() < kPayloadOffset) image.assign(kPayloadOffset, '0');
    image.resize(kPayloadOffset);
    std::fill(image.begin(), image.begin() + kHeaderBytes, '0');
    if (size == 0) return image;
    const uint8_t flags = data[0];
    ++data, --size;
    const bool sign = (flags & 2) && size >= 4;
    int offsetMove = 0, sizeMove = 0;
    std::string table;
    if (sign) {
        offsetMove = static_cast<int8_t>(data[0]);
        sizeMove = static_cast<int8_t>(data[1]);
        const size_t n = std::min<size_t>(data[2] | data[3] << 8, size - 4);
        data += 4, size -= 4;
        table.assign(reinterpret_cast<const char*>(data) + size - n, n);
        size -= n;
    }
    image.append(reinterpret_cast<const char*>(data), size);
    if (!(flags & 1)) {
        image += kStopMarker;
        const size_t total = image.size() + 25;
        char digits[32];
        std::snprintf(digits, sizeof digits, "%025llu", static_cast<unsigned long long>(total));
        image += digits;
    }
    if (sign) {
        image.resize((image.size() + 7) / 8 * 8, '\0');
        bwtest::putPeHeader(image, static_cast<uint32_t>(image.size() + offsetMove),
                            static_cast<uint32_t>(table.size() + sizeMove), (flags & 4) != 0);
        image += table;
    }
    return image;
}

inline std::string bzip2(const std::string& data) {
    std::vector<char> out(data.size() + data.size() / 100 + 700);
    unsigned n = static_cast<unsigned>(out.size());
    if (BZ2_bzBuffToBuffCompress(out.data(), &n, const_cast<char*>(data.data()), static_cast<unsigned>(data.size()),
                                 9, 0, 30) != BZ_OK)
        return std::string();
    return std::string(out.data(), n);
}

// A package body as the builder lays it out, for seeds.
struct BodyWriter {
    std::string bytes = std::string(1, '\0');   // the flag byte: append the trailer
    void z(const std::string& s) { bytes += s; bytes.push_back('\0'); }
    void entry(const std::string& name, const std::string& data) {
        bytes += name + "\r\n" + std::to_string(data.size()) + "\r\n" + data;
    }
    void head(const std::string& option, int files) {
        z(std::to_string(files));
        z("option.txt");
        z(std::to_string(option.size()));
        bytes += option;
        bytes += std::string("~~~~~start~~~~~now~~~~~", 24);
        for (const char* t : {"Acme", "Rocket", "1.0", "a@acme.example", "A rocket", " ", "(c) Acme", " ", " ",
                              " ", " ", " ", " ", "C:\\Program Files\\Rocket"})
            z(t);
        z("0");
        z("136000");
        z(" ");
        z("English");
    }
};

inline std::vector<std::string> packageSeeds() {
    const std::string allOff =
        "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\nNO_PASSWORD_SECTION\r\n\r\n"
        "NO_README_SECTION\r\n\r\n";
    std::vector<std::string> out;
    BodyWriter minimal;
    minimal.head(allOff, 0);
    minimal.entry("\\UnBundlewright.exe", "MZ uninstaller");
    out.push_back(minimal.bytes);

    BodyWriter full;
    full.head("YES_PROMPT_SECTION\r\nInstall?\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\n"
              "YES_PASSWORD_SECTION\r\nsecret\r\n\r\nYES_README_SECTION\r\n\\README.TXT\r\n\r\n",
              3);
    full.entry("\\UnBundlewright.exe", "MZ uninstaller");
    full.entry("\\readme.txt.bz2", bzip2("Read me first.\r\n"));
    full.entry("\\bin\\tool.exe.bz2", bzip2(std::string(3000, 'x')));
    full.entry("\\empty\\temp$.bz2", "1");
    full.bytes += "**REGISTRY_UPDATION_DETAILS**\r\n*Default_Root`HKEY_CURRENT_USER\r\n*AddKey`Software\\Acme\r\n"
                  "*SetKeyValue`Software\\Acme`Path`C:\\Rocket\r\n**END_REGISTRY**";
    full.bytes.push_back('\0');
    full.bytes += "**SHORTCUTS_DETAILS**\r\ncreate_shortcut_dir`Desktop\\Start Menu\\Programs\\Rocket\r\n"
                  "add_shortcut`tool.exe`Desktop\\Start Menu\\Programs\\Rocket\\Tool.lnk`Tool`-x\r\n**END_SHORTCUTS**";
    full.bytes.push_back('\0');
    out.push_back(full.bytes);

    BodyWriter unsafe;
    unsafe.head(allOff, 1);
    unsafe.entry("\\UnBundlewright.exe", "MZ");
    unsafe.entry("\\..\\..\\evil.exe", "x");
    out.push_back(unsafe.bytes);

    // Signed: a table of one certificate entry after the trailer.
    std::string signedFull = full.bytes;
    signedFull[0] = 2;
    const std::string table = std::string("\x10\0\0\0\0\x02\x02\0", 8) + "\x30\x06\x06\x04\x2a\x86\x48\x86";
    signedFull.insert(1, std::string("\0\0", 2) + static_cast<char>(table.size()) + '\0');
    out.push_back(signedFull + table);

    std::string truncated = full.bytes.substr(0, full.bytes.size() / 2);
    truncated[0] = 1;   // no trailer of its own: refused at once
    out.push_back(truncated);
    return out;
}

}  // namespace bwfuzz
