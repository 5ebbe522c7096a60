// The framework's UTF-16 string and the list of strings the lookups append to.
#pragma once

#include <list>

#include "platform/text.h"

// --- CString -----------------------------------------------------------------------
class CString {
public:
    CString() = default;
    CString(LPCWSTR s) : m_s(s ? s : TEXT("")) {}  // NOLINT: implicit, as the framework's
    CString(const WString& s) : m_s(s) {}          // NOLINT
    CString(LPCWSTR s, int length) : m_s(s, static_cast<size_t>(length)) {}

    operator LPCWSTR() const { return m_s.c_str(); }  // NOLINT
    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const WString& Str() const { return m_s; }

    CString& operator=(LPCWSTR s)
    {
        m_s = s ? s : TEXT("");
        return *this;
    }
    CString& operator+=(LPCWSTR s)
    {
        if (s) m_s += s;
        return *this;
    }
    CString& operator+=(const CString& s)
    {
        m_s += s.m_s;
        return *this;
    }
    CString& operator+=(WCHAR c)
    {
        m_s += c;
        return *this;
    }
    friend CString operator+(const CString& a, LPCWSTR b)
    {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(LPCWSTR a, const CString& b)
    {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const CString& a, const CString& b)
    {
        CString r(a);
        r += b;
        return r;
    }

    // Exact, case-sensitive comparison.
    int Compare(LPCWSTR s) const { return text::Compare(m_s.c_str(), s); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }

    // %s %d %u %x and zero-padded widths, as text::Format.
    void Format(LPCWSTR format, ...);

private:
    WString m_s;
};

// An ordered list of strings that the caller creates empty and owns; lookups append to it.
typedef std::list<CString> CStringList;
