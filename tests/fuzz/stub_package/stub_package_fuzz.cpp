// install.exe opening a package file: whatever the bytes, it either refuses
// with a message or holds a package whose every entry lies inside the file,
// in order and without overlap, behind the uninstaller, and before any
// signature after it.
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
    // The padding stays in the file; only the header a signature writes and
    // what follows the padding are rewritten.
    static bool padded = false;
    FILE* f = std::fopen(host.c_str(), padded ? "r+b" : "wb");
    BW_FUZZ_CHECK(f != nullptr);
    if (padded) BW_FUZZ_CHECK(std::fwrite(image.data(), 1, bwfuzz::kHeaderBytes, f) == bwfuzz::kHeaderBytes);
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
    BW_FUZZ_CHECK(!p.entries.empty() && p.entries[0].name == package::kUninstallerEntryName);
    // A signed package ends before the signature's padding (under 8 zero
    // bytes) and its table; only those follow the trailer.
    BW_FUZZ_CHECK(p.length <= image.size());
    if (p.length < image.size()) {
        BW_FUZZ_CHECK(data[0] & 2);
        for (uint64_t i = p.length; i < image.size() && i % 8 != 0; ++i) BW_FUZZ_CHECK(image[i] == '\0');
    }
    uint64_t next = package::kPayloadOffset;
    for (const stub::Entry& e : p.entries) {
        BW_FUZZ_CHECK(e.offset >= next);
        BW_FUZZ_CHECK(e.size <= p.length - package::kTrailerSize - e.offset);
        next = e.offset + e.size;
    }
    BW_FUZZ_CHECK(next <= p.length - package::kTrailerSize);
    BW_FUZZ_CHECK(image.compare(p.length - package::kTrailerSize, package::kStopMarkerSize, package::kStopMarker) == 0);
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) { out = packageSeeds(); }
