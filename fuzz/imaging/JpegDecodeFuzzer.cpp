// Feeds arbitrary bytes to the JPEG image's loading and decoding: libjpeg errors must
// come back as EJPEG, never end the process or leak the decompressor.
#include "Bitmap.h"
#include "JPEGImage.h"
#include "Stream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream input(std::vector<uint8_t>(data, data + size));
    TJPEGImage image;
    image.DecodeLimits.MaxPixels = 1u << 20;
    image.DecodeLimits.MaxWidth = 4096;
    image.DecodeLimits.MaxHeight = 4096;
    try {
        image.LoadFromStream(input);
        if (size > 0 && (data[0] & 1))
            image.SetScale(jsQuarter);
        image.Bitmap();
    } catch (const EJPEG&) {
    }
    return 0;
}
