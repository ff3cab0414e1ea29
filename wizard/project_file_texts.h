// What a plain field of the project file can carry. Fields other than the raw
// shortcut, environment and registry texts are cut at every backquote and a
// field equal to a marker word ends its section early, so a page refuses such
// a text when it is stored instead of letting the next save corrupt the file.
// Paths and lines are held in 260-byte slots: longer ones would be cut.
#pragma once

#include "platform/os/text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace wizard {

enum class TextFault {
    None,
    Backquote,     // contains '`'
    MarkerWord,    // is "start1" ... "start12" (any case)
    TooLong,       // a line longer than the limit
};

constexpr std::size_t kMaxLineLength = os::kPathSlot - 1;

// The first fault of `text` as a plain field whose lines may hold at most
// maxLine characters.
TextFault plainFieldFault(std::string_view text, std::size_t maxLine = kMaxLineLength);

// The message a page shows for a refused text; `label` names the field as the
// page labels it ("Company Name").
std::string plainFieldMessage(std::string_view label, TextFault fault, std::size_t maxLine = kMaxLineLength);

}  // namespace wizard
