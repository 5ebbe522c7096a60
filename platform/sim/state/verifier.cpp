// The verifier's record of violations and its handle ledger.
#include "platform/sim/state/verifier.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>

#include "platform/text.h"

#if defined(__SANITIZE_ADDRESS__)
#define KORVEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVEL_ASAN 1
#endif
#endif
#ifdef KORVEL_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace sim {

namespace {

struct LedgerEntry {
    std::string kind;
    unsigned long long order = 0;  // when it was opened, for reports oldest first
    bool reported = false;
};

// Guarded by the mutex. Closed handles are remembered up to a bound, so that a
// long run without reset (a fuzzer) stays small; an older stale handle is then
// reported as no handle at all, which is a violation all the same.
struct Ledger {
    std::mutex mutex;
    std::map<const void*, LedgerEntry> open;
    std::map<const void*, std::string> closed;
    std::deque<const void*> closedOrder;
    unsigned long long nextOrder = 0;
    std::vector<Violation> violations;
};
constexpr size_t kClosedRemembered = 4096;

Ledger& TheLedger()
{
    // Never destroyed: the machine's detached threads may still call in while the
    // process exits.
    static Ledger* ledger = new Ledger;
    return *ledger;
}

std::string Article(const std::string& kind)
{
    bool vowel = !kind.empty() && std::string("aeiou").find(kind[0]) != std::string::npos;
    return (vowel ? "an " : "a ") + kind;
}

std::string Describe(const HandleInfo& info)
{
    switch (info.status) {
    case HandleStatus::Open: return Article(info.kind) + ", open";
    case HandleStatus::Closed: return Article(info.kind) + ", closed";
    case HandleStatus::Unknown: break;
    }
    return "no handle the machine handed out";
}

std::string KindList(std::initializer_list<const char*> kinds)
{
    std::string list;
    size_t i = 0;
    for (const char* kind : kinds) {
        if (i) list += (i + 1 == kinds.size()) ? " or " : ", ";
        list += kind;
        ++i;
    }
    return list;
}

}  // namespace

std::string Violation::Text() const { return function + ": " + rule + " (" + values + ")"; }

void RecordViolation(const std::string& function, const std::string& rule, const std::string& values)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.violations.push_back(Violation{function, rule, values});
}

std::vector<Violation> RecordedViolations(bool clear)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> lock(l.mutex);
    std::vector<Violation> recorded = l.violations;
    if (clear) l.violations.clear();
    return recorded;
}

void NoteHandleOpened(const void* handle, const char* kind)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.closed.erase(handle);
    l.open[handle] = LedgerEntry{kind, l.nextOrder++};
}

bool NoteHandleClosed(const void* handle)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> lock(l.mutex);
    auto it = l.open.find(handle);
    if (it == l.open.end()) return false;
    l.closed[handle] = it->second.kind;
    l.closedOrder.push_back(handle);
    l.open.erase(it);
    while (l.closedOrder.size() > kClosedRemembered) {
        const void* oldest = l.closedOrder.front();
        l.closedOrder.pop_front();
        l.closed.erase(oldest);
    }
    return true;
}

HandleInfo DescribeHandle(const void* handle)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> lock(l.mutex);
    HandleInfo info;
    if (auto it = l.open.find(handle); it != l.open.end()) {
        info.status = HandleStatus::Open;
        info.kind = it->second.kind;
    } else if (auto c = l.closed.find(handle); c != l.closed.end()) {
        info.status = HandleStatus::Closed;
        info.kind = c->second;
    }
    return info;
}

std::string HandleValue(const char* parameter, const void* handle)
{
    return std::string(parameter) + "=" + Hex(reinterpret_cast<ULONG_PTR>(handle)) + ", " +
           Describe(DescribeHandle(handle));
}

bool CheckHandle(const char* function, const char* parameter, const void* handle,
                 std::initializer_list<const char*> kinds)
{
    HandleInfo info = DescribeHandle(handle);
    if (info.status == HandleStatus::Open &&
        std::any_of(kinds.begin(), kinds.end(), [&](const char* kind) { return info.kind == kind; }))
        return true;
    std::string rule;
    if (info.status == HandleStatus::Closed)
        rule = "a handle is not used after it was closed";
    else if (info.status == HandleStatus::Open)
        rule = std::string(parameter) + " must be a handle of the kind the function takes (" + KindList(kinds) + ")";
    else
        rule = std::string(parameter) + " must be a handle the system handed out (" + KindList(kinds) + ")";
    RecordViolation(function, rule, HandleValue(parameter, handle));
    return false;
}

std::vector<std::pair<const void*, std::string>> TakeUnreportedOpenHandles()
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> lock(l.mutex);
    std::vector<std::pair<unsigned long long, std::pair<const void*, std::string>>> ordered;
    for (auto& entry : l.open) {
        if (entry.second.reported) continue;
        entry.second.reported = true;
        ordered.push_back({entry.second.order, {entry.first, entry.second.kind}});
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::pair<const void*, std::string>> handles;
    for (auto& entry : ordered) handles.push_back(std::move(entry.second));
    return handles;
}

bool CheckBufferSize(const char* function, const char* rule, const void* buffer, size_t bytes,
                     const std::string& values)
{
#ifdef KORVEL_ASAN
    if (!buffer || !bytes) return true;
    const void* bad = __asan_region_is_poisoned(const_cast<void*>(buffer), bytes);
    if (!bad) return true;
    size_t usable = static_cast<size_t>(static_cast<const char*>(bad) - static_cast<const char*>(buffer));
    RecordViolation(function, rule, values + ", but only " + std::to_string(usable) + " bytes are there");
    return false;
#else
    (void)function, (void)rule, (void)buffer, (void)bytes, (void)values;
    return true;
#endif
}

bool IsWritableMemory(const void* buffer, size_t bytes)
{
    const auto begin = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t end = begin + bytes;
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps) return true;  // cannot tell: taken as writable
    bool writable = false;
    char line[512];
    while (std::fgets(line, sizeof line, maps)) {
        unsigned long long from = 0, to = 0;
        char permissions[8] = {};
        if (std::sscanf(line, "%llx-%llx %7s", &from, &to, permissions) != 3) continue;
        if (begin >= from && end <= to) {
            writable = permissions[1] == 'w';
            break;
        }
    }
    std::fclose(maps);
    return writable;
}

std::string Hex(ULONG_PTR value)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return "0x" + s;
}

std::string Quote(const WCHAR* text)
{
    if (!text) return "NULL";
    return "\"" + text::ToUtf8(text, text::Length(text)) + "\"";
}

void ResetVerifierLedger()
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.open.clear();
    l.closed.clear();
    l.closedOrder.clear();
}

}  // namespace sim
