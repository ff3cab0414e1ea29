// The project file, byte by byte. One text stream (every LF stored as CR LF)
// of twelve sections; fields are separated by one backquote (BQ), never escaped.
//
//   BQ start1 BQ company BQ product BQ version BQ email BQ comments BQ
//        description BQ copyright BQ                (optional texts: " " if empty)
//   start2 BQ source SEP destination BQ include-subfolders BQ
//   start3 BQ <list.txt, whole lines only, or " "> BQ
//   start4 BQ prompt-flag BQ prompt BQ welcome-flag BQ default(0/1) BQ welcome BQ
//        licence-flag BQ licence BQ password-flag BQ password BQ readme-flag BQ
//        readme BQ register BQ
//   start5 BQ shortcuts-flag BQ uninstall-flag BQ <shortcut text, raw, or " "> BQ
//   start6 BQ env-flag BQ <registry.txt, raw, or " "> BQ
//   start7 BQ <registry lines, raw, or " "> BQ
//   start8 BQ output path BQ project path BQ
//   start9 BQ post?preuninst?preinst BQ post-cmd SEP preuninst-cmd SEP preinst-cmd BQ
//        finish-action BQ
//   start10 BQ <services text or " ">
//   BQ start11 BQ <seven panel digits>
//   BQ start12 BQ <language index>                  (no line end after it)
//
// The loader collapses runs of BQ. A raw text ends only at BQ start<n+1> BQ and
// is loaded without that closing BQ, so open and save never grow it.
#pragma once

#include "platform/os/text.h"

namespace wizard::wzp {

constexpr char kFieldSeparator = '`';
constexpr const char* kTextSeparator = "~!@#$%^&*()*&^%$#@!~";   // 20 characters
constexpr char kChoiceSeparator = '?';
constexpr const char* kBlank = " ";
constexpr unsigned kLineReadWidth = os::kPathSlot - 1;   // an embedded working file is read in lines of this many bytes

constexpr const char* kNotFoundMessage = "The specified project file is not found";
constexpr const char* kInvalidMessage = "Not a valid project file";
constexpr const char* kCaption = "Bundlewright";
constexpr const char* kLoadFaultCode = "p1 2 2";

}  // namespace wizard::wzp
