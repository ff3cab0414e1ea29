// The native host's one conversion between the product's texts (bytes of the
// Windows ANSI code page, as list.txt, project files and packages carry them)
// and the host's file names (UTF-8). Every native file call goes through it,
// so a folder walked here gives the bytes Windows gives, and a name made on
// Windows opens the file of that name here. The code page is Windows-1252
// unless BUNDLEWRIGHT_CODEPAGE names another (1250, 1251, 932, ...); the C
// library's iconv converts. Nothing is ever replaced by '?': a text that
// does not convert is refused.
#pragma once

#include <string>

namespace os::host_names {

// The code page in force (BUNDLEWRIGHT_CODEPAGE, read on every call, else 1252).
// Throws PathError when the setting is not a number or iconv does not know it.
unsigned codePage();

// ANSI bytes to the host's UTF-8; false when they are not valid in the code page.
bool toHost(const std::string& ansi, std::string& host);
// A host name to ANSI bytes; false when it is not UTF-8 or holds a character
// the code page cannot.
bool fromHost(const std::string& host, std::string& ansi);

// A host name as an ANSI message can show it: what the code page holds as it
// is, each other character as <U+65E5>, a byte that is not UTF-8 as <0xE9>.
std::string shown(const std::string& host);

// ANSI text for the terminal (UTF-8), for messages: a byte the code page does
// not know as <0x81>, and <U+65E5> back as its character.
std::string forTerminal(const std::string& ansi);

}  // namespace os::host_names
