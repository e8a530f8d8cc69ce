// Builds a frame from arbitrary bytes, writes it as a GIF and reads it back: the
// colour reduction and the LZW encoder must give a file that decodes to the pixels
// it was made from (exactly, when the frame has at most 256 colours).
#include "Exceptions.h"
#include "RxGIF.h"
#include "Stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int width = 1 + data[0] % 97, height = 1 + data[1] % 61;
    const bool grey = data[2] & 1;
    const uint8_t* pixels = data + 3;
    const size_t count = size - 3;
    TBitmap bitmap(width, height, pf24bit);
    std::set<TColor> colours;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = (size_t(y) * size_t(width) + size_t(x)) * 3;
            const TColor c = RGB(pixels[at % count], pixels[(at + 1) % count], pixels[(at + 2) % count]);
            bitmap.SetPixel(x, y, c);
            colours.insert(c);
        }
    TGIFImage image;
    image.AddFrame(&bitmap);
    if (grey)
        image.Grayscale(true);
    TMemoryStream file;
    image.SaveToStream(file);
    file.SetPosition(0);
    TGIFImage back;
    back.LoadFromStream(file);
    if (back.Count() != 1)
        std::abort();
    TBitmap* decoded = back.Frames(0)->Bitmap();
    if (decoded->Width() != width || decoded->Height() != height)
        std::abort();
    if (!grey && colours.size() <= 256)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (decoded->GetPixel(x, y) != bitmap.GetPixel(x, y))
                    std::abort();
    return 0;
}
