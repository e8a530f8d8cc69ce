// Frames of the in-memory GIF: their properties, copying, grey conversion and drawing.
#include "RxGIF.h"

#include "Canvas.h"
#include "Exceptions.h"

#include <algorithm>

TColor ColorTable::ColorOf(int index) const
{
    const TGIFColorItem& c = Colors[size_t(index)];
    return RGB(c.Red, c.Green, c.Blue);
}

int ColorTable::IndexOf(TColor color) const
{
    if (color == clNone)
        return -1;
    const TColor rgb = ColorToRGB(color);
    for (int i = 0; i < std::min(EntryCount, 256); ++i)
        if (ColorOf(i) == rgb)
            return i;
    return -1;
}

TColor GreyOf(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    const int grey = (GetRValue(rgb) * 77 + GetGValue(rgb) * 150 + GetBValue(rgb) * 29) >> 8;
    return RGB(uint8_t(grey), uint8_t(grey), uint8_t(grey));
}

void TExtension::Assign(const TPersistent* source)
{
    if (auto* other = dynamic_cast<const TExtension*>(source)) {
        if (other == this)
            return;
        Kind = other->Kind;
        FixedBlock = other->FixedBlock;
        SubBlocks = other->SubBlocks ? std::make_unique<TStringList>(*other->SubBlocks) : nullptr;
        return;
    }
    TPersistent::Assign(source);
}

uint8_t TExtension::Label() const
{
    static constexpr uint8_t kLabels[] = {0xF9, 0x01, 0xFF, 0xFE};
    return kLabels[Kind & 3];
}

TGIFFrame::TGIFFrame(TGIFImage* owner) : m_owner(owner)
{
    Reset();
}

TGIFFrame::~TGIFFrame() = default;

void TGIFFrame::Reset()
{
    m_item = std::make_shared<TGIFItem>();
    IsGrey = false;
    m_transparentColor = clNone;
    Origin = TPoint{};
    Interlace = false;
    UsesLocalTable = false;
    m_animateInterval = 0;
    Disposal = 0;
}

TBitmap* TGIFFrame::Bitmap()
{
    if (m_bitmap && !m_bitmap->Empty())
        return m_bitmap.get();
    m_bitmap = std::make_unique<TBitmap>();
    if (m_item->CodedData) {
        std::unique_ptr<TMemoryStream> dib = DecodeToDib();
        if (m_item->Extent.X > 0 && m_item->Extent.Y > 0) {
            m_bitmap->LoadFromStream(*dib);
            if (!m_bitmap->Monochrome())
                m_bitmap->SetPixelFormat(pfDevice);
        }
    }
    return m_bitmap.get();
}

// A frame not yet decoded reports the size its decoding gives, without decoding: an
// image of thousands of read frames must not hold them all as bitmaps to know its size.
int TGIFFrame::Width()
{
    if (m_bitmap && !m_bitmap->Empty())
        return m_bitmap->Width();
    if (!m_item->CodedData)
        return 0;
    return m_item->Extent.X > 0 && m_item->Extent.Y > 0 ? m_item->Extent.X : 0;
}

int TGIFFrame::Height()
{
    if (m_bitmap && !m_bitmap->Empty())
        return m_bitmap->Height();
    if (!m_item->CodedData)
        return 0;
    return m_item->Extent.X > 0 && m_item->Extent.Y > 0 ? m_item->Extent.Y : 0;
}

void TGIFFrame::SetAnimateInterval(uint16_t value)
{
    if (value == m_animateInterval)
        return;
    m_animateInterval = value;
    if (value != 0)
        m_owner->RaiseVersion(gv89a);
    m_owner->Changed();
}

void TGIFFrame::SetTransparentColor(TColor value)
{
    if (value == m_transparentColor)
        return;
    m_transparentColor = value;
    if (value != clNone)
        m_owner->RaiseVersion(gv89a);
    m_owner->Changed();
}

const TStringList* TGIFFrame::ExistingComment() const
{
    if (!m_extensions)
        return nullptr;
    for (const auto& ext : *m_extensions)
        if (ext->Kind == ekComment)
            return ext->SubBlocks.get();
    return nullptr;
}

TStringList& TGIFFrame::FrameComment()
{
    if (!m_extensions)
        m_extensions = std::make_unique<TExtensionList>();
    for (auto& ext : *m_extensions) {
        if (ext->Kind == ekComment) {
            if (!ext->SubBlocks)
                ext->SubBlocks = std::make_unique<TStringList>();
            return *ext->SubBlocks;
        }
    }
    auto ext = std::make_unique<TExtension>();
    ext->Kind = ekComment;
    ext->SubBlocks = std::make_unique<TStringList>();
    m_extensions->push_back(std::move(ext));
    return *m_extensions->back()->SubBlocks;
}

void TGIFFrame::Assign(const TPersistent* source)
{
    if (!source) {
        Reset();
        m_bitmap.reset();
    } else if (auto* frame = dynamic_cast<const TGIFFrame*>(source)) {
        if (frame != this)
            AssignFromFrame(*frame);
    } else if (auto* image = dynamic_cast<const TGIFImage*>(source)) {
        if (image->Count() == 0) {
            Reset();
            m_bitmap.reset();
        } else {
            AssignFromFrame(*image->Frames(std::max(image->FrameIndex(), 0)));
        }
    } else if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        AssignFromGraphic(const_cast<TGraphic&>(*graphic));
    } else {
        TPersistent::Assign(source);
    }
    if (!m_owner->m_copyingFrames)
        m_owner->RecalcScreenSize();
}

