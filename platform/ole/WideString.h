// Conversions between the layer's wide strings (UTF-16) and UTF-8 file names and URLs.
#pragma once

#include <string>
#include <string_view>

// Ill-formed input (lone surrogates, bad UTF-8) becomes U+FFFD rather than failing:
// the texts come from movies and URLs, which we do not trust to be well formed.
std::u16string Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::u16string_view text);
