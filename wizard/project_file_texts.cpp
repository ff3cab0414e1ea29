#include "wizard/project_file_texts.h"

#include <cctype>

#include "platform/os/text.h"
#include "wizard/project_file_format.h"

namespace wizard {

namespace {
bool isMarkerWord(std::string_view t) {
    if (t.size() < 6 || t.size() > 7) return false;
    if (!os::startsWithNoCase(t, "start")) return false;
    std::string_view n = t.substr(5);
    for (char c : n)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    if (n[0] == '0') return false;
    int v = n.size() == 1 ? n[0] - '0' : (n[0] - '0') * 10 + (n[1] - '0');
    return v >= 1 && v <= 12;
}
}  // namespace

TextFault plainFieldFault(std::string_view text, std::size_t maxLine) {
    if (text.find(wzp::kFieldSeparator) != std::string_view::npos) return TextFault::Backquote;
    if (isMarkerWord(text)) return TextFault::MarkerWord;
    std::size_t run = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n') { run = 0; continue; }
        if (++run > maxLine) return TextFault::TooLong;
    }
    return TextFault::None;
}

std::string plainFieldMessage(std::string_view label, TextFault fault, std::size_t maxLine) {
    const std::string l(label);
    switch (fault) {
        case TextFault::None: return std::string();
        case TextFault::Backquote:
            return "The " + l + " cannot contain the character ` (backquote), because the project file uses it to separate its fields.";
        case TextFault::MarkerWord:
            return "The " + l + " cannot be a word the project file uses to mark its sections (start1 to start12).";
        case TextFault::TooLong:
            return "The " + l + " cannot be longer than " + std::to_string(maxLine) + " characters.";
    }
    return std::string();
}

}  // namespace wizard
