#include "sf_bitmap.h"

#include "Bitmap.h"
#include "Canvas.h"
#include "DeviceContext.h"
#include "Exceptions.h"
#include "Graphic.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

TsfBlendVariant g_variant = TsfBlendVariant::Vector;

// Every bitmap that currently owns a device context.
std::set<TsfBitmap*>& registry()
{
    static std::set<TsfBitmap*> bitmaps;
    return bitmaps;
}

bool isKey(uint32_t p) { return (p & 0xFFFFFF) == sfKeyColor; }

uint32_t blendPixel(uint32_t s, uint32_t d)
{
    uint32_t a = s >> 24;
    if (a == 0)
        return d;
    if (a == 255)
        return s;
    auto channel = [](uint32_t v, int shift) { return (v >> shift) & 0xFF; };
    uint32_t out = 0;
    if (g_variant == TsfBlendVariant::Vector) {
        for (int shift = 0; shift < 24; shift += 8)
            out |= ((channel(d, shift) * (256 - a) + channel(s, shift) * a) >> 8) << shift;
        out |= ((channel(d, 24) * (256 - a) + a * a) >> 8) << 24;
    } else {
        for (int shift = 0; shift < 24; shift += 8)
            out |= ((channel(d, shift) * (255 - a) + channel(s, shift) * a) >> 8) << shift;
        out |= 0xFF000000u;
    }
    return out;
}

using RowOp = void (*)(const uint32_t*, uint32_t*, int);

RECT intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return r;
}

// Nearest-pixel map of one axis: destination index i of the clipped span (starting at
// clipStart) to a source index.
std::vector<int> axisMap(int clipStart, int clipEnd, int rStart, int rLen, int qStart, int qLen)
{
    std::vector<int> map(static_cast<size_t>(clipEnd - clipStart));
    for (int c = clipStart; c < clipEnd; ++c) {
        int v = rLen < 2 ? (qStart + qStart + qLen - 1) / 2
                         : static_cast<int>(int64_t(c - rStart) * (qLen - 1) / (rLen - 1) + qStart);
        map[c - clipStart] = v;
    }
    return map;
}

} // namespace

void SetBlendVariant(TsfBlendVariant variant) { g_variant = variant; }
TsfBlendVariant BlendVariant() { return g_variant; }

uint32_t ColorToPixel(TColor color, uint8_t alpha)
{
    TColor c = ColorToRGB(color);
    return (uint32_t(alpha) << 24) | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

TColor PixelToColor(uint32_t p) { return RGB(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)); }

void CopyRow(const uint32_t* s, uint32_t* d, int n) { std::memmove(d, s, static_cast<size_t>(n) * 4); }

void KeyCopyRow(const uint32_t* s, uint32_t* d, int n)
{
    for (int i = 0; i < n; ++i)
        if (!isKey(s[i]))
            d[i] = s[i] | 0xFF000000u;
}

void BlendRow(const uint32_t* s, uint32_t* d, int n)
{
    for (int i = 0; i < n; ++i)
        d[i] = blendPixel(s[i], d[i]);
}

TsfBitmap::TsfBitmap() = default;

TsfBitmap::~TsfBitmap() { releaseStore(); }

void TsfBitmap::releaseStore()
{
    registry().erase(this);
    m_dc.reset();
    m_store.clear();
    m_store.shrink_to_fit();
    m_bits = nullptr;
}

void TsfBitmap::SetSize(int w, int h)
{
    w = std::abs(w);
    h = std::abs(h);
    if (w == 0 || h == 0 || (w == m_width && h == m_height && m_bits))
        return;
    releaseStore();
    m_header.biWidth = w;
    m_header.biHeight = -h;
    try {
        m_store.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    } catch (const std::bad_alloc&) {
        throw Exception("Can't allocate the DIB handle");
    }
    m_bits = m_store.data();
    m_dc = std::make_unique<DeviceContext>();
    m_dc->pixels = reinterpret_cast<uint8_t*>(m_bits);
    m_dc->width = w;
    m_dc->height = h;
    m_dc->stride = w * 4;
    registry().insert(this);
    m_width = w;
    m_height = h;
}

