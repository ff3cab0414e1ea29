// The system's own hashing, for checking a signed package against the digest
// its signature holds. Win32: CryptoAPI. Natively there is none (start()
// fails): the native build has no signed packages to install.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace os {

enum class HashKind { Sha1, Sha256 };

class Hash {
public:
    Hash() = default;
    ~Hash();
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    // False when the system cannot make this kind of hash.
    bool start(HashKind kind);
    bool add(const void* data, size_t n);
    // The digest's bytes; "" when hashing failed.
    std::string finish();

private:
    // Only the Win32 side keeps handles here.
    [[maybe_unused]] uintptr_t provider_ = 0;
    [[maybe_unused]] uintptr_t hash_ = 0;
};

}  // namespace os
