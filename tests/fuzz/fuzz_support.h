// Helpers shared by the fuzz targets: taking typed values off the fuzzer's bytes,
// buffers that ASan guards exactly, and a check that stops the run with a message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/control/verifier.h"
#include "platform/text.h"
#include "platform/types.h"

namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::fuzz::Fail(__FILE__, __LINE__, #condition))

// Held for one input: a call that broke a rule of the strict machine
// (docs/strict-machine.md) stops the run like a failed check, with each violation.
class StrictMachine {
public:
    StrictMachine() = default;
    StrictMachine(const StrictMachine&) = delete;
    StrictMachine& operator=(const StrictMachine&) = delete;
    ~StrictMachine()
    {
        std::vector<sim::Violation> violations = sim::TakeViolations();
        if (violations.empty()) return;
        for (const sim::Violation& v : violations) std::fprintf(stderr, "violation: %s\n", v.Text().c_str());
        std::abort();
    }
};

// Reads the fuzzer's bytes front to back; past the end every value is zero.
class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t Word()
    {
        uint16_t lo = Byte();
        return static_cast<uint16_t>(lo | (Byte() << 8));
    }
    size_t Left() const { return m_size - m_pos; }

    // The rest of the bytes.
    std::vector<uint8_t> Rest()
    {
        std::vector<uint8_t> out(m_data + m_pos, m_data + m_size);
        m_pos = m_size;
        return out;
    }
    // The rest as UTF-16LE characters (an odd last byte is dropped).
    std::u16string RestUtf16()
    {
        std::u16string out;
        while (Left() >= 2) out += static_cast<char16_t>(Word());
        m_pos = m_size;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A heap array of exactly `count` elements, so that ASan reports a read or write one
// element past either end. Filled with `fill`.
template <typename T>
std::unique_ptr<T[]> Exact(size_t count, T fill)
{
    std::unique_ptr<T[]> p(new T[count]);
    for (size_t i = 0; i < count; ++i) p[i] = fill;
    return p;
}

template <typename T>
std::unique_ptr<T[]> ExactCopy(const T* data, size_t count)
{
    std::unique_ptr<T[]> p(new T[count]);
    if (count) std::memcpy(p.get(), data, count * sizeof(T));
    return p;
}

}  // namespace fuzz
