// What Windows allows as one file or folder name, in one place: the installer
// stub checks every name it writes with it, and every page whose text becomes
// a file, folder or shortcut name checks that text with it, so that no name a
// page accepts is refused on the end user's machine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace os {

// The longest name of one component.
constexpr std::size_t kNameChars = 255;

// Why `name` cannot be one component of a path, "" when it can: empty, "." or
// "..", longer than kNameChars, a character Windows forbids (< > : " / \ | ? *
// and control characters), a trailing dot or blank, or a device name (CON,
// PRN, AUX, NUL, COM1-9, LPT1-9 with their superscript digits, CONIN$, CONOUT$,
// CLOCK$) whatever extension follows it. The reason reads after "The name":
// "is empty", "ends in a dot or a blank", ...
std::string nameFault(std::string_view name);

// `name` without the trailing dots and blanks Windows drops from a name
// ("Acme Inc." names the folder "Acme Inc").
std::string withoutTrailingDots(std::string name);

// `text` as a name: forbidden characters and trailing dots and blanks left
// out, a device name's stem followed by "_"; "" when nothing is left.
std::string usableName(std::string_view text);

// Why a path below a folder ("a\b\c") cannot be used, "" when every
// component passes nameFault; the reason names the component.
std::string relativePathFault(std::string_view path);

}  // namespace os