void TsfBitmap::Fill(uint32_t value)
{
    if (m_bits)
        std::fill(m_store.begin(), m_store.end(), value);
}

void TsfBitmap::FillRect(const RECT& rect, uint32_t value)
{
    if (!m_bits)
        return;
    RECT k = intersect(rect, RECT{0, 0, m_width, m_height});
    if (k.width() <= 0 || k.height() <= 0)
        return;
    std::vector<uint32_t> row(static_cast<size_t>(k.width()), value);
    for (int y = k.top; y < k.bottom; ++y) {
        if (AlphaBlend)
            BlendRow(row.data(), PixelPtr(k.left, y), k.width());
        else
            std::fill_n(PixelPtr(k.left, y), k.width(), value);
    }
}

void TsfBitmap::SetAlpha(uint8_t alpha)
{
    for (uint32_t& p : m_store)
        p = (p & 0xFFFFFF) | (uint32_t(alpha) << 24);
}

void TsfBitmap::CheckAlpha()
{
    AlphaBlend = std::any_of(m_store.begin(), m_store.end(), [](uint32_t p) {
        uint32_t a = p >> 24;
        return a != 0 && a != 255;
    });
}

uint32_t TsfBitmap::Pixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return *PixelPtr(x, y);
}

void TsfBitmap::SetPixel(int x, int y, uint32_t value)
{
    if (m_bits && x >= 0 && y >= 0 && x < m_width && y < m_height)
        *PixelPtr(x, y) = value;
}

void TsfBitmap::drawToPixels(uint32_t* pixels, int width, int height, int stride, const RECT& r, const RECT& q)
{
    if (!m_bits || q.width() <= 0 || q.height() <= 0)
        return;
    RECT k = intersect(r, RECT{0, 0, width, height});
    if (k.width() <= 0 || k.height() <= 0)
        return;
    if (q.left < 0 || q.top < 0 || q.right > m_width || q.bottom > m_height)
        return;
    RowOp op = AlphaBlend ? BlendRow : Transparent ? KeyCopyRow : CopyRow;
    auto destRow = [&](int y) { return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + ptrdiff_t(y) * stride); };

    if (r.width() == q.width() && r.height() == q.height()) {
        for (int y = k.top; y < k.bottom; ++y)
            op(PixelPtr(q.left + k.left - r.left, q.top + y - r.top), destRow(y) + k.left, k.width());
        return;
    }
    std::vector<int> columns = axisMap(k.left, k.right, r.left, r.width(), q.left, q.width());
    std::vector<int> rows = axisMap(k.top, k.bottom, r.top, r.height(), q.top, q.height());
    std::vector<uint32_t> gathered(columns.size());
    for (int y = k.top; y < k.bottom; ++y) {
        int sy = rows[y - k.top];
        uint32_t* d = destRow(y) + k.left;
        if (op == CopyRow && y > k.top && sy == rows[y - k.top - 1]) {
            CopyRow(destRow(y - 1) + k.left, d, k.width());
            continue;
        }
        const uint32_t* s = PixelPtr(0, sy);
        for (size_t i = 0; i < columns.size(); ++i)
            gathered[i] = s[columns[i]];
        op(gathered.data(), d, k.width());
    }
}

void TsfBitmap::DrawToBitmap(TsfBitmap& dest, const RECT& r, const RECT& q)
{
    if (dest.m_bits)
        drawToPixels(dest.m_bits, dest.m_width, dest.m_height, dest.m_width * 4, r, q);
}

void TsfBitmap::DrawToBitmap(TsfBitmap& dest, int x, int y) { DrawToBitmap(dest, x, y, RECT{0, 0, m_width, m_height}); }

void TsfBitmap::DrawToBitmap(TsfBitmap& dest, int x, int y, const RECT& source)
{
    DrawToBitmap(dest, RECT{x, y, x + source.width(), y + source.height()}, source);
}

