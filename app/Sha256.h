// SHA-256 (FIPS 180-4), fed in pieces: the digest by which the 32-bit program knows the
// x86-64 program that was built beside it.
#pragma once

#include <cstddef>
#include <cstdint>

class CSha256 {
public:
    static constexpr size_t kDigestSize = 32;

    CSha256();
    void Add(const void* data, size_t size);
    // The digest of everything added; the object is used up.
    void Finish(unsigned char digest[kDigestSize]);

private:
    void Block(const unsigned char* block);

    uint32_t m_state[8];
    unsigned char m_buffer[64];
    size_t m_buffered = 0;
    uint64_t m_bytes = 0;
};
