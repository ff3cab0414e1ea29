// Each test's own folder, addressed by Windows paths. Natively the folder is
// also mapped as drive C: (BUNDLEWRIGHT_DRIVES), so C:\ itself can be a source.
#pragma once

#include <string>

namespace pagestest {

class Tree {
public:
    Tree();
    ~Tree();
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    // The test folder's Windows path, without a trailing backslash.
    const std::string& root() const { return root_; }
    std::string path(const std::string& rel) const { return root_ + "\\" + rel; }
    void write(const std::string& rel, const std::string& bytes) const;   // makes its folders
    void mkdir(const std::string& rel) const;
    // True natively, where the folder is drive C:'s root.
    bool isDriveRoot() const { return driveRoot_; }

private:
    std::string root_;
    std::string host_;
    bool driveRoot_ = false;
};

std::string readFile(const std::string& winPath);   // "<missing>" when absent
void writeFile(const std::string& winPath, const std::string& bytes);

}  // namespace pagestest
