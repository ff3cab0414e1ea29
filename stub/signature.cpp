#include "stub/signature.h"

#include <cstring>
#include <vector>

#include "platform/os/hash.h"
#include "platform/os/signed_image.h"
#include "stub/package_reader.h"

namespace stub {

namespace {

// One DER element: its tag and its contents, inside the bytes read.
struct Der {
    unsigned char tag = 0;
    const unsigned char* body = nullptr;
    size_t size = 0;
};

class DerIn {
public:
    DerIn(const unsigned char* p, size_t n) : p_(p), n_(n) {}
    explicit DerIn(const Der& d) : p_(d.body), n_(d.size) {}
    bool expect(unsigned char tag, Der& out) { return next(out) && out.tag == tag; }

private:
    bool next(Der& out) {
        if (n_ < 2) return false;
        out.tag = p_[0];
        size_t len = p_[1], head = 2;
        if (len & 0x80) {   // long form, at most four length bytes
            const size_t k = len & 0x7f;
            if (k == 0 || k > 4 || n_ < 2 + k) return false;
            len = 0;
            for (size_t i = 0; i < k; ++i) len = len << 8 | p_[2 + i];
            head += k;
        }
        if (len > n_ - head) return false;
        out.body = p_ + head;
        out.size = len;
        p_ += head + len;
        n_ -= head + len;
        return true;
    }
    const unsigned char* p_;
    size_t n_;
};

constexpr unsigned char kSequence = 0x30, kSet = 0x31, kInteger = 0x02, kOid = 0x06, kOctets = 0x04, kContext0 = 0xa0;

bool oidIs(const Der& d, const char* bytes, size_t n) { return d.size == n && std::memcmp(d.body, bytes, n) == 0; }

// The digest the signed data of a certificate entry holds, and its kind.
bool signedDigest(const std::string& entry, os::HashKind& kind, std::string& digest) {
    static const char kSignedData[] = "\x2a\x86\x48\x86\xf7\x0d\x01\x07\x02";         // 1.2.840.113549.1.7.2
    static const char kIndirectData[] = "\x2b\x06\x01\x04\x01\x82\x37\x02\x01\x04";   // 1.3.6.1.4.1.311.2.1.4
    static const char kSha256[] = "\x60\x86\x48\x01\x65\x03\x04\x02\x01";              // 2.16.840.1.101.3.4.2.1
    static const char kSha1[] = "\x2b\x0e\x03\x02\x1a";                                // 1.3.14.3.2.26
    Der info, type, wrapped, sd, version, algorithms, content, contentType, contentWrap, indirect, data, digestInfo,
        algorithm, algorithmOid, digestBytes;
    DerIn top(reinterpret_cast<const unsigned char*>(entry.data()), entry.size());
    if (!top.expect(kSequence, info)) return false;
    DerIn infoParts(info);
    if (!infoParts.expect(kOid, type) || !oidIs(type, kSignedData, sizeof kSignedData - 1) ||
        !infoParts.expect(kContext0, wrapped))
        return false;
    DerIn wrap(wrapped);
    if (!wrap.expect(kSequence, sd)) return false;
    DerIn parts(sd);
    if (!parts.expect(kInteger, version) || !parts.expect(kSet, algorithms) || !parts.expect(kSequence, content))
        return false;
    DerIn contentParts(content);
    if (!contentParts.expect(kOid, contentType) || !oidIs(contentType, kIndirectData, sizeof kIndirectData - 1) ||
        !contentParts.expect(kContext0, contentWrap))
        return false;
    DerIn c1(contentWrap);
    if (!c1.expect(kSequence, indirect)) return false;
    DerIn c2(indirect);
    if (!c2.expect(kSequence, data) || !c2.expect(kSequence, digestInfo)) return false;
    DerIn c3(digestInfo);
    if (!c3.expect(kSequence, algorithm) || !c3.expect(kOctets, digestBytes)) return false;
    DerIn c4(algorithm);
    if (!c4.expect(kOid, algorithmOid)) return false;
    if (oidIs(algorithmOid, kSha256, sizeof kSha256 - 1)) kind = os::HashKind::Sha256;
    else if (oidIs(algorithmOid, kSha1, sizeof kSha1 - 1)) kind = os::HashKind::Sha1;
    else return false;
    digest.assign(reinterpret_cast<const char*>(digestBytes.body), digestBytes.size);
    return true;
}

bool damaged(std::string& error, const char* what) {
    error = std::string("The package is damaged or incomplete: ") + what + ".";
    return false;
}

}  // namespace

bool signedDigestMatches(FILE* f, uint64_t fileSize, std::string& error) {
    auto readAt = [f](uint64_t offset, void* into, size_t n) {
        return seekTo(f, offset) && std::fread(into, 1, n, f) == n;
    };
    os::SignedImageEnd image;
    std::string problem;
    if (!os::findSignedImageEnd(readAt, fileSize, image, problem)) return damaged(error, problem.c_str());
    if (!image.isSigned()) return true;
    // The first entry of the table: 32-bit length (header included), 16-bit
    // revision, 16-bit type (2: PKCS #7 signed data), the signed data.
    unsigned char head[8];
    if (image.tableSize < sizeof head || !readAt(image.tableOffset, head, sizeof head))
        return damaged(error, "its signature cannot be read");
    const uint32_t length = head[0] | head[1] << 8 | head[2] << 16 | static_cast<uint32_t>(head[3]) << 24;
    if (length < sizeof head || length > image.tableSize || length > (1u << 20) || (head[6] | head[7] << 8) != 2)
        return damaged(error, "its signature cannot be read");
    std::string entry(length - sizeof head, '\0');
    os::HashKind kind;
    std::string digest;
    if (!readAt(image.tableOffset + sizeof head, entry.data(), entry.size()) || !signedDigest(entry, kind, digest))
        return damaged(error, "its signature cannot be read");
    os::Hash h;
    if (!h.start(kind)) return damaged(error, "its signature's digest cannot be computed here");
    std::vector<char> buf(256 * 1024);
    const uint64_t skips[][2] = {{image.checksumAt, 4}, {image.directoryAt, 8}, {image.tableOffset, 0}};
    uint64_t pos = 0;
    for (const auto& skip : skips) {
        while (pos < skip[0]) {
            size_t n = static_cast<size_t>(skip[0] - pos < buf.size() ? skip[0] - pos : buf.size());
            if (!readAt(pos, buf.data(), n) || !h.add(buf.data(), n)) return damaged(error, "it cannot be read");
            pos += n;
        }
        pos += skip[1];
    }
    if (h.finish() != digest) return damaged(error, "it was changed after it was signed");
    return true;
}

}  // namespace stub
