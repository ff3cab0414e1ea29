#include "stub/install_journal.h"

#include "platform/os/os.h"
#include "platform/os/services.h"
#include "platform/os/text.h"

namespace stub {

bool Journal::allow() { return ++count_ != failAt_; }

void Journal::madeFolder(const std::string& path) { steps_.push_back({Kind::Folder, path, "", "", {}, false, {}, {}}); }

void Journal::placedFile(const std::string& path, const std::string& earlier, bool forUninstall) {
    steps_.push_back({Kind::File, path, earlier, "", {}, forUninstall, {}, {}});
}

void Journal::createdKey(os::RegRoot root, const std::string& key) {
    steps_.push_back({Kind::Key, key, "", "", root, false, {}, {}});
}

void Journal::setValue(os::RegRoot root, const std::string& key, const std::string& name, bool existed,
                       const os::RegValue& before) {
    steps_.push_back({Kind::Value, key, "", name, root, existed, before, {}});
}

void Journal::createdService(const std::string& name) { steps_.push_back({Kind::Service, "", "", name, {}, false, {}, {}}); }

void Journal::changed(const std::string& what, std::function<bool()> undo) {
    Step s{Kind::Other, what, "", "", {}, false, {}, std::move(undo)};
    steps_.push_back(std::move(s));
}

void Journal::wroteFile(const std::string& path, bool existed, const std::string& before) {
    steps_.push_back({Kind::Whole, path, before, "", {}, existed, {}, {}});
}

std::vector<std::string> Journal::rollback() {
    std::vector<std::string> left;
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
        const Step& s = *it;
        bool ok = true;
        switch (s.kind) {
        case Kind::Folder: ok = os::removeDirectory(s.path) || !os::directoryExists(s.path); break;
        case Kind::File:
            ok = s.earlier.empty() ? os::deleteFile(s.path) || !os::fileExists(s.path) : os::moveFile(s.earlier, s.path);
            break;
        case Kind::Key: {
            size_t cut = s.path.find_last_of('\\');
            os::RegKey parent = os::RegKey::open(s.root, cut == std::string::npos ? "" : s.path.substr(0, cut));
            ok = parent.valid() && parent.deleteSubKey(cut == std::string::npos ? s.path : s.path.substr(cut + 1));
            break;
        }
        case Kind::Value: {
            os::RegKey key = os::RegKey::open(s.root, s.path);
            ok = key.valid() && (s.flag ? key.set(s.name, s.value) : key.deleteValue(s.name));
            break;
        }
        case Kind::Service: ok = os::deleteService(s.name); break;
        case Kind::Other: ok = s.undo(); break;
        case Kind::Whole:
            ok = s.flag ? os::writeWholeFile(s.path, s.earlier) : os::deleteFile(s.path) || !os::fileExists(s.path);
            break;
        }
        if (!ok) left.push_back(s.name.empty() ? s.path : s.path.empty() ? s.name : s.path + "\\" + s.name);
    }
    steps_.clear();
    return left;
}

void Journal::commit() {
    for (const Step& s : steps_)
        if (s.kind == Kind::File && !s.earlier.empty() && !s.flag) os::deleteFile(s.earlier);
    steps_.clear();
}

}  // namespace stub
