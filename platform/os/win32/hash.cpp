#include <windows.h>
#include <wincrypt.h>

#include "platform/os/hash.h"

namespace os {

Hash::~Hash() {
    if (hash_) CryptDestroyHash(static_cast<HCRYPTHASH>(hash_));
    if (provider_) CryptReleaseContext(static_cast<HCRYPTPROV>(provider_), 0);
}

bool Hash::start(HashKind kind) {
    HCRYPTPROV p = 0;
    if (!CryptAcquireContextA(&p, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return false;
    provider_ = p;
    HCRYPTHASH h = 0;
    if (!CryptCreateHash(p, kind == HashKind::Sha256 ? CALG_SHA_256 : CALG_SHA1, 0, 0, &h)) return false;
    hash_ = h;
    return true;
}

bool Hash::add(const void* data, size_t n) {
    return hash_ && CryptHashData(static_cast<HCRYPTHASH>(hash_), static_cast<const BYTE*>(data), static_cast<DWORD>(n), 0);
}

std::string Hash::finish() {
    DWORD size = 0, len = sizeof size;
    if (!hash_ || !CryptGetHashParam(static_cast<HCRYPTHASH>(hash_), HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &len, 0))
        return "";
    std::string out(size, '\0');
    if (!CryptGetHashParam(static_cast<HCRYPTHASH>(hash_), HP_HASHVAL, reinterpret_cast<BYTE*>(out.data()), &size, 0))
        return "";
    return out;
}

}  // namespace os
