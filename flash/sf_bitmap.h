// TsfBitmap: the Flash host's 32-bit picture (0xAARRGGBB per pixel, rows top-down),
// with its own device context so the Flash control can draw into it while the host
// reads and writes the pixels directly.
#pragma once

#include "OleTypes.h"
#include "Persistent.h"
#include "Types.h"

#include <cstdint>
#include <memory>
#include <vector>

class TCanvas;
class TBitmap;

// The two blend variants of BlendRow. Vector is what this program uses on every
// processor it runs on; Plain is kept for comparison and tests.
enum class TsfBlendVariant { Vector, Plain };
void SetBlendVariant(TsfBlendVariant variant);
TsfBlendVariant BlendVariant();

// A key pixel's low 24 bits (red 127, green 0, blue 127): skipped by transparent drawing.
constexpr uint32_t sfKeyColor = 0x7F007F;

uint32_t ColorToPixel(TColor color, uint8_t alpha);
TColor PixelToColor(uint32_t pixel);

// Row operations on n pixels from s to d.
void CopyRow(const uint32_t* s, uint32_t* d, int n);
void KeyCopyRow(const uint32_t* s, uint32_t* d, int n);
void BlendRow(const uint32_t* s, uint32_t* d, int n);

struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 32;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

class TsfBitmap : public TPersistent {
public:
    TsfBitmap();
    ~TsfBitmap() override;
    TsfBitmap(const TsfBitmap&) = delete;
    TsfBitmap& operator=(const TsfBitmap&) = delete;

    std::string ClassName() const override { return "TsfBitmap"; }

    uint32_t* Bits() const { return m_bits; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const BITMAPINFOHEADER& Header() const { return m_header; }
    // The memory device context over the pixels; null while there is no store.
    HDC DC() const { return m_dc.get(); }

    bool AlphaBlend = false;
    bool Transparent = false;

    // Recreates the store at |w| x |h| with zero pixels (nothing when a side is 0 or
    // the size is unchanged).
    void SetSize(int w, int h);
    bool Empty() const { return m_bits == nullptr; }
    void Fill(uint32_t value);
    void FillRect(const RECT& rect, uint32_t value);
    void SetAlpha(uint8_t alpha);
    void CheckAlpha();

    uint32_t* PixelPtr(int x, int y) const { return m_bits + x + static_cast<ptrdiff_t>(y) * m_width; }
    uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t value);

    void DrawTo(HDC dc, int x, int y);
    void DrawTo(HDC dc, int x, int y, const RECT& source);
    void DrawTo(HDC dc, const RECT& dest, const RECT& source);
    void DrawToCanvas(TCanvas& canvas, int x, int y);
    void DrawToBitmap(TsfBitmap& dest, int x, int y);
    void DrawToBitmap(TsfBitmap& dest, int x, int y, const RECT& source);
    // The general form: source rectangle q of this bitmap onto rectangle r of dest.
    void DrawToBitmap(TsfBitmap& dest, const RECT& r, const RECT& q);

    void Assign(const TPersistent* source) override;

    // The registered bitmap whose device context is dc, or null.
    static TsfBitmap* FindBitmapByDC(HDC dc);

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void releaseStore();
    void assignFromBitmap(const TBitmap& bitmap);
    void drawToPixels(uint32_t* pixels, int width, int height, int stride, const RECT& r, const RECT& q);

    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    BITMAPINFOHEADER m_header;
    std::vector<uint32_t> m_store;
    std::unique_ptr<DeviceContext> m_dc;
};
