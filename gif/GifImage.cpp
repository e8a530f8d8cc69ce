// The in-memory animated GIF: frame list, image-wide values, copying and drawing.
#include "RxGIF.h"

#include "Canvas.h"
#include "Exceptions.h"

#include <algorithm>

TGIFImage::TGIFImage()
{
    ResetImage();
    SetTransparent(true);
}

TGIFImage::~TGIFImage()
{
    // No notification may reach anyone while the image comes apart.
    OnChange = nullptr;
    m_data.reset();
    m_frames.clear();
}

void TGIFImage::ResetImage()
{
    m_data = std::make_shared<TGIFData>();
    m_frames.clear();
    m_frameIndex = -1;
    m_backgroundColor = clNone;
    m_repeatCount = 1;
    m_looping = false;
    m_version = gvNone;
}

void TGIFImage::RaiseVersion(TGIFVersion version)
{
    m_version = std::max(m_version, version);
}

int TGIFImage::AddFrame(TGraphic* graphic)
{
    m_frames.push_back(std::make_unique<TGIFFrame>(this));
    m_frameIndex = Count() - 1;
    m_frames.back()->Assign(graphic);
    RaiseVersion(gv87a);
    if (Count() > 1)
        RaiseVersion(gv89a);
    return m_frameIndex;
}

void TGIFImage::Clear()
{
    Assign(nullptr);
}

void TGIFImage::SetLooping(bool value)
{
    if (value == m_looping)
        return;
    m_looping = value;
    Changed();
}

void TGIFImage::SetRepeatCount(uint16_t value)
{
    const uint16_t stored = std::min<uint16_t>(value, 30000);
    if (stored == m_repeatCount)
        return;
    m_repeatCount = stored;
    Changed();
}

void TGIFImage::RecalcScreenSize()
{
    int width = 0, height = 0;
    for (auto& frame : m_frames) {
        width = std::max(width, frame->Width() + frame->Origin.X);
        height = std::max(height, frame->Height() + frame->Origin.Y);
    }
    m_screenWidth = uint16_t(width);
    m_screenHeight = uint16_t(height);
}

void TGIFImage::GrayscaleBackground()
{
    ColorTable& global = m_data->GlobalTable;
    const int backgroundIndex = global.IndexOf(m_backgroundColor);
    // Frames without a local table show the global one, so it is greyed whether or
    // not a background colour is set.
    for (int i = 0; i < global.EntryCount; ++i) {
        const TColor grey = GreyOf(global.ColorOf(i));
        global.Colors[size_t(i)] = {GetRValue(grey), GetGValue(grey), GetBValue(grey)};
    }
    if (m_backgroundColor == clNone)
        return;
    m_backgroundColor = backgroundIndex >= 0 ? global.ColorOf(backgroundIndex) : GreyOf(m_backgroundColor);
}

void TGIFImage::Grayscale(bool encodeNow)
{
    if (m_frames.empty())
        throw EInvalidGraphicOperation(gif_messages::NoData);
    for (auto& frame : m_frames)
        frame->Grayscale(encodeNow);
    GrayscaleBackground();
    m_paletteModified = true;
    Changed();
}

bool TGIFImage::Empty() const
{
    if (m_frames.empty())
        return true;
    const TGIFFrame& frame = *m_frames[size_t(std::clamp(m_frameIndex, 0, Count() - 1))];
    return !frame.HasBitmap() && !frame.SharedItem().HasCodedData();
}

int TGIFImage::Width() const
{
    if (Empty() || m_frameIndex < 0 || m_frameIndex >= Count())
        return 0;
    return m_frames[size_t(m_frameIndex)]->Bitmap()->Width();
}

int TGIFImage::Height() const
{
    if (Empty() || m_frameIndex < 0 || m_frameIndex >= Count())
        return 0;
    return m_frames[size_t(m_frameIndex)]->Bitmap()->Height();
}

void TGIFImage::SetWidth(int)
{
    throw EInvalidGraphicOperation(gif_messages::CannotResize);
}

void TGIFImage::SetHeight(int)
{
    throw EInvalidGraphicOperation(gif_messages::CannotResize);
}

std::vector<TRGBQuad> TGIFImage::GetPalette() const
{
    if (m_frames.empty())
        return {};
    return m_frames[size_t(std::clamp(m_frameIndex, 0, Count() - 1))]->Bitmap()->Palette();
}

