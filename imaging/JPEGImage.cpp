#include "JPEGImage.h"

#include "Bitmap.h"
#include "Canvas.h"
#include "JpegCodec.h"

TJPEGImage::TJPEGImage() : m_data(std::make_shared<TJPEGData>()) {}

TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const
{
    return m_bitmap ? m_bitmap->Width() : m_data->Width;
}

int TJPEGImage::Height() const
{
    return m_bitmap ? m_bitmap->Height() : m_data->Height;
}

void TJPEGImage::SetWidth(int)
{
    throw EInvalidGraphicOperation(jpeg_messages::ChangeJPGSize);
}

void TJPEGImage::SetHeight(int)
{
    throw EInvalidGraphicOperation(jpeg_messages::ChangeJPGSize);
}

bool TJPEGImage::Empty() const
{
    return (!m_bitmap || m_bitmap->Empty()) && m_data->Data.Size() == 0;
}

void TJPEGImage::newData()
{
    // Other copies keep the old data; it goes when the last of them lets go.
    m_data = std::make_shared<TJPEGData>();
}

void TJPEGImage::dropBitmap()
{
    m_bitmap.reset();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat value)
{
    if (value == m_pixelFormat)
        return;
    m_pixelFormat = value;
    // The bitmap is decoded again in the new format, but only when there is data to
    // decode it from: a bitmap not yet compressed is the only copy of the picture.
    if (m_data->Data.Size() > 0) {
        dropBitmap();
        Changed();
    }
}

void TJPEGImage::SetScale(TJPEGScale value)
{
    if (value == m_scale)
        return;
    m_scale = value;
    if (m_data->Data.Size() > 0) {
        dropBitmap();
        Changed();
    }
}

void TJPEGImage::Compress()
{
    newData();
    if (!m_bitmap || m_bitmap->Width() == 0 || m_bitmap->Height() == 0)
        return;
    m_data->Width = m_bitmap->Width();
    m_data->Height = m_bitmap->Height();
    // A 24-bit copy: the alpha byte of a 32-bit frame goes, the colour bytes stay.
    TBitmap copy(*m_bitmap);
    copy.SetPixelFormat(pf24bit);
    const TRect whole = Rect(0, 0, copy.Width(), copy.Height());
    try {
        Progress(psStarting, 0, false, whole, "");
        jpeg_codec::Compress(copy, {m_quality, m_grayscaleOutput, m_progressiveOutput}, m_data->Data);
        Progress(psEnding, 100, false, whole, "");
    } catch (const EAbort&) {
        newData();
        return;
    } catch (...) {
        newData();
        Progress(psEnding, 0, false, whole, "");
        throw;
    }
}

TBitmap* TJPEGImage::Bitmap()
{
    if (!m_bitmap && m_data->Data.Size() > 0) {
        static constexpr int denominators[] = {1, 2, 4, 8};
        jpeg_codec::DecodeSettings settings;
        settings.scaleDenominator = denominators[m_scale];
        settings.smoothing = m_smoothing;
        settings.fast = m_performance == jpBestSpeed;
        settings.maxWidth = DecodeLimits.MaxWidth;
        settings.maxHeight = DecodeLimits.MaxHeight;
        settings.maxPixels = DecodeLimits.MaxPixels;
        auto bitmap = jpeg_codec::Decode(m_data->Data.Memory(), size_t(m_data->Data.Size()), settings);
        if (m_pixelFormat == jf8Bit)
            bitmap->SetPixelFormat(pf8bit);
        m_bitmap = std::move(bitmap);
    }
    return m_bitmap.get();
}

void TJPEGImage::Assign(const TPersistent* source)
{
    if (auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        if (jpeg == this)
            return;
        m_data = jpeg->m_data;
        m_bitmap = jpeg->m_bitmap ? std::make_unique<TBitmap>(*jpeg->m_bitmap) : nullptr;
        m_quality = jpeg->m_quality;
        m_grayscaleOutput = jpeg->m_grayscaleOutput;
        m_progressiveOutput = jpeg->m_progressiveOutput;
        m_pixelFormat = jpeg->m_pixelFormat;
        m_scale = jpeg->m_scale;
        m_smoothing = jpeg->m_smoothing;
        m_performance = jpeg->m_performance;
        m_progressiveDisplay = jpeg->m_progressiveDisplay;
        Changed();
        return;
    }
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        // No compression here: that waits for Compress or the first save.
        newData();
        m_bitmap = std::make_unique<TBitmap>(*bitmap);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    if (TBitmap* bitmap = Bitmap())
        canvas.StretchDraw(rect, *bitmap);
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    auto data = std::make_shared<TJPEGData>();
    const int64_t left = stream.Size() - stream.Position();
    if (left > 0)
        data->Data.CopyFrom(stream, left);
    if (data->Data.Size() > 0) {
        const jpeg_codec::Header header = jpeg_codec::ReadHeader(data->Data.Memory(), size_t(data->Data.Size()));
        data->Width = header.width;
        data->Height = header.height;
    }
    m_data = std::move(data);
    dropBitmap();
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    if (m_data->Data.Size() == 0)
        Compress();
    const auto& bytes = m_data->Data.Bytes();
    stream.WriteBuffer(bytes.data(), bytes.size());
}
