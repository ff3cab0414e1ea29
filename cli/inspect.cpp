// twk inspect PACKAGE.exe: verifies a package and lists what it holds.
#include <cstdio>

#include "cli/command.h"
#include "cli/package_reader.h"
#include "cli/signature.h"
#include "platform/os/os.h"
#include "platform/os/package_format.h"

namespace twk {
namespace {

// A text for one output line: control bytes shown as escapes.
std::string shown(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c < 32) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02x", c);
            out += b;
        } else out.push_back(static_cast<char>(c));
    }
    return out;
}

int inspect(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: twk inspect PACKAGE.exe\n");
        return 2;
    }
    FILE* f = os::openFile(args[0], "rb");
    if (!f) {
        std::fprintf(stderr, "twk inspect: cannot open %s\n", args[0].c_str());
        return 1;
    }
    FileSource source(f);
    PackageContents p;
    std::string error;
    SignatureReport signature;
    bool ok = readPackage(source, p, error) && (p.signatureSize == 0 || readSignature(source, p, signature, error));
    std::fclose(f);
    if (!ok) {
        std::fprintf(stderr, "twk inspect: %s: %s\n", args[0].c_str(), error.c_str());
        return 1;
    }
    std::printf("package %s: %llu bytes, payload at %llu, trailer length matches\n", args[0].c_str(),
                static_cast<unsigned long long>(p.packageSize), static_cast<unsigned long long>(package::kPayloadOffset));
    if (p.signatureSize == 0) {
        std::printf("signature: none\n");
    } else {
        std::printf("signature: certificate table of %llu bytes at %llu (%llu bytes of padding before it), "
                    "%zu certificate%s\n",
                    static_cast<unsigned long long>(p.signatureSize), static_cast<unsigned long long>(p.signatureOffset),
                    static_cast<unsigned long long>(p.signatureOffset - p.packageSize), signature.certificates,
                    signature.certificates == 1 ? "" : "s");
        std::printf("signer: %s\n", signature.subject.empty() ? "(not named in the signature)"
                                                               : shown(signature.subject).c_str());
        if (signature.coverage == SignatureReport::Coverage::Unchecked)
            std::printf("signed digest: %s, not checked by twk\n", shown(signature.digestAlgorithm).c_str());
        else if (signature.coverage == SignatureReport::Coverage::Whole)
            std::printf("signed digest: %s, matches: the signature covers the whole package\n",
                        signature.digestAlgorithm.c_str());
        else
            std::printf("signed digest: %s, does not match: the package was changed after it was signed\n",
                        signature.digestAlgorithm.c_str());
    }
    std::printf("file count: %s\n", p.fileCount.c_str());
    std::printf("%s: %zu bytes\n", p.optionName.c_str(), p.optionBody.size());
    for (size_t i = 0; i < p.texts.size(); ++i)
        std::printf("%s: \"%s\"\n", kTextItemNames[i], shown(p.texts[i]).c_str());
    std::printf("finish action: %s\n", p.finishAction.c_str());
    std::printf("space required: %s\n", p.requiredSpace.c_str());
    std::printf("services: \"%s\"\n", shown(p.services).c_str());
    std::printf("language text: %zu bytes\n", p.language.size());
    std::printf("entries: %zu\n", p.entries.size());
    unsigned long long stored = 0, installed = 0;
    for (const PackageEntry& e : p.entries) {
        const char* kind = e.kind == PackageEntry::Kind::Compressed ? "compressed"
                           : e.kind == PackageEntry::Kind::Stored   ? "stored"
                                                                    : "directory";
        std::printf("  %-10s %12llu -> %12llu  %s%s\n", kind, static_cast<unsigned long long>(e.size),
                    static_cast<unsigned long long>(e.decodedSize), shown(e.name).c_str(),
                    e.kind == PackageEntry::Kind::Compressed ? "  (decodes)" : "");
        stored += e.size;
        installed += e.decodedSize;
    }
    std::printf("entry data: %llu bytes, installed: %llu bytes\n", stored, installed);
    std::printf("registry section: %s\n", p.hasRegistry ? (std::to_string(p.registry.size()) + " bytes").c_str() : "absent");
    std::printf("shortcuts section: %s\n",
                p.hasShortcuts ? (std::to_string(p.shortcuts.size()) + " bytes").c_str() : "absent");
    if (signature.coverage == SignatureReport::Coverage::Changed) {
        std::fprintf(stderr, "twk inspect: %s: changed after it was signed: its %s digest is not the signature's\n",
                     args[0].c_str(), signature.digestAlgorithm.c_str());
        return 1;
    }
    return 0;
}

const Command command("inspect", "PACKAGE.exe   verify a package and list its items and entries", inspect);

}  // namespace
}  // namespace twk
