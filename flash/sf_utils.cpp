#include "sf_utils.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

void OleCheck(HRESULT hr, const std::string& description)
{
    if (FAILED(hr))
        throw EOleError(hr, description.empty() ? OleErrorText(hr) : description);
}

std::string OleErrorText(HRESULT hr)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.8x", static_cast<unsigned>(hr));
    return std::string("OLE 錯誤 ") + text;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    int64_t product = int64_t(number) * numerator;
    int64_t half = (denominator < 0 ? -int64_t(denominator) : denominator) / 2;
    bool negative = (product < 0) != (denominator < 0);
    int64_t magnitude = (product < 0 ? -product : product) + half;
    int64_t q = magnitude / (denominator < 0 ? -int64_t(denominator) : denominator);
    return static_cast<int>(negative ? -q : q);
}

namespace sf_utils {

int DispArgInt(const DISPPARAMS& params, UINT index)
{
    VARIANT* v = DispArg(&params, index);
    VARIANT i;
    if (!v || FAILED(VariantChangeType(&i, v, 0, VT_I4)))
        return 0;
    return i.lVal;
}

std::u16string DispArgString(const DISPPARAMS& params, UINT index)
{
    VARIANT* v = DispArg(&params, index);
    VARIANT s;
    if (!v || FAILED(VariantChangeType(&s, v, 0, VT_BSTR)))
        return {};
    return s.bstrVal.str();
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool Contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to)
{
    size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string ExeFolder()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    return exe.parent_path().string() + "/";
}

namespace {

std::string decodeEscapes(std::string t, bool lowerFirst)
{
    if (lowerFirst)
        t = Lower(t);
    static const std::pair<const char*, const char*> escapes[] = {
        {"%3f", "?"}, {"%3d", "="}, {"%26", "&"}, {"%20", " "}, {"%2d", "-"}, {"%2f", "/"}};
    for (const auto& [from, to] : escapes) {
        if (lowerFirst) {
            t = ReplaceAll(t, from, to);
            continue;
        }
        // Escapes are matched without regard to case, the rest keeps its letters.
        std::string upper = from;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        t = ReplaceAll(ReplaceAll(t, from, to), upper, to);
    }
    return t;
}

std::string cutQuery(const std::string& t)
{
    size_t cut = t.find_first_of("&?");
    return cut == std::string::npos ? t : t.substr(0, cut);
}

} // namespace

std::string UrlDecode(const std::string& s) { return decodeEscapes(s, true); }

std::string UrlDecodeKeepCase(const std::string& s) { return decodeEscapes(s, false); }

std::string LocalFileName(const std::string& s)
{
    std::string t = UrlDecodeKeepCase(s);
    if (StartsWith(Lower(t), "file://"))
        t = t.substr(7);
    return cutQuery(t);
}

bool LocalFileExists(const std::string& s)
{
    std::string t = LocalFileName(s);
    if (t.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(t, ec);
}

std::string UrlFileName(const std::string& s)
{
    std::string t = cutQuery(UrlDecode(s));
    size_t last = t.find_last_of("/:|\\");
    return last == std::string::npos ? t : t.substr(last + 1);
}

std::string StripExtension(const std::string& s)
{
    size_t dot = s.rfind('.');
    return dot == std::string::npos ? s : s.substr(0, dot);
}

} // namespace sf_utils

uint32_t CombineWithBackdrop(uint32_t overClear, uint32_t overBackdrop, uint32_t backdrop)
{
    const int a = int(overClear >> 24);
    if (a == 0)
        return 0;
    if (a == 255)
        return overBackdrop | 0xFF000000u;
    auto channel = [](uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); };
    // The colour the clear rendering holds, unless the movie's blending made the picture
    // over the backdrop something a plain colour over it cannot give (a blend mode that
    // mixes with what lies below): then the colour that gives that picture back.
    uint32_t straight = uint32_t(a) << 24;
    uint32_t matching = straight;
    bool plain = true;
    for (int shift : {16, 8, 0}) {
        const int c = std::min(255, MulDiv(channel(overClear, shift), 255, a));
        const int b = channel(backdrop, shift), o = channel(overBackdrop, shift);
        plain = plain && std::abs((c * a + b * (255 - a) + 127) / 255 - o) <= 1;
        straight |= uint32_t(c) << shift;
        matching |= uint32_t(std::clamp(MulDiv(o * 255 - b * (255 - a), 1, a), 0, 255)) << shift;
    }
    return plain ? straight : matching;
}
