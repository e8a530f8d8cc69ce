// Reads arbitrary bytes as a GIF file, decodes every frame, writes the result again
// and reads that back: the reader, the LZW decoder and the writer of coded frames.
#include "Exceptions.h"
#include "RxGIF.h"
#include "Stream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TGIFImage image;
    // Small frames keep each run fast; the checks do not depend on the size.
    image.Limits.MaxFramePixels = 1 << 20;
    image.Limits.MaxFrames = 256;
    TMemoryStream input(std::vector<uint8_t>(data, data + size));
    try {
        image.LoadFromStream(input);
    } catch (const Exception&) {
    }
    try {
        for (int i = 0; i < image.Count(); ++i)
            image.Frames(i)->Bitmap();
        if (image.Count() > 0) {
            TMemoryStream output;
            image.SaveToStream(output);
            output.SetPosition(0);
            TGIFImage again;
            again.Limits = image.Limits;
            again.LoadFromStream(output);
        }
    } catch (const Exception&) {
    }
    return 0;
}
