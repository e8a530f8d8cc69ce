// The JPEG image: a frame bitmap and/or its compressed JPEG data, compressed through
// libjpeg when asked (Compress) or when first saved, decoded when drawn without a bitmap.
// Copies made by Assign share the compressed data.
#pragma once

#include "Exceptions.h"
#include "Graphic.h"
#include "Stream.h"

#include <cstdint>
#include <memory>

class TBitmap;

// A libjpeg error; the message carries the library's message code.
class EJPEG : public EInvalidGraphic {
public:
    explicit EJPEG(const std::string& message) : EInvalidGraphic(message) {}
};

namespace jpeg_messages {
inline constexpr const char* JPEGError = "JPEG 錯誤 #%d";              // JPEG error number
inline constexpr const char* ChangeJPGSize = "無法變更該 JPEG 的大小";  // the JPEG's size cannot be changed
} // namespace jpeg_messages

enum TJPEGPixelFormat { jf24Bit, jf8Bit };
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

// Bounds for decoding JPEG bytes from outside.
struct TJPEGDecodeLimits {
    uint32_t MaxWidth = 16384;
    uint32_t MaxHeight = 16384;
    uint64_t MaxPixels = 40u * 1024 * 1024;
};

// The compressed data, shared between copies.
struct TJPEGData {
    TMemoryStream Data;
    int Width = 0;
    int Height = 0;
};

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    std::string ClassName() const override { return "TJPEGImage"; }
    int Width() const override;
    int Height() const override;
    // Raise EInvalidGraphicOperation: a JPEG keeps its size.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    bool Empty() const override;

    uint8_t Quality() const { return m_quality; }
    void SetQuality(uint8_t value) { m_quality = value < 1 ? 1 : value > 100 ? 100 : value; }
    bool GrayscaleOutput() const { return m_grayscaleOutput; }
    void SetGrayscaleOutput(bool value) { m_grayscaleOutput = value; }
    bool ProgressiveOutput() const { return m_progressiveOutput; }
    void SetProgressiveOutput(bool value) { m_progressiveOutput = value; }
    // Decoding settings.
    TJPEGPixelFormat PixelFormat() const { return m_pixelFormat; }
    void SetPixelFormat(TJPEGPixelFormat value);
    TJPEGScale Scale() const { return m_scale; }
    void SetScale(TJPEGScale value);
    bool Smoothing() const { return m_smoothing; }
    void SetSmoothing(bool value) { m_smoothing = value; }
    TJPEGPerformance Performance() const { return m_performance; }
    void SetPerformance(TJPEGPerformance value) { m_performance = value; }
    bool ProgressiveDisplay() const { return m_progressiveDisplay; }
    void SetProgressiveDisplay(bool value) { m_progressiveDisplay = value; }
    TJPEGDecodeLimits DecodeLimits;

    // Encodes the held bitmap into new data at the current settings.
    void Compress();
    // The compressed bytes (empty until compressed or loaded).
    const std::vector<uint8_t>& Data() const { return m_data->Data.Bytes(); }
    bool HasBitmap() const { return m_bitmap != nullptr; }
    // The held bitmap, decoded from the data first when there is none (null when empty).
    TBitmap* Bitmap();

    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void LoadFromStream(TStream& stream) override;
    // Compresses first when there is no data, then writes the data unchanged.
    void SaveToStream(TStream& stream) override;

private:
    void dropBitmap();
    void newData();

    std::shared_ptr<TJPEGData> m_data;
    std::unique_ptr<TBitmap> m_bitmap;
    uint8_t m_quality = 90;
    bool m_grayscaleOutput = false;
    bool m_progressiveOutput = false;
    TJPEGPixelFormat m_pixelFormat = jf24Bit;
    TJPEGScale m_scale = jsFullSize;
    bool m_smoothing = true;
    TJPEGPerformance m_performance = jpBestQuality;
    bool m_progressiveDisplay = false;
};
