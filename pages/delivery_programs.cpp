#include "pages/delivery_programs.h"

#include "builder/status_line.h"
#include "pages/list_txt.h"
#include "platform/os/text.h"
#include "wizard/project_file_format.h"
#include "wizard/project_file_texts.h"

namespace pages::delivery {

bool isProgramLine(const std::string& line) {
    if (list_txt::isMarker(line)) return false;
    const std::size_t slash = line.rfind('\\');
    const std::string name = slash == std::string::npos ? line : line.substr(slash + 1);
    return os::endsWithNoCase(name, ".EXE") || os::endsWithNoCase(name, ".BAT");
}

std::vector<std::string> programRows(const std::string& listBytes, const std::string& sourceFolder) {
    std::vector<std::string> rows;
    for (const std::string& line : list_txt::readLines(listBytes))
        if (isProgramLine(line)) rows.push_back(builder::relativeName(line, sourceFolder));
    return rows;
}

bool isNoProgram(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

std::string commandLineFault(const std::string& moment, const std::string& text) {
    const std::string label = moment + " command line";
    if (text.size() > kMaxTextChars)
        return wizard::plainFieldMessage(label, wizard::TextFault::TooLong, kMaxTextChars);
    if (text.find(wizard::wzp::kFieldSeparator) != std::string::npos)
        return wizard::plainFieldMessage(label, wizard::TextFault::Backquote);
    // The three command lines share one field, joined by the separator: one
    // that holds it, or ends in its first characters, would shift the others.
    const std::string separator = wizard::wzp::kTextSeparator;
    if ((text + separator).find(separator) != text.size())
        return "The " + label + " cannot contain the characters " + separator +
               " or end in the first of them, because the project file uses them to separate the command lines.";
    return std::string();
}

std::string programFault(const std::string& moment, const std::string& text, bool inList) {
    if (isNoProgram(text)) return std::string();
    if (text.size() > kMaxTextChars)
        return wizard::plainFieldMessage(moment + " program", wizard::TextFault::TooLong, kMaxTextChars);
    if (!inList)
        return "The " + moment + " program " + text +
               " is not one of the package's programs. Choose it from the list, or add the file on the file list page.";
    return std::string();
}

}  // namespace pages::delivery
