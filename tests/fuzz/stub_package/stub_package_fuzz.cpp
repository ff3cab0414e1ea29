// install.exe opening a package file: whatever the bytes, it either refuses
// with a message or holds a package whose every entry lies inside the file,
// in order and without overlap, behind the uninstaller.
#include <unistd.h>

#include "platform/os/os.h"
#include "stub/installer.h"
#include "tests/fuzz/common/fuzz.h"
#include "tests/fuzz/common/package_image.h"
#include "tests/fuzz/common/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024 * 1024) return 0;
    static const std::string host = bwfuzz::tempFolder().host() + "/package.exe";
    static const std::string path = os::windowsPath(host);
    const std::string& image = bwfuzz::packageImage(data, size);
    // The padding stays in the file; only what follows it is rewritten.
    static bool padded = false;
    FILE* f = std::fopen(host.c_str(), padded ? "r+b" : "wb");
    BW_FUZZ_CHECK(f != nullptr);
    const size_t from = padded ? bwfuzz::kPayloadOffset : 0;
    BW_FUZZ_CHECK(std::fseek(f, static_cast<long>(from), SEEK_SET) == 0);
    BW_FUZZ_CHECK(std::fwrite(image.data() + from, 1, image.size() - from, f) == image.size() - from);
    BW_FUZZ_CHECK(std::fflush(f) == 0 && ftruncate(fileno(f), static_cast<off_t>(image.size())) == 0);
    BW_FUZZ_CHECK(std::fclose(f) == 0);
    padded = true;

    stub::Installer installer;
    std::string error;
    if (!installer.open(path, error)) {
        BW_FUZZ_CHECK(!error.empty());
        return 0;
    }
    const stub::Package& p = installer.package();
    BW_FUZZ_CHECK(!p.entries.empty() && p.entries[0].name == stub::kUninstallerEntry);
    uint64_t next = stub::kPayloadOffset;
    for (const stub::Entry& e : p.entries) {
        BW_FUZZ_CHECK(e.offset >= next);
        BW_FUZZ_CHECK(e.size <= image.size() - stub::kTrailerSize - e.offset);
        next = e.offset + e.size;
    }
    BW_FUZZ_CHECK(next <= image.size() - stub::kTrailerSize);
    BW_FUZZ_CHECK(image.compare(image.size() - stub::kTrailerSize, stub::kStopMarkerSize, stub::kStopMarker) == 0);
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) { out = packageSeeds(); }