void TGIFFrame::AssignFromFrame(const TGIFFrame& source)
{
    m_item = source.m_item;
    UsesLocalTable = source.m_owner == m_owner ? source.UsesLocalTable : true;
    Origin = source.Origin;
    Interlace = source.Interlace;
    if (source.m_bitmap)
        m_bitmap = std::make_unique<TBitmap>(*source.m_bitmap);
    m_transparentColor = source.m_transparentColor;
    m_animateInterval = source.m_animateInterval;
    Disposal = source.Disposal;
    IsGrey = source.IsGrey;
    if (const TStringList* lines = source.ExistingComment(); lines && !lines->empty())
        FrameComment() = *lines;
}

void TGIFFrame::AssignFromGraphic(TGraphic& source)
{
    if (source.Empty()) {
        Reset();
        m_bitmap.reset();
        return;
    }
    Reset();
    m_bitmap = std::make_unique<TBitmap>();
    auto* sourceBitmap = dynamic_cast<TBitmap*>(&source);
    try {
        m_bitmap->Assign(&source);
        if (sourceBitmap)
            m_bitmap->SetMonochrome(sourceBitmap->Monochrome());
    } catch (...) {
        // A graphic that cannot hand over its pixels is drawn instead, on magenta.
        m_bitmap = std::make_unique<TBitmap>();
        m_bitmap->Canvas().Brush.Color = clFuchsia;
        m_bitmap->SetSize(source.Width(), source.Height());
        m_bitmap->Canvas().FillRect(Rect(0, 0, source.Width(), source.Height()));
        m_bitmap->Canvas().Draw(0, 0, source);
    }
    if (source.Transparent()) {
        if (sourceBitmap)
            m_transparentColor = sourceBitmap->TransparentColor();
        else
            m_transparentColor = ColorToRGB(m_bitmap->Canvas().Brush.Color);
    }
}

void TGIFFrame::AssignTo(TPersistent* dest) const
{
    auto* self = const_cast<TGIFFrame*>(this);
    if (dynamic_cast<TGIFFrame*>(dest) || dynamic_cast<TGIFImage*>(dest)) {
        dest->Assign(this);
    } else if (auto* graphic = dynamic_cast<TGraphic*>(dest)) {
        graphic->Assign(self->Bitmap());
        if (auto* bitmap = dynamic_cast<TBitmap*>(dest); bitmap && m_transparentColor != clNone) {
            bitmap->SetTransparentColor(ColorToRGB(m_transparentColor));
            bitmap->SetTransparent(true);
        }
    } else {
        TPersistent::AssignTo(dest);
    }
}

void TGIFFrame::Grayscale(bool encodeNow)
{
    if (IsGrey || (!m_bitmap && !m_item->CodedData))
        return;
    if (m_item->CodedData && m_item->FrameTable.EntryCount > 0) {
        m_bitmap.reset();
        ColorTable& table = m_item->FrameTable;
        const int transparentIndex = table.IndexOf(m_transparentColor);
        for (int i = 0; i < table.EntryCount; ++i) {
            const TColor grey = GreyOf(table.ColorOf(i));
            table.Colors[size_t(i)] = {GetRValue(grey), GetGValue(grey), GetBValue(grey)};
        }
        m_transparentColor = transparentIndex >= 0 ? table.ColorOf(transparentIndex) : clNone;
        IsGrey = true;
        try {
            Bitmap();
        } catch (const EAbort&) {
        }
        return;
    }
    std::unique_ptr<TMemoryStream> grey = ReduceToIndexed(*Bitmap(), pf8bit, rmGrey);
    m_item = std::make_shared<TGIFItem>();
    if (encodeNow)
        EncodeIndexedDib(*grey);
    IsGrey = true;
    if (m_transparentColor != clNone)
        m_transparentColor = GreyOf(m_transparentColor);
    grey->SetPosition(0);
    m_bitmap = std::make_unique<TBitmap>();
    m_bitmap->LoadFromStream(*grey);
}

void TGIFFrame::Draw(TCanvas& canvas, const TRect& rect, bool transparent)
{
    TBitmap& picture = *Bitmap();
    if (!transparent || m_transparentColor == clNone) {
        canvas.StretchDraw(rect, picture);
        return;
    }
    // Stretch by nearest pixel, leaving the transparent colour undrawn.
    const TColor key = ColorToRGB(m_transparentColor);
    const int w = rect.Width(), h = rect.Height();
    if (w <= 0 || h <= 0 || picture.Empty())
        return;
    for (int y = 0; y < h; ++y) {
        const int sy = int(int64_t(y) * picture.Height() / h);
        for (int x = 0; x < w; ++x) {
            const int sx = int(int64_t(x) * picture.Width() / w);
            const TColor c = picture.GetPixel(sx, sy);
            if (c != key)
                canvas.SetPixel(rect.Left + x, rect.Top + y, c);
        }
    }
}