void TsfBitmap::DrawTo(HDC dc, const RECT& dest, const RECT& source)
{
    if (!dc)
        return;
    // A context is a surface of pixels here, so every route of the platform (blend
    // through a scratch copy, transparent blit, stretch blit) comes down to drawing on
    // those pixels with the row operation of the flags.
    RECT r = dc->logicalToDevice(dest);
    if (TsfBitmap* target = FindBitmapByDC(dc)) {
        DrawToBitmap(*target, r, source);
        return;
    }
    drawToPixels(reinterpret_cast<uint32_t*>(dc->pixels), dc->width, dc->height, dc->stride, r, source);
}

void TsfBitmap::DrawTo(HDC dc, int x, int y) { DrawTo(dc, x, y, RECT{0, 0, m_width, m_height}); }

void TsfBitmap::DrawTo(HDC dc, int x, int y, const RECT& source)
{
    DrawTo(dc, RECT{x, y, x + source.width(), y + source.height()}, source);
}

void TsfBitmap::DrawToCanvas(TCanvas& canvas, int x, int y)
{
    // A toolkit canvas draws on its bitmap, whose rows are stored bottom-up.
    TBitmap& bitmap = canvas.Bitmap();
    if (bitmap.Empty())
        return;
    bitmap.SetPixelFormat(pf32bit);
    drawToPixels(reinterpret_cast<uint32_t*>(bitmap.ScanLine(0)), bitmap.Width(), bitmap.Height(), -bitmap.RowBytes(),
                 RECT{x, y, x + m_width, y + m_height}, RECT{0, 0, m_width, m_height});
}

TsfBitmap* TsfBitmap::FindBitmapByDC(HDC dc)
{
    for (TsfBitmap* b : registry())
        if (b->m_dc.get() == dc)
            return b;
    return nullptr;
}

void TsfBitmap::assignFromBitmap(const TBitmap& bitmap)
{
    SetSize(bitmap.Width(), bitmap.Height());
    if (!m_bits)
        return;
    if (bitmap.PixelFormat() == pf32bit || bitmap.PixelFormat() == pfDevice) {
        for (int y = 0; y < m_height; ++y)
            std::memcpy(PixelPtr(0, y), bitmap.ScanLine(y), static_cast<size_t>(m_width) * 4);
        CheckAlpha();
        return;
    }
    TBitmap converted(bitmap);
    converted.SetPixelFormat(pf32bit);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(PixelPtr(0, y), converted.ScanLine(y), static_cast<size_t>(m_width) * 4);
    SetAlpha(255);
}

void TsfBitmap::Assign(const TPersistent* source)
{
    if (auto* other = dynamic_cast<const TsfBitmap*>(source)) {
        SetSize(other->m_width, other->m_height);
        if (!m_bits || !other->m_bits)
            return;
        std::copy(other->m_store.begin(), other->m_store.end(), m_store.begin());
        AlphaBlend = other->AlphaBlend;
        Transparent = other->Transparent;
        return;
    }
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        assignFromBitmap(*bitmap);
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        auto* g = const_cast<TGraphic*>(graphic);
        SetSize(g->Width(), g->Height());
        if (!m_bits)
            return;
        // Draw onto magenta; whatever stays magenta was not painted by the graphic.
        TBitmap scratch(m_width, m_height, pf32bit);
        scratch.Canvas().Brush.Color = clFuchsia;
        scratch.Canvas().FillRect(Rect(0, 0, m_width, m_height));
        g->Draw(scratch.Canvas(), Rect(0, 0, m_width, m_height));
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                TColor c = scratch.GetPixel(x, y);
                if (c != clFuchsia)
                    SetPixel(x, y, ColorToPixel(c, 0));
            }
        SetAlpha(255);
        return;
    }
    TPersistent::Assign(source);
}

void TsfBitmap::AssignTo(TPersistent* dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->SetPixelFormat(pf32bit);
        bitmap->SetSize(m_width, m_height);
        if (bitmap->Empty() || !m_bits)
            return;
        const_cast<TsfBitmap*>(this)->drawToPixels(reinterpret_cast<uint32_t*>(bitmap->ScanLine(0)), m_width, m_height,
                                                   -bitmap->RowBytes(), RECT{0, 0, m_width, m_height},
                                                   RECT{0, 0, m_width, m_height});
        return;
    }
    TPersistent::AssignTo(dest);
}
