// The package: a self-extracting executable, the one contract between the
// builder and its two readers (the installer stub and twk's). The readers
// take these constants from here and parse on their own: that independence is
// our check of the format. Every byte, in order:
//
//  #  item                         encoding
//  1  stub                         the stub program, byte for byte (at most kPayloadOffset bytes)
//  2  padding                      kPaddingByte repeated up to kPayloadOffset
//  3  file count                   decimal Z-string
//  4  option file name             Z-string kOptionFileName
//  5  option file size             decimal Z-string
//  6  option file body             exactly that many bytes
//  7  start marker                 kStartMarker, kStartMarkerSize bytes (its NUL included)
//  8  company name                 Z-string (empty text: a lone NUL)
//  9  product name                 Z-string
// 10  version                      Z-string
// 11  e-mail                       Z-string
// 12  description                  Z-string
// 13  comments                     Z-string
// 14  copyright notice             Z-string
// 15  post-installation program    Z-string, kBlank when none is chosen
// 16  post-installation cmd line   Z-string, kBlank when empty
// 17  pre-uninstallation program   Z-string, kBlank when none is chosen
// 18  pre-uninstallation cmd line  Z-string, kBlank when empty
// 19  pre-installation program     Z-string, kBlank when none is chosen
// 20  pre-installation cmd line    Z-string, kBlank when empty
// 21  default destination folder   Z-string, kBlank when empty
// 22  finish action                decimal Z-string: 0 nothing, 1 log off, 2 restart
// 23  space required               Z-string, the byte count printed with kSpaceFormat
// 24  services                     Z-string, kBlank when the text is absent or one character
// 25  language text                Z-string: the language file read as text (CR LF -> LF,
//                                  Ctrl-Z ends it), cut at its first NUL
// 26  uninstaller entry            file entry named kUninstallerEntryName, stored
// 27  file entries                 one per list line, in list order
// 28  registry section (optional)  kRegistryBegin, CR LF, registry.txt, kRegistryEnd, NUL
// 29  shortcuts section (optional) kShortcutsBegin, CR LF, shortcuts.txt, kShortcutsEnd, NUL
// 30  stop marker                  kStopMarker, kStopMarkerSize bytes
// 31  package length               kLengthDigits ASCII digits, "0"-padded on the left, no NUL:
//                                  the package's total size, this field included
//
// Z-string: the text's bytes and one NUL. Decimal: signed base-10 ASCII, no
// leading zeros. CR LF: bytes 13, 10.
//
// File entry: name, CR LF, decimal size, CR LF, then exactly size bytes.
//  - name ending in kCompressedSuffix: the data is one bzip2 stream; the file
//    installs under the name without the suffix ("\a\x.bz2.bz2" -> "\a\x.bz2").
//  - name ending in kDirectoryMarker + kCompressedSuffix with the single data
//    byte kDirectoryMarkerData: a folder that holds no files of its own.
//  - any other name: the file's own bytes.
// Names are relative to the destination folder; this builder always writes
// names beginning with "\" for files outside the source folder, and never a
// drive letter.
#pragma once

#include <cstddef>
#include <cstdint>

namespace package {

constexpr uint64_t kPayloadOffset = 541200;   // items 1 + 2; the stub may be no larger
constexpr char kPaddingByte = '0';

constexpr const char kOptionFileName[] = "option.txt";

constexpr const char kStartMarker[] = "~~~~~start~~~~~now~~~~~";   // written with its NUL
constexpr size_t kStartMarkerSize = sizeof(kStartMarker);          // 24

constexpr const char kBlank[] = " ";            // stands for "none" in items 15-21 and 24
constexpr const char kSpaceFormat[] = "%0.0f";  // item 23

// Item 25: the language files in the language folder, by language index.
constexpr const char* const kLanguageFiles[] = {"English.txt", "French.txt", "German.txt", "Spanish.txt"};
constexpr int kLanguageCount = 4;
constexpr char kCtrlZ = 0x1A;

constexpr const char kUninstallerEntryName[] = "\\UnBundlewright.exe";
constexpr const char kCompressedSuffix[] = ".bz2";
constexpr const char kDirectoryMarker[] = "temp$";
constexpr const char kDirectoryMarkerData[] = "1";
// How a folder entry's name ends: kDirectoryMarker, then kCompressedSuffix.
constexpr const char kDirectoryEntrySuffix[] = "temp$.bz2";
constexpr const char kLineEnd[] = "\r\n";

constexpr const char kRegistryBegin[] = "**REGISTRY_UPDATION_DETAILS**";
constexpr const char kRegistryEnd[] = "**END_REGISTRY**";     // followed by NUL
constexpr const char kShortcutsBegin[] = "**SHORTCUTS_DETAILS**";
constexpr const char kShortcutsEnd[] = "**END_SHORTCUTS**";   // followed by NUL

constexpr const char kStopMarker[] = "`~`~!STOP!~`~`\r\n";
constexpr size_t kStopMarkerSize = sizeof(kStopMarker) - 1;   // 16, no NUL
constexpr size_t kLengthDigits = 25;
constexpr size_t kTrailerSize = kStopMarkerSize + kLengthDigits;   // 41

// Lines of the registry section (registry.txt): fields split at each
// backquote, tags compared without regard to case. The product key line has
// always been spelt with a capital K, the rows' "Create Key" lines without.
constexpr const char kDefaultRootTag[] = "*Default_Root";
constexpr const char kAddKeyTag[] = "*Addkey";
constexpr const char kProductKeyTag[] = "*AddKey";
constexpr const char kSetValueTag[] = "*SetKeyValue";
constexpr const char kAppendValueTag[] = "*AppendKeyValue";

// bzip2 settings of every compressed entry.
constexpr int kBlockSize = 9;
constexpr int kVerbosity = 0;
constexpr int kWorkFactor = 30;

}  // namespace package
