// twk's own reader of packages, written from the package format alone (it
// shares no code with the builder, so each checks the other).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace twk {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    virtual bool read(uint64_t offset, void* into, size_t n) = 0;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(FILE* f);   // the caller keeps and closes f
    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* into, size_t n) override;

private:
    FILE* f_;
    uint64_t size_ = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const char* data, size_t n) : data_(data), n_(n) {}
    uint64_t size() const override { return n_; }
    bool read(uint64_t offset, void* into, size_t n) override;

private:
    const char* data_;
    size_t n_;
};

struct PackageEntry {
    enum class Kind { Stored, Compressed, DirectoryMarker };
    std::string name;
    Kind kind = Kind::Stored;
    uint64_t offset = 0;        // of the data in the package
    uint64_t size = 0;          // bytes in the package
    uint64_t decodedSize = 0;   // installed size
    std::string sha256;         // of the installed bytes (32 bytes; a folder marker's: of none)
};

struct PackageContents {
    uint64_t packageSize = 0;       // up to the trailer's end, as it states
    uint64_t fileSize = 0;          // the package and its signature, if any
    uint64_t signatureOffset = 0;   // the certificate table of a signed package
    uint64_t signatureSize = 0;     // 0: not signed
    std::string fileCount;
    std::string optionName;
    std::string optionBody;
    // Items 8 to 21: company, product, version, e-mail, description, comments,
    // copyright, post-install program and command line, pre-uninstall program
    // and command line, pre-install program and command line, destination.
    std::vector<std::string> texts;
    std::string finishAction;
    std::string requiredSpace;
    std::string services;
    std::string language;
    std::vector<PackageEntry> entries;
    bool hasRegistry = false;
    std::string registry;
    bool hasShortcuts = false;
    std::string shortcuts;
};

extern const char* const kTextItemNames[14];

// True when the package is whole and every part of it reads back, every
// bzip2 stream included; otherwise `error` says what is wrong and where.
bool readPackage(ByteSource& source, PackageContents& out, std::string& error);

}  // namespace twk
