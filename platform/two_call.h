// The two-call sizing of the Windows query functions (EnumPrintersW, GetPrinterW,
// EnumPortsW, SetupDiGetDeviceInterfaceDetailW, ...): a first call without a buffer
// reports the size it needs, a buffer of that size is allocated, and a second call
// fills it. There is no third try: an answer that grew between the two calls fails
// the second one, and the caller decides what that means.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

#include "platform/kernel.h"

namespace two_call {

enum Outcome {
    kFetched,     // the second call succeeded: Data() holds its answer, or is null
                  // when the first call succeeded and no buffer was needed
    kNotSized,    // the first call failed for another reason than the size, or
                  // succeeded where Rules::firstCallMustFail forbids it; no second call
    kNoMemory,    // the buffer could not be allocated; no second call
    kNotFetched,  // the second call failed
};

struct Rules {
    // Every failure of the first call counts as its size report, whatever the last
    // error says (for callers that go on regardless).
    bool anyErrorGivesSize = false;
    // A first call that succeeds without a buffer is a failure of the query.
    bool firstCallMustFail = false;
    // The buffer is never smaller than this many bytes, whatever size was reported
    // (the fixed part of a record that the caller writes into before the second call).
    DWORD minimumSize = 0;
};

// Gives a zero-filled block of `bytes` bytes to be freed with delete[], or null.
using Allocator = BYTE* (*)(size_t bytes);
inline BYTE* AllocateZeroed(size_t bytes) { return new (std::nothrow) BYTE[bytes](); }

// The buffer of one query; it lives as long as the caller reads the answer.
class Buffer {
public:
    explicit Buffer(Allocator allocate = &AllocateZeroed) : m_allocate(allocate) {}
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // Runs the query `call(buffer, size, needed)`, a callable that returns nonzero
    // on success: first with no buffer and size 0, then, when that failed for lack
    // of room, with a buffer of the size it reported. When the first call succeeds
    // the second is still made, with no buffer: its answer is the one that counts.
    template <typename Call>
    Outcome Fetch(Call call, const Rules& rules = Rules())
    {
        m_data.reset();
        m_size = 0;
        DWORD needed = 0;
        if (call(static_cast<BYTE*>(nullptr), DWORD{0}, &needed)) {
            if (rules.firstCallMustFail) return kNotSized;
        } else {
            if (!rules.anyErrorGivesSize && ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return kNotSized;
            const DWORD size = needed > rules.minimumSize ? needed : rules.minimumSize;
            // A size of zero still gets a block of its own: the second call then has
            // a buffer, as the first call's report asked for one.
            m_data.reset(m_allocate(size ? size : 1));
            if (!m_data) return kNoMemory;
            m_size = size;
        }
        return call(m_data.get(), m_size, &needed) ? kFetched : kNotFetched;
    }

    BYTE* Data() const { return m_data.get(); }
    DWORD Size() const { return m_size; }

private:
    Allocator m_allocate;
    std::unique_ptr<BYTE[]> m_data;
    DWORD m_size = 0;
};

}  // namespace two_call
