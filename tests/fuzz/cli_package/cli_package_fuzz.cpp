// twk inspect's reader: whatever the bytes, it refuses with a reason or reads
// a package that, laid out again from what it read, is the very same file up
// to its trailer; a signature after it is read without reading past its table.
#include "cli/package_reader.h"
#include "cli/signature.h"
#include "tests/fuzz/common/fuzz.h"
#include "tests/fuzz/common/package_image.h"

namespace {

// The bytes after the installer program, laid out again from what was read.
std::string layOut(const std::string& image, const twk::PackageContents& p) {
    std::string out;
    auto z = [&](const std::string& s) { out += s; out.push_back('\0'); };
    z(p.fileCount);
    z(p.optionName);
    z(std::to_string(p.optionBody.size()));
    out += p.optionBody;
    out += std::string("~~~~~start~~~~~now~~~~~", 24);
    for (const std::string& t : p.texts) z(t);
    z(p.finishAction);
    z(p.requiredSpace);
    z(p.services);
    z(p.language);
    for (const twk::PackageEntry& e : p.entries) {
        out += e.name + "\r\n" + std::to_string(e.size) + "\r\n";
        BW_FUZZ_CHECK(e.offset == bwfuzz::kPayloadOffset + out.size());
        out.append(image, e.offset, e.size);
    }
    if (p.hasRegistry) {
        out += "**REGISTRY_UPDATION_DETAILS**\r\n" + p.registry + "**END_REGISTRY**";
        out.push_back('\0');
    }
    if (p.hasShortcuts) {
        out += "**SHORTCUTS_DETAILS**\r\n" + p.shortcuts + "**END_SHORTCUTS**";
        out.push_back('\0');
    }
    out += bwfuzz::kStopMarker;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%025llu", static_cast<unsigned long long>(bwfuzz::kPayloadOffset + out.size() + 25));
    return out + digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024 * 1024) return 0;
    const std::string& image = bwfuzz::packageImage(data, size);
    twk::MemorySource source(image.data(), image.size());
    twk::PackageContents p;
    std::string error;
    if (!twk::readPackage(source, p, error)) {
        BW_FUZZ_CHECK(!error.empty());
        return 0;
    }
    if (p.signatureSize == 0) {
        BW_FUZZ_CHECK(p.packageSize == image.size());
    } else {
        // Only the signing padding and the certificate table follow the trailer.
        BW_FUZZ_CHECK(data[0] & 2);
        BW_FUZZ_CHECK(p.signatureOffset + p.signatureSize == image.size());
        BW_FUZZ_CHECK(p.signatureOffset >= p.packageSize && p.signatureOffset - p.packageSize < 8);
        twk::SignatureReport report;
        if (twk::readSignature(source, p, report, error)) BW_FUZZ_CHECK(report.certificates > 0);
        else BW_FUZZ_CHECK(!error.empty());
    }
    BW_FUZZ_CHECK(p.texts.size() == 14);
    BW_FUZZ_CHECK(!p.entries.empty() && p.entries[0].name == "\\UnBundlewright.exe");
    for (const twk::PackageEntry& e : p.entries)
        if (e.kind == twk::PackageEntry::Kind::Stored) BW_FUZZ_CHECK(e.decodedSize == e.size);
    BW_FUZZ_CHECK(image.compare(bwfuzz::kPayloadOffset, p.packageSize - bwfuzz::kPayloadOffset, layOut(image, p)) == 0);
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) { out = packageSeeds(); }
