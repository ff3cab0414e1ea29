// A signed package is checked against the digest its signature holds before
// anything is written: the first certificate entry's PKCS #7 signed data
// names the digest (SHA-256 or SHA-1) of the package's bytes, everything
// before the certificate table but the image checksum and the security
// directory entry. The stub reads the signed data itself and hashes with the
// system's own hashing; it does not judge the certificate (Windows showed the
// publisher when the package started).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace stub {

// True when `f` (its first `fileSize` bytes) is unsigned, or its signed
// digest is that of its bytes. False with a "damaged" message otherwise: a
// byte changed after signing, a signature that cannot be read, or a digest
// this system cannot compute.
bool signedDigestMatches(FILE* f, uint64_t fileSize, std::string& error);

}  // namespace stub
