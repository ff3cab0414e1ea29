// The project's text form: every field of the project file, the file list
// and the pages' texts as one JSON document that a reviewer can read and a
// diff can show line by line ({"format": "bundlewright-project", "version": 1,
// "fields": {NAME: VALUE, ...}}, values as twk show --json gives them).
// Export then import gives back the project file's bytes.
#pragma once

#include <string>

namespace twk {

// The text form of the project file's bytes; false with `why` when they do not load.
bool projectToText(const std::string& projectBytes, std::string& text, std::string& why);
// The project file's bytes of a text form; false with `why` naming the field
// and its line (an unknown or missing field, a value too long for its slot,
// a text the code page cannot hold, a value of the wrong kind).
bool projectFromText(const std::string& text, std::string& projectBytes, std::string& why);
// Whether `bytes` look like the text form (a JSON object) rather than a project file.
bool isProjectText(const std::string& bytes);

}  // namespace twk
