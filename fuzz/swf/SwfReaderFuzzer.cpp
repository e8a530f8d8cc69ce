// Reader, bitmap decoding and the writer on whatever the reader accepted.
#include "swf/Reader.h"
#include "swf/Writer.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    swf::Limits limits;
    limits.maxUncompressedBytes = 4 << 20;
    limits.maxBitmapPixels = 1 << 20;
    limits.maxBitmapBytes = 4 << 20;
    limits.maxTags = 50'000;
    limits.maxShapeRecords = 100'000;
    auto movie = swf::readMovie({data, size}, limits);
    if (!movie.ok())
        return 0;
    for (const auto& [id, c] : movie->dictionary)
        if (std::holds_alternative<swf::Bitmap>(c))
            (void)movie->decodeBitmap(id, limits);
    // What we read we must be able to write and read again.
    auto bytes = swf::writeMovie(*movie);
    if (bytes.ok() && !swf::readMovie(*bytes).ok())
        std::abort();
    return 0;
}
