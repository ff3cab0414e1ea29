// SHA-256, for comparing a signed package's bytes with the digest its
// signature holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace twk {

class Sha256 {
public:
    Sha256();
    void add(const void* data, size_t n);
    std::string finish();   // the 32-byte digest; the object is spent

private:
    void block(const unsigned char* p);
    uint32_t h_[8];
    unsigned char buf_[64];
    size_t used_ = 0;
    uint64_t total_ = 0;
};

}  // namespace twk
