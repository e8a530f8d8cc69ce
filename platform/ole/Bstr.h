// BSTR: the automation string. A null BSTR and an empty one are different values (a
// host sends an empty property string as null), but both have length 0.
#pragma once

#include <string>
#include <string_view>

class BSTR {
public:
    BSTR() = default;  // null
    BSTR(std::nullptr_t) {}
    explicit BSTR(std::u16string_view text) : m_null(false), m_text(text) {}
    explicit BSTR(const char16_t* text) : m_null(text == nullptr), m_text(text ? text : u"") {}

    static BSTR FromUtf8(std::string_view text);

    bool isNull() const { return m_null; }
    // The text; empty for a null string.
    const std::u16string& str() const { return m_text; }
    std::string toUtf8() const;
    // A terminated buffer, or nullptr for a null string (what a raw BSTR would hold).
    const char16_t* c_str() const { return m_null ? nullptr : m_text.c_str(); }
    size_t length() const { return m_text.size(); }

    friend bool operator==(const BSTR& a, const BSTR& b) { return a.m_null == b.m_null && a.m_text == b.m_text; }

private:
    bool m_null = true;
    std::u16string m_text;
};

// The allocation functions under their platform names, for code written that way.
inline BSTR SysAllocString(const char16_t* text) { return BSTR(text); }
inline unsigned SysStringLen(const BSTR& s) { return unsigned(s.length()); }
inline void SysFreeString(BSTR& s) { s = BSTR(); }
