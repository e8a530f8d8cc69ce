// Feeds arbitrary bytes to the PNG reader; whatever it accepts is drawn and written
// again, so the store it built is walked by every consumer.
#include "Bitmap.h"
#include "Canvas.h"
#include "Exceptions.h"
#include "Stream.h"
#include "sf_pngimage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream input(std::vector<uint8_t>(data, data + size));
    TsfPngImage image;
    image.ReadLimits.MaxWidth = 2048;
    image.ReadLimits.MaxHeight = 2048;
    image.ReadLimits.MaxPixels = 1u << 20;
    image.ReadLimits.MaxAncillaryBytes = 1u << 20;
    image.ReadLimits.MaxTextBytes = 1u << 16;
    // Both ways: with CRCs checked the fuzzer sees the real reader; without, it gets
    // past them to the decoders.
    image.ReadLimits.VerifyCrc = size > 0 && (data[size - 1] & 1);
    try {
        image.LoadFromStream(input);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    TBitmap target(17, 13, pf24bit);
    image.Draw(target.Canvas(), Rect(-3, -2, 15, 11));
    TMemoryStream output;
    image.SaveToStream(output);
    // What we wrote we must read.
    output.SetPosition(0);
    TsfPngImage again;
    again.ReadLimits = image.ReadLimits;
    again.ReadLimits.VerifyCrc = true;
    again.LoadFromStream(output);
    if (again.Width() != image.Width() || again.Height() != image.Height())
        __builtin_trap();
    return 0;
}
