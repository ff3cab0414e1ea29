#include "uninstaller/uninstall_script.h"

#include <cstring>

#include "platform/os/package_format.h"
#include "platform/os/text.h"

namespace uninstaller {

namespace {

// Hands out the NUL-terminated strings of a buffer one by one; a trailing
// string without its NUL is not handed out.
class StringReader {
public:
    StringReader(const char* data, size_t size) : data_(data), size_(size) {}
    bool next(std::string& out) {
        if (pos_ >= size_) return false;
        const void* nul = std::memchr(data_ + pos_, '\0', size_ - pos_);
        if (!nul) {
            pos_ = size_;
            return false;
        }
        size_t end = static_cast<const char*>(nul) - data_;
        out.assign(data_ + pos_, end - pos_);
        pos_ = end + 1;
        return true;
    }

private:
    const char* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace


std::string cutCompressedSuffix(const std::string& path) {
    const size_t n = sizeof package::kCompressedSuffix - 1;
    if (path.size() > n && os::endsWithNoCase(path, package::kCompressedSuffix)) return path.substr(0, path.size() - n);
    return path;
}

UninstallScript parseUninstallScript(const char* data, size_t size) {
    UninstallScript script;
    StringReader in(data, size);
    std::string s;

    if (!in.next(script.program)) return script;
    if (!in.next(script.commandLine)) return script;

    // Part 3 runs up to the first registry marker.
    bool registry = false;
    for (;;) {
        if (!in.next(s)) return script;
        if (os::equalsNoCase(s, kNoRegistry)) break;
        if (os::equalsNoCase(s, kRegistryBegin)) {
            registry = true;
            break;
        }
        script.files.push_back(cutCompressedSuffix(s));
    }
    if (registry) {
        for (;;) {
            if (!in.next(s)) return script;
            if (os::equalsNoCase(s, kRegistryEnd)) break;
            script.registryRecords.push_back(s);
        }
    }

    if (!in.next(s)) return script;
    if (!os::equalsNoCase(s, kNoShortcuts)) {   // s is the header, its text is not examined
        for (;;) {
            if (!in.next(s)) return script;
            if (os::equalsNoCase(s, kShortcutsEnd)) break;
            script.shortcuts.push_back(s);
        }
    }

    if (!in.next(s)) return script;
    bool pending = true;   // s still has to be read as a directory
    if (os::equalsNoCase(s, kNoServices)) {
        pending = false;
    } else if (os::equalsNoCase(s, kServicesBegin)) {
        script.hasServices = true;
        pending = false;
        for (;;) {
            if (!in.next(s)) return script;
            if (os::equalsNoCase(s, kServicesEnd)) break;
            script.services.push_back(s);
        }
    }

    for (;;) {
        if (!pending && !in.next(s)) return script;
        pending = false;
        if (os::equalsNoCase(s, kScriptEnd)) {
            script.complete = true;
            return script;
        }
        script.directories.push_back(s);
    }
}

FailureList parseFailureList(const char* data, size_t size) {
    FailureList list;
    StringReader in(data, size);
    std::string s;
    while (in.next(s)) {
        if (s == kFailedDirectories) {
            while (in.next(s)) {
                if (s == kFailedEnd) return list;
                list.directories.push_back(s);
            }
            return list;
        }
        list.files.push_back(s);
    }
    return list;
}

}  // namespace uninstaller
