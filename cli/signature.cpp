#include "cli/signature.h"

#include <cstring>
#include <vector>

#include "cli/sha256.h"
#include "platform/os/signed_image.h"

namespace twk {

namespace {

constexpr uint64_t kMaxTable = 16u << 20;   // far beyond any certificate chain
constexpr uint16_t kSignedDataType = 0x0002;

// One DER element: its tag and where its contents lie.
struct Der {
    unsigned tag = 0;
    const unsigned char* body = nullptr;
    size_t size = 0;
    const unsigned char* whole = nullptr;   // tag and length included
    size_t wholeSize = 0;
};

// Reads elements one after another from [p, p + n), each checked to lie inside.
class DerReader {
public:
    DerReader(const unsigned char* p, size_t n) : p_(p), n_(n) {}
    explicit DerReader(const Der& d) : p_(d.body), n_(d.size) {}
    bool atEnd() const { return n_ == 0; }
    bool peek(unsigned tag) const { return n_ > 0 && p_[0] == tag; }
    bool next(Der& out) {
        if (n_ < 2 || (p_[0] & 0x1f) == 0x1f) return false;   // no multi-byte tags here
        size_t len = p_[1], head = 2;
        if (len & 0x80) {
            const size_t bytes = len & 0x7f;
            if (bytes == 0 || bytes > 4 || n_ < 2 + bytes) return false;
            len = 0;
            for (size_t i = 0; i < bytes; ++i) len = len << 8 | p_[2 + i];
            head += bytes;
        }
        if (len > n_ - head) return false;
        out = Der{p_[0], p_ + head, len, p_, head + len};
        p_ += head + len;
        n_ -= head + len;
        return true;
    }
    bool expect(unsigned tag, Der& out) { return next(out) && out.tag == tag; }

private:
    const unsigned char* p_;
    size_t n_;
};

enum : unsigned { kInteger = 0x02, kOctets = 0x04, kOid = 0x06, kSequence = 0x30, kSet = 0x31, kContext0 = 0xa0 };

bool isOid(const Der& d, const char* encoded, size_t n) {
    return d.tag == kOid && d.size == n && std::memcmp(d.body, encoded, n) == 0;
}
#define OID(d, bytes) isOid(d, bytes, sizeof(bytes) - 1)

std::string dottedOid(const Der& d) {
    std::string s;
    unsigned long v = 0;
    for (size_t i = 0; i < d.size; ++i) {
        v = v << 7 | (d.body[i] & 0x7f);
        if (d.body[i] & 0x80) continue;
        if (s.empty()) s = std::to_string(v < 80 ? v / 40 : 2) + "." + std::to_string(v < 80 ? v % 40 : v - 80);
        else s += "." + std::to_string(v);
        v = 0;
    }
    return s;
}

// A distinguished name as one line: "CN=Widget Publisher, O=Acme, C=GB".
std::string nameText(const Der& name) {
    static const struct {
        const char* oid;   // the attribute's encoded number after 2.5.4
        const char* label;
    } kLabels[] = {{"\x03", "CN"}, {"\x06", "C"}, {"\x07", "L"}, {"\x08", "ST"}, {"\x0a", "O"}, {"\x0b", "OU"}};
    std::string out;
    DerReader rdns(name);
    Der set, attr, type, value;
    while (rdns.next(set)) {
        DerReader attrs(set);
        while (attrs.next(attr)) {
            DerReader parts(attr);
            if (!parts.expect(kOid, type) || !parts.next(value)) continue;
            std::string label = dottedOid(type);
            if (type.size == 3 && type.body[0] == 0x55 && type.body[1] == 0x04)
                for (const auto& l : kLabels)
                    if (type.body[2] == static_cast<unsigned char>(l.oid[0])) label = l.label;
            std::string text;
            const bool wide = value.tag == 0x1e;   // BMPString: UTF-16, big-endian
            for (size_t i = wide ? 1 : 0; i < value.size; i += wide ? 2 : 1) {
                unsigned char c = value.body[i];
                text.push_back(c >= 32 && c != 127 && !(wide && value.body[i - 1] != 0) ? static_cast<char>(c) : '?');
            }
            out += (out.empty() ? "" : ", ") + label + "=" + text;
        }
    }
    return out;
}

bool sameBytes(const Der& a, const Der& b) {
    return a.wholeSize == b.wholeSize && std::memcmp(a.whole, b.whole, a.wholeSize) == 0;
}

// The signed data of one certificate entry: the digest and its algorithm
// from the signed content, the subject of the certificate whose issuer and
// serial number the first signer names.
bool readSignedData(const unsigned char* p, size_t n, SignatureReport& out, std::string& digest) {
    static const char kSignedData[] = "\x2a\x86\x48\x86\xf7\x0d\x01\x07\x02";         // 1.2.840.113549.1.7.2
    static const char kIndirectData[] = "\x2b\x06\x01\x04\x01\x82\x37\x02\x01\x04";   // 1.3.6.1.4.1.311.2.1.4
    static const char kSha256[] = "\x60\x86\x48\x01\x65\x03\x04\x02\x01";              // 2.16.840.1.101.3.4.2.1
    static const char kSha1[] = "\x2b\x0e\x03\x02\x1a";                                // 1.3.14.3.2.26
    DerReader top(p, n);
    Der info, type, wrapped, sd, version, algorithms, content, contentType, contentWrap, indirect, data, digestInfo,
        algorithm, algorithmOid, digestBytes;
    if (!top.expect(kSequence, info)) return false;
    DerReader infoParts(info);
    if (!infoParts.expect(kOid, type) || !OID(type, kSignedData) || !infoParts.expect(kContext0, wrapped)) return false;
    DerReader wrap(wrapped);
    if (!wrap.expect(kSequence, sd)) return false;
    DerReader parts(sd);
    if (!parts.expect(kInteger, version) || !parts.expect(kSet, algorithms) || !parts.expect(kSequence, content))
        return false;
    DerReader contentParts(content);
    if (!contentParts.expect(kOid, contentType) || !OID(contentType, kIndirectData) ||
        !contentParts.expect(kContext0, contentWrap))
        return false;
    DerReader c1(contentWrap);
    if (!c1.expect(kSequence, indirect)) return false;
    DerReader c2(indirect);
    if (!c2.expect(kSequence, data) || !c2.expect(kSequence, digestInfo)) return false;
    DerReader c3(digestInfo);
    if (!c3.expect(kSequence, algorithm) || !c3.expect(kOctets, digestBytes)) return false;
    DerReader c4(algorithm);
    if (!c4.expect(kOid, algorithmOid)) return false;
    out.digestAlgorithm = OID(algorithmOid, kSha256) ? "sha256" : OID(algorithmOid, kSha1) ? "sha1" : dottedOid(algorithmOid);
    digest.assign(reinterpret_cast<const char*>(digestBytes.body), digestBytes.size);

    // Certificates ([0]), revocation lists ([1]), then the signers.
    std::vector<Der> certificates;
    Der el;
    while (parts.next(el)) {
        if (el.tag == kContext0) {
            DerReader certs(el);
            Der cert;
            while (certs.next(cert)) certificates.push_back(cert);
        } else if (el.tag == kSet) {
            DerReader signers(el);
            Der signer, signerVersion, issuerSerial, issuer, serial;
            if (!signers.expect(kSequence, signer)) return true;   // no signer: no subject to name
            DerReader s(signer);
            if (!s.expect(kInteger, signerVersion) || !s.expect(kSequence, issuerSerial)) return true;
            DerReader is(issuerSerial);
            if (!is.expect(kSequence, issuer) || !is.expect(kInteger, serial)) return true;
            for (const Der& cert : certificates) {
                DerReader c(cert);
                Der tbs, certVersion, certSerial, sigAlg, certIssuer, validity, subject;
                if (!c.expect(kSequence, tbs)) continue;
                DerReader t(tbs);
                if (t.peek(kContext0) && !t.next(certVersion)) continue;
                if (!t.expect(kInteger, certSerial) || !t.expect(kSequence, sigAlg) ||
                    !t.expect(kSequence, certIssuer) || !t.expect(kSequence, validity) || !t.expect(kSequence, subject))
                    continue;
                if (sameBytes(certSerial, serial) && sameBytes(certIssuer, issuer)) out.subject = nameText(subject);
            }
            return true;
        }
    }
    return true;
}

uint32_t le(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// The package's bytes as a signature's digest takes them.
bool packageDigest(ByteSource& source, const os::SignedImageEnd& image, std::string& digest) {
    Sha256 h;
    std::vector<char> buf(256 * 1024);
    const uint64_t skips[][2] = {{image.checksumAt, 4}, {image.directoryAt, 8}, {image.tableOffset, 0}};
    uint64_t pos = 0;
    for (const auto& skip : skips) {
        while (pos < skip[0]) {
            size_t n = static_cast<size_t>(skip[0] - pos < buf.size() ? skip[0] - pos : buf.size());
            if (!source.read(pos, buf.data(), n)) return false;
            h.add(buf.data(), n);
            pos += n;
        }
        pos += skip[1];
    }
    digest = h.finish();
    return true;
}

}  // namespace

bool readSignature(ByteSource& source, const PackageContents& p, SignatureReport& out, std::string& error) {
    out = SignatureReport{};
    if (p.signatureSize > kMaxTable) {
        error = "its certificate table of " + std::to_string(p.signatureSize) + " bytes is too large";
        return false;
    }
    std::vector<unsigned char> table(static_cast<size_t>(p.signatureSize));
    if (!source.read(p.signatureOffset, table.data(), table.size())) {
        error = "read error in its certificate table";
        return false;
    }
    std::string signedDigest;
    bool readable = false;
    for (size_t at = 0; at < table.size();) {
        const size_t left = table.size() - at;
        const uint32_t length = left >= 8 ? le(&table[at], 4) : 0;
        if (length < 8 || length > left) {
            error = "its certificate table is damaged at byte " + std::to_string(at);
            return false;
        }
        if (out.certificates++ == 0 && le(&table[at + 6], 2) == kSignedDataType)
            readable = readSignedData(&table[at + 8], length - 8, out, signedDigest);
        at += length;
        at = (at + 7) / 8 * 8 < table.size() ? (at + 7) / 8 * 8 : table.size();   // entries start on 8 bytes
    }
    if (!readable) {
        error = "its signature's signed data is damaged";
        return false;
    }
    if (out.digestAlgorithm != "sha256") return true;   // reported, not checked here
    os::SignedImageEnd image;
    std::string problem, digest;
    auto readAt = [&source](uint64_t offset, void* into, size_t n) { return source.read(offset, into, n); };
    if (!os::findSignedImageEnd(readAt, source.size(), image, problem) || !packageDigest(source, image, digest)) {
        error = "read error while checking its signature";
        return false;
    }
    out.coverage = digest == signedDigest ? SignatureReport::Coverage::Whole : SignatureReport::Coverage::Changed;
    return true;
}

}  // namespace twk