bool TGIFImage::Transparent() const
{
    if (!TGraphic::Transparent())
        return false;
    return std::any_of(m_frames.begin(), m_frames.end(),
                       [](const auto& frame) { return frame->TransparentColor() != clNone; });
}

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect)
{
    if (m_frameIndex >= 0 && m_frameIndex < Count())
        m_frames[size_t(m_frameIndex)]->Draw(canvas, rect, Transparent());
}

bool TGIFImage::Equals(const TGraphic* other) const
{
    auto* image = dynamic_cast<const TGIFImage*>(other);
    return image && image->m_data == m_data;
}

void TGIFImage::Assign(const TPersistent* source)
{
    if (!source) {
        ResetImage();
        Changed();
    } else if (auto* image = dynamic_cast<const TGIFImage*>(source)) {
        if (image != this)
            AssignFromImage(*image);
    } else if (auto* frame = dynamic_cast<const TGIFFrame*>(source)) {
        AssignFromFrame(*frame);
    } else if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        ResetImage();
        AddFrame(const_cast<TBitmap*>(bitmap));
        Changed();
    } else {
        TGraphic::Assign(source);
    }
}

void TGIFImage::AssignFromImage(const TGIFImage& source)
{
    m_data = source.m_data;
    m_version = source.m_version;
    m_backgroundColor = source.m_backgroundColor;
    m_repeatCount = source.m_repeatCount;
    m_looping = source.m_looping;
    m_frames.clear();
    // Recalculating the screen after each of thousands of frames would take time
    // growing with the square of their number, for a size replaced below anyway.
    m_copyingFrames = true;
    try {
        for (const auto& sourceFrame : source.m_frames) {
            auto frame = std::make_unique<TGIFFrame>(this);
            frame->Assign(sourceFrame.get());
            frame->UsesLocalTable = sourceFrame->UsesLocalTable;
            m_frames.push_back(std::move(frame));
        }
    } catch (...) {
        m_copyingFrames = false;
        throw;
    }
    m_copyingFrames = false;
    m_screenWidth = source.m_screenWidth;
    m_screenHeight = source.m_screenHeight;
    m_frameIndex = source.m_frameIndex;
    Changed();
}

void TGIFImage::AssignFromFrame(const TGIFFrame& source)
{
    // Copy first: source may belong to this image, whose data the reset releases.
    const TGIFData sourceData = [&] {
        TGIFData copy;
        const TGIFData& from = source.OwnerImage()->SharedData();
        copy.PixelAspect = from.PixelAspect;
        copy.TableBits = from.TableBits;
        copy.ColorResolution = from.ColorResolution;
        copy.GlobalTable = from.GlobalTable;
        return copy;
    }();
    std::unique_ptr<TGIFFrame> keep;
    if (source.OwnerImage() == this) {
        // The source frame must outlive the reset that frees this image's frames.
        for (auto& frame : m_frames)
            if (frame.get() == &source)
                keep = std::move(frame);
    }
    ResetImage();
    m_data->PixelAspect = sourceData.PixelAspect;
    m_data->TableBits = sourceData.TableBits;
    m_data->ColorResolution = sourceData.ColorResolution;
    m_data->GlobalTable = sourceData.GlobalTable;
    m_frames.push_back(std::make_unique<TGIFFrame>(this));
    m_frameIndex = Count() - 1;
    m_frames.back()->Assign(&source);
    RaiseVersion(gv87a);
    Changed();
}

void TGIFImage::AssignTo(TPersistent* dest) const
{
    if (auto* image = dynamic_cast<TGIFImage*>(dest)) {
        image->Assign(this);
    } else if (auto* graphic = dynamic_cast<TGraphic*>(dest)) {
        if (Empty())
            return;
        if (m_frameIndex >= 0)
            graphic->Assign(m_frames[size_t(m_frameIndex)].get());
        else
            graphic->Assign(m_frames[0]->Bitmap());
    } else {
        TGraphic::AssignTo(dest);
    }
}

void TGIFImage::SaveToStream(TStream& stream)
{
    WriteGifStream(stream, false);
}

void TGIFImage::WriteData(TStream& stream)
{
    WriteGifStream(stream, true);
}

void TGIFImage::LoadFromStream(TStream& stream)
{
    ReadGifStream(stream, stream.Size() - stream.Position(), true);
}

void TGIFImage::ReadData(TStream& stream)
{
    uint8_t length[4];
    stream.ReadBuffer(length, 4);
    const uint32_t count = uint32_t(length[0]) | (uint32_t(length[1]) << 8) | (uint32_t(length[2]) << 16) |
                           (uint32_t(length[3]) << 24);
    ReadGifStream(stream, count, true);
}
