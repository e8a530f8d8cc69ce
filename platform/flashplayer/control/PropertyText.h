// The text forms of the control's numeric properties: Scale for ScaleMode, SAlign for
// AlignMode, Quality2 for Quality, BGColor for BackgroundColor. Parsing ignores letter
// case, as hosts write these in any case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace flashcontrol {

std::u16string ScaleText(int32_t scaleMode);
std::optional<int32_t> ScaleFromText(const std::u16string& text);

// Align flags: 1 left, 2 right, 4 top, 8 bottom; "" is centred.
std::u16string AlignText(int32_t alignMode);
std::optional<int32_t> AlignFromText(const std::u16string& text);

std::u16string QualityText(int32_t quality);
std::optional<int32_t> QualityFromText(const std::u16string& text);

// BackgroundColor is an OLE colour, 0x00BBGGRR like every colour property of a COM
// control; BGColor is "#RRGGBB". -1 (the movie's own colour) is the empty text.
std::u16string BgColorText(int32_t colour);
std::optional<int32_t> BgColorFromText(const std::u16string& text);
uint32_t ColourRefToRgb(int32_t colour);
int32_t RgbToColourRef(uint32_t rgb);

bool IsTransparentWMode(const std::u16string& wmode);
bool EqualsIgnoringCase(const std::u16string& a, const std::u16string& b);

}  // namespace flashcontrol
