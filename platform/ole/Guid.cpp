#include "Guid.h"

#include "HResult.h"

#include <cstdio>

std::optional<GUID> ParseGuid(std::string_view text)
{
    return ole_detail::parseGuid(text);
}

std::optional<GUID> ParseGuid(std::u16string_view text)
{
    // Only ASCII can be part of a GUID; anything wider cannot match.
    if (text.size() > 38)
        return std::nullopt;
    std::string narrow;
    for (char16_t c : text) {
        if (c > 0x7F)
            return std::nullopt;
        narrow.push_back(char(c));
    }
    return ole_detail::parseGuid(narrow);
}

std::string GuidToString(const GUID& g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
        unsigned(g.Data1), unsigned(g.Data2), unsigned(g.Data3), g.Data4[0], g.Data4[1],
        g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

std::u16string GuidToWide(const GUID& g)
{
    std::string s = GuidToString(g);
    return std::u16string(s.begin(), s.end());
}

int32_t CLSIDFromString(const char16_t* text, CLSID* clsid)
{
    if (!text || !clsid)
        return E_INVALIDARG;
    auto g = ParseGuid(std::u16string_view(text));
    if (!g)
        return E_INVALIDARG;
    *clsid = *g;
    return S_OK;
}

bool IsEqualGUID(REFGUID a, REFGUID b)
{
    return a == b;
}

size_t GuidHash::operator()(const GUID& g) const noexcept
{
    size_t h = g.Data1;
    h = h * 31 + g.Data2;
    h = h * 31 + g.Data3;
    for (uint8_t b : g.Data4)
        h = h * 31 + b;
    return h;
}
