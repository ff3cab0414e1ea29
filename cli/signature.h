// What twk inspect says about a signed package: the certificate table after
// the trailer (a list of entries: 32-bit length, 16-bit revision, 16-bit
// type, then the certificate; each padded to 8 bytes), the signer's subject
// from its PKCS #7 signed data, and whether the digest the signature holds is
// that of the package's bytes: everything before the table but the image
// checksum and the security directory entry, the signing padding included.
#pragma once

#include <cstdint>
#include <string>

#include "cli/package_reader.h"

namespace twk {

struct SignatureReport {
    size_t certificates = 0;      // entries in the table
    std::string subject;          // the signer's, "" when the table does not name it
    std::string digestAlgorithm;  // "sha256", "sha1", ... or the algorithm's number
    enum class Coverage { Whole, Changed, Unchecked } coverage = Coverage::Unchecked;
};

// False with `error` when the table or its signed data is damaged. Only
// called for a signed package (`p.signatureSize` not 0).
bool readSignature(ByteSource& source, const PackageContents& p, SignatureReport& out, std::string& error);

}  // namespace twk
