// Class and interface ids, with the "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" text form
// that registries and descriptions use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
    friend constexpr bool operator==(const GUID& a, const GUID& b)
    {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i])
                return false;
        return true;
    }
    friend constexpr bool operator<(const GUID& a, const GUID& b)
    {
        if (a.Data1 != b.Data1)
            return a.Data1 < b.Data1;
        if (a.Data2 != b.Data2)
            return a.Data2 < b.Data2;
        if (a.Data3 != b.Data3)
            return a.Data3 < b.Data3;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i])
                return a.Data4[i] < b.Data4[i];
        return false;
    }
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};

namespace ole_detail {
constexpr int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses exactly "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces.
constexpr std::optional<GUID> parseGuid(std::string_view text)
{
    if (text.size() == 38 && text.front() == '{' && text.back() == '}')
        text = text.substr(1, 36);
    if (text.size() != 36)
        return std::nullopt;
    uint8_t bytes[16] = {};
    size_t pos = 0;
    for (int b = 0; b < 16; ++b) {
        if (pos == 8 || pos == 13 || pos == 18 || pos == 23) {
            if (text[pos] != '-')
                return std::nullopt;
            ++pos;
        }
        int hi = hexDigit(text[pos]);
        int lo = hexDigit(text[pos + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes[b] = uint8_t(hi * 16 + lo);
        pos += 2;
    }
    GUID g;
    g.Data1 = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    g.Data2 = uint16_t(bytes[4] << 8 | bytes[5]);
    g.Data3 = uint16_t(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = bytes[8 + i];
    return g;
}
}

// A GUID from a literal known at compile time; a malformed literal fails to compile.
consteval GUID MakeGuid(std::string_view text)
{
    auto g = ole_detail::parseGuid(text);
    if (!g)
        throw "malformed GUID literal";
    return *g;
}

// Text to GUID: accepts the braced and the bare form, either letter case.
std::optional<GUID> ParseGuid(std::string_view text);
std::optional<GUID> ParseGuid(std::u16string_view text);
// Upper-case braced form, as the registry writes class ids.
std::string GuidToString(const GUID& g);
std::u16string GuidToWide(const GUID& g);

// CLSIDFromString: E_INVALIDARG (the platform's CO_E_CLASSSTRING) for malformed text.
int32_t CLSIDFromString(const char16_t* text, CLSID* clsid);
bool IsEqualGUID(REFGUID a, REFGUID b);

struct GuidHash {
    size_t operator()(const GUID& g) const noexcept;
};
