// What `twk build` needs around the pages: paths as the user typed them, the
// installation folder, and a working folder of the run's own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace twk {

// A path given on the command line in the host's own form (./dist, /srv/x)
// or in Windows form, as the Windows path the pages work with; relative
// paths are taken from the current folder. Throws os::PathError when the
// drive map cannot name it.
std::string userPath(const std::string& arg);

// The installation folder that holds the installer stub: TWKINSTDIR as the
// wizard does, else the folder an installed twk finds beside itself
// (PREFIX/share/bundlewright, or the folder above twk's own bin). False with
// a message naming where it looked.
bool findInstallFolder(std::string& folder, std::string& why);

// The compression cache's folder when none is named: "bundlewright" in the
// user's cache folder ($XDG_CACHE_HOME, else ~/.cache; %LOCALAPPDATA% on
// Windows), in Windows form. False with the reason when there is none.
bool defaultCacheFolder(std::string& folder, std::string& why);

// A size as "--cache-size" takes it: bytes, or a number followed by K, M or
// G (powers of 1024). False when it is not one.
bool parseSize(const std::string& text, uint64_t& bytes);

// A fresh folder in the user's temp folder for one run's working files
// (list.txt, option.txt, registry.txt, shortcuts.txt), so builds that run at
// once never share them; removed with everything in it at the end.
class RunFolder {
public:
    RunFolder();
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // The host paths of the files a run may leave in it (for Ctrl-C).
    std::vector<std::string> hostFiles() const;
private:
    std::string path_;
};

}  // namespace twk
