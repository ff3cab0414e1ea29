// Every change an installation makes to the machine, in order, with what
// undoes it: a failure at any point after the first change puts the machine
// back as it was (rollback, last change first). Copies kept only for a
// rollback are dropped once the installation has succeeded (commit).
//
// Test builds can make the k-th change fail (failAt), so that every point
// of failure can be tried.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/os/registry.h"

namespace stub {

class Journal {
public:
    // Asked before each change: false when this one is to fail (test builds).
    bool allow();
    void failAt(int change) { failAt_ = change; }
    int changes() const { return count_; }

    void madeFolder(const std::string& path);
    // A file now at `path`; `earlier` holds what was there before ("" none).
    // `forUninstall`: the copy stays after the installation (the uninstall
    // gives it back), else it is dropped at commit.
    void placedFile(const std::string& path, const std::string& earlier, bool forUninstall);
    void createdKey(os::RegRoot root, const std::string& key);
    // A value set; `existed` false when there was none before.
    void setValue(os::RegRoot root, const std::string& key, const std::string& name, bool existed,
                  const os::RegValue& before);
    void createdService(const std::string& name);
    // A change undone by `undo` (false: not put back, named by `what`).
    void changed(const std::string& what, std::function<bool()> undo);
    // A file written whole (the script, the record): `before` its earlier bytes.
    void wroteFile(const std::string& path, bool existed, const std::string& before);

    // Undoes everything, last first; the paths or names that could not be
    // put back are returned.
    std::vector<std::string> rollback();
    void commit();
    bool empty() const { return steps_.empty(); }

private:
    enum class Kind { Folder, File, Key, Value, Service, Whole, Other };
    struct Step {
        Kind kind;
        std::string path, earlier, name;
        os::RegRoot root = os::RegRoot::LocalMachine;
        bool flag = false;
        os::RegValue value;
        std::function<bool()> undo;
    };
    std::vector<Step> steps_;
    int count_ = 0, failAt_ = 0;
};

}  // namespace stub
