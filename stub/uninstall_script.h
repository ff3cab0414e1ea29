// The uninstall script the stub leaves in the destination ("Uninstall.wzu"):
// NUL-terminated strings, in order: the pre-uninstallation program's full
// path (or " "), its command line (or " "), every installed file, the
// registry part ("noregistryupdationdetails", or "**REGISTRY_UPDATION_DETAILS**",
// records, "**END_REGISTRY**"), the shortcuts part ("noshortcutsdetails", or a
// header, the shortcut files, "**END_SHORTCUTS**"), the services part
// ("**noservicessection**", or "**ServiceSection**", names, "**EndServices**"),
// the directories to remove in order, "**EndEndEnd**".
//
// Registry records: "!" + root sets the root; "~key~name~text" removes
// appended text; "key`name" deletes a value; a bare key path deletes a key.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace stub {

constexpr const char kScriptName[] = "Uninstall.wzu";

class UninstallScript {
public:
    void setPreUninstall(const std::string& program, const std::string& cmdline);
    void addFile(const std::string& path);
    // Registry undo records, given in the order the changes were made; the
    // script lists them last change first.
    void createdKey(const std::string& root, const std::string& key);
    void createdValue(const std::string& root, const std::string& key, const std::string& name);
    void appendedText(const std::string& root, const std::string& key, const std::string& name,
                      const std::string& text);
    void addShortcut(const std::string& path);
    void addService(const std::string& name);
    void createdDirectory(const std::string& path);

    // Takes in what an earlier script of the same folder lists (an earlier
    // installation repaired or upgraded), so the script written now still
    // removes both. Its registry records follow ours as written. False when
    // `bytes` is not a script; nothing is taken then.
    bool mergeEarlier(const std::string& bytes);
    bool listsService(const std::string& name) const;
    bool listsFile(const std::string& path) const;
    bool listsShortcut(const std::string& path) const;
    // Whether an earlier script created this value (so it is the product's own).
    bool listsCreatedValue(const std::string& root, const std::string& key, const std::string& name) const;

    // The script's bytes; directories deepest first.
    std::string render() const;

    const std::vector<std::string>& files() const { return files_; }
    const std::vector<std::string>& directories() const { return dirs_; }

private:
    struct Record {
        std::string root, text;
    };
    std::string program_ = " ", cmdline_ = " ";
    std::vector<std::string> files_, shortcuts_, services_, dirs_;
    std::vector<Record> registry_;
    std::vector<std::string> earlierRegistry_;   // records of an earlier script, in its order
    std::set<std::string> fileIndex_;              // files_ in lower case
    std::set<std::string> earlierValues_;          // "ROOT\key`name" in lower case
};

}  // namespace stub
