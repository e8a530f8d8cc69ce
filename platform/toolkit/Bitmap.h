// The toolkit bitmap: a device-independent store of bottom-up rows padded to 4
// bytes (as a BMP file holds them), a pixel format, a palette and a canvas.
// Setting a smaller pixel format converts the pixels (see PixelFormats.h).
#pragma once

#include "Graphic.h"
#include "Types.h"

#include <cstdint>
#include <memory>
#include <vector>

class TCanvas;

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pfDevice);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap() override;

    std::string ClassName() const override { return "TBitmap"; }

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void SetWidth(int width) override { SetSize(width, m_height); }
    void SetHeight(int height) override { SetSize(m_width, height); }
    // Resizes the store; the pixels that stay inside keep their values, new ones are 0.
    void SetSize(int width, int height);
    bool Empty() const override { return m_width == 0 || m_height == 0; }
    // True when the bitmap has a pixel store (an image handle, in the toolkit's terms).
    bool HandleAllocated() const { return !Empty(); }

    TPixelFormat PixelFormat() const { return m_format; }
    // Converting to pf1bit, pf4bit or pf8bit maps every pixel to the nearest colour of
    // the new palette; growing keeps the colours.
    void SetPixelFormat(TPixelFormat format);
    int BitsPerPixel() const { return BitsPerPixelOf(m_format); }
    static int BitsPerPixelOf(TPixelFormat format);

    const std::vector<TRGBQuad>& Palette() const { return m_palette; }
    // Replaces the colour table of a 1, 4 or 8-bit bitmap (the indices stay).
    void SetPalette(const std::vector<TRGBQuad>& palette);
    bool Monochrome() const { return m_format == pf1bit; }
    void SetMonochrome(bool value);

    // The transparent colour of the picture; clDefault means the bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color) { m_transparentColor = color; }

    TCanvas& Canvas();

    // Bytes of one stored row (padded to a multiple of 4).
    int RowBytes() const { return RowBytesOf(m_width, m_format); }
    static int RowBytesOf(int width, TPixelFormat format);
    // Row y counted from the top of the picture.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    // The whole store, bottom row first.
    uint8_t* Bits() { return m_bits.data(); }
    const uint8_t* Bits() const { return m_bits.data(); }
    size_t BitsSize() const { return m_bits.size(); }

    // Colour of one pixel (through the palette for indexed formats).
    TColor GetPixel(int x, int y) const;
    // Sets one pixel; indexed formats take the nearest palette entry.
    void SetPixel(int x, int y, TColor color);

    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // BMP file streams: 1, 4, 8, 16, 24 and 32 bits, as files hold them.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Drops the pixels: the bitmap becomes empty.
    void FreeImage();

private:
    void resetStore(int width, int height, TPixelFormat format);

    int m_width = 0;
    int m_height = 0;
    TPixelFormat m_format = pfDevice;
    std::vector<TRGBQuad> m_palette;
    std::vector<uint8_t> m_bits;
    TColor m_transparentColor = clDefault;
    std::unique_ptr<TCanvas> m_canvas;
};
