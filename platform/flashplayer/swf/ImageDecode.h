// Decoders shared inside the bitmap code. Not part of the public interface.
#pragma once

#include "swf/Bitmap.h"

namespace swf::detail {

// Inflates at most `cap` bytes; the output may be shorter when the stream ends.
Result<std::vector<std::uint8_t>> inflatePartial(std::span<const std::uint8_t> in, std::size_t cap);

bool isPng(std::span<const std::uint8_t> data);
Result<DecodedBitmap> decodePng(std::span<const std::uint8_t> data, const Limits& limits);

bool isGif(std::span<const std::uint8_t> data);
Result<DecodedBitmap> decodeGif(std::span<const std::uint8_t> data, const Limits& limits);

} // namespace swf::detail
