// The installer's own texts in the package's language. The language text a
// package carries (lang\English.txt, French.txt, German.txt, Spanish.txt,
// ANSI Windows-1252) is one text per line:
//
//   # a comment (also blank lines)
//   Key=text
//
// Keys are compared without regard to case; the text runs to the end of the
// line, with "\n" a line break and "\\" a backslash. "{product}", "{version}",
// "{company}", "{folder}", "{space}", "{error}" and "{file}" are put in place
// where a text uses them, and in the installation's failures also "{name}",
// "{reason}", "{key}", "{value}", "{drive}", "{free}", "{length}", "{limit}"
// and "{example}". A key the text lacks, or does not know, keeps its
// English text, so an old or damaged language text never leaves a window blank.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

namespace stub {

class Language {
public:
    Language();   // English
    // Reads `text` (CR LF or LF line ends) over the English texts; returns the
    // number of keys taken.
    int load(const std::string& text);
    // The text for `key` with its placeholders filled from the values set.
    std::string operator()(const std::string& key) const;
    // The same with more placeholders filled, for this text only.
    std::string operator()(const std::string& key,
                           std::initializer_list<std::pair<const char*, std::string>> values) const {
        Language t = *this;
        for (const auto& v : values) t.set(v.first, v.second);
        return t(key);
    }
    void set(const std::string& name, const std::string& value) { values_[name] = value; }
    bool known(const std::string& key) const;

private:
    std::map<std::string, std::string> texts_;    // by lower-case key
    std::map<std::string, std::string> values_;   // placeholder -> value
};

}  // namespace stub
