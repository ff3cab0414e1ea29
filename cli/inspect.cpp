// twk inspect PACKAGE.exe: verifies a package and lists what it holds, for
// people or (--json) as one document for a CI step:
//   {"format": 1, "package": {"path", "size", "payload_offset"},
//    "signature": null | {"certificates", "signer", "digest_algorithm",
//                         "digest": "matches" | "changed" | "unchecked"},
//    "header": {"file_count", "option_file", "option_bytes", "company", ...,
//               "finish_action", "space_required", "services", "language_bytes"},
//    "entries": [{"name", "kind": "stored" | "compressed" | "directory",
//                 "size", "installed_size", "sha256"}],
//    "sections": {"registry": TEXT | null, "shortcuts": TEXT | null}}
// Texts are the package's code-page bytes as UTF-8; sha256 is of the bytes
// the entry installs, in lower-case hex.
#include <cstdio>

#include <nlohmann/json.hpp>

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

const char* kindName(PackageEntry::Kind k) {
    return k == PackageEntry::Kind::Compressed ? "compressed" : k == PackageEntry::Kind::Stored ? "stored" : "directory";
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

// The header items' names in the document: the printed names, in snake case.
std::string key(const char* printed) {
    std::string k;
    for (const char* c = printed; *c; ++c) k.push_back(*c == ' ' || *c == '-' ? '_' : *c);
    return k;
}

void printJson(const std::string& path, const PackageContents& p, const SignatureReport& signature) {
    using nlohmann::json;
    json doc;
    doc["format"] = 1;
    doc["package"] = {{"path", os::utf8Text(path)}, {"size", p.packageSize}, {"payload_offset", package::kPayloadOffset}};
    if (p.signatureSize == 0) {
        doc["signature"] = nullptr;
    } else {
        const char* coverage = signature.coverage == SignatureReport::Coverage::Whole     ? "matches"
                               : signature.coverage == SignatureReport::Coverage::Changed ? "changed"
                                                                                          : "unchecked";
        doc["signature"] = {{"certificates", signature.certificates},
                            {"signer", os::utf8Text(signature.subject)},
                            {"digest_algorithm", signature.digestAlgorithm},
                            {"digest", coverage}};
    }
    json header = {{"file_count", p.fileCount}, {"option_file", p.optionName}, {"option_bytes", p.optionBody.size()}};
    for (size_t i = 0; i < p.texts.size(); ++i) header[key(kTextItemNames[i])] = os::utf8Text(p.texts[i]);
    header["finish_action"] = p.finishAction;
    header["space_required"] = p.requiredSpace;
    header["services"] = os::utf8Text(p.services);
    header["language_bytes"] = p.language.size();
    doc["header"] = header;
    json entries = json::array();
    for (const PackageEntry& e : p.entries)
        entries.push_back({{"name", os::utf8Text(e.name)}, {"kind", kindName(e.kind)}, {"size", e.size},
                           {"installed_size", e.decodedSize}, {"sha256", hex(e.sha256)}});
    doc["entries"] = entries;
    doc["sections"] = {{"registry", p.hasRegistry ? json(os::utf8Text(p.registry)) : json(nullptr)},
                       {"shortcuts", p.hasShortcuts ? json(os::utf8Text(p.shortcuts)) : json(nullptr)}};
    std::printf("%s\n", doc.dump(2).c_str());
}

int inspect(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    const bool asJson = takeFlag(args, "--json");
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: twk inspect [--json] PACKAGE.exe\n");
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
    if (asJson) {
        printJson(args[0], p, signature);
        return signature.coverage == SignatureReport::Coverage::Changed ? 1 : 0;
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
        const char* kind = kindName(e.kind);
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

const Command command("inspect", "[--json] PACKAGE.exe   verify a package and list its items and entries\n"
                                 "                 (--json: one document, every entry with its SHA-256)",
                      inspect);

}  // namespace
}  // namespace twk
