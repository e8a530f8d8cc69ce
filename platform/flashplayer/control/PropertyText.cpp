#include "PropertyText.h"

#include <cstdio>

namespace flashcontrol {
namespace {
char16_t lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

const char16_t* const kScaleNames[] = {u"ShowAll", u"NoBorder", u"ExactFit", u"NoScale"};
const char16_t* const kQualityNames[] = {u"Low", u"High", u"AutoLow", u"AutoHigh", u"Medium", u"Best"};

template <size_t N>
std::optional<int32_t> indexOf(const char16_t* const (&names)[N], const std::u16string& text)
{
    for (size_t i = 0; i < N; ++i)
        if (EqualsIgnoringCase(names[i], text))
            return int32_t(i);
    return std::nullopt;
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    c = lower(c);
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}
}

bool EqualsIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::u16string ScaleText(int32_t scaleMode)
{
    return scaleMode >= 0 && scaleMode < 4 ? kScaleNames[scaleMode] : kScaleNames[0];
}

std::optional<int32_t> ScaleFromText(const std::u16string& text)
{
    if (text.empty())
        return 0;
    return indexOf(kScaleNames, text);
}

std::u16string AlignText(int32_t alignMode)
{
    std::u16string out;
    if (alignMode & 1)
        out += u'L';
    if (alignMode & 4)
        out += u'T';
    if (alignMode & 2)
        out += u'R';
    if (alignMode & 8)
        out += u'B';
    return out;
}

std::optional<int32_t> AlignFromText(const std::u16string& text)
{
    int32_t flags = 0;
    for (char16_t c : text) {
        switch (lower(c)) {
        case u'l': flags |= 1; break;
        case u'r': flags |= 2; break;
        case u't': flags |= 4; break;
        case u'b': flags |= 8; break;
        default: return std::nullopt;
        }
    }
    return flags;
}

std::u16string QualityText(int32_t quality)
{
    return quality >= 0 && quality < 6 ? kQualityNames[quality] : kQualityNames[1];
}

std::optional<int32_t> QualityFromText(const std::u16string& text)
{
    return indexOf(kQualityNames, text);
}

uint32_t ColourRefToRgb(int32_t colour)
{
    uint32_t c = uint32_t(colour);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

int32_t RgbToColourRef(uint32_t rgb)
{
    return int32_t(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

std::u16string BgColorText(int32_t colour)
{
    if (colour < 0)
        return {};
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06X", unsigned(ColourRefToRgb(colour) & 0xFFFFFF));
    return std::u16string(buf, buf + 7);
}

std::optional<int32_t> BgColorFromText(const std::u16string& text)
{
    if (text.empty())
        return -1;
    std::u16string digits = text[0] == u'#' ? text.substr(1) : text;
    if (digits.size() != 6)
        return std::nullopt;
    uint32_t rgb = 0;
    for (char16_t c : digits) {
        int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        rgb = rgb * 16 + uint32_t(d);
    }
    return RgbToColourRef(rgb);
}

bool IsTransparentWMode(const std::u16string& wmode)
{
    return EqualsIgnoringCase(wmode, u"Transparent");
}

}  // namespace flashcontrol
