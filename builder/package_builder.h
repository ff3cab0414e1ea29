// The package builder: one self-extracting package from a BuildRequest, in
// the layout of platform/os/package_format.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder/build_request.h"

namespace builder {

// How the builder reports its work; the summary page updates its status line
// and progress bar and repaints, a test records the calls.
class BuildProgress {
public:
    virtual ~BuildProgress() = default;
    virtual void onStatus(const std::string& text) = 0;
    virtual void onProgress(int position) = 0;
    // The pause before the working files are deleted.
    virtual void onWait(unsigned milliseconds);
    // A fault that does not stop the build (a cache that cannot be written), once.
    virtual void onNote(const std::string& text);
    // After the files: how many were packed from the cache and how many compressed for it.
    virtual void onCacheUse(unsigned hits, unsigned misses);
    // After the files: the bytes their entries take in the package (the
    // listed files only; not the installer, the uninstaller or the texts).
    virtual void onPackedBytes(uint64_t bytes);
};

enum class BuildFailureKind {
    None,
    PackageNotCreated,       // package or stub unusable, or the package cannot be written
    ListMissing,             // list.txt cannot be opened
    SupportingFileMissing,   // option.txt or the uninstaller
    LanguageFileMissing,     // also for a language index outside 0..3
    DuplicateEntryName,      // two files would be installed under one name
    Unexpected,              // anything thrown inside the build
};

// What the caller shows (a message box without owner, OK only) before ending
// the process with exitCode.
struct BuildFailure {
    BuildFailureKind kind = BuildFailureKind::None;
    std::string text;
    std::string caption;
    int exitCode = 0;
};

BuildFailure buildFailure(BuildFailureKind kind, const std::string& text = "");

struct BuildResult {
    int status = 0;            // 0 when the package is complete
    BuildFailure failure;      // kind None when status is 0
    bool ok() const { return status == 0; }
};

// Writes the package under a temporary name beside output_path and replaces
// output_path only when it is complete; a failed build leaves an earlier
// package and the working files as they were. Nothing in the source folder
// is written, packed twice or deleted. The working files are deleted after a
// complete build.
// The list lines naming a file that is not there now (folder markers aside),
// in list order: the build leaves them out. Empty when the list cannot be read
// (the build then says so itself).
std::vector<std::string> missingListedFiles(const std::string& listPath, const std::string& sourceFolder);

class PackageBuilder {
public:
    explicit PackageBuilder(BuildProgress& progress) : progress_(progress) {}
    BuildResult build(const BuildRequest& request);

private:
    BuildProgress& progress_;
};

}  // namespace builder
