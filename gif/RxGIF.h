// The animated GIF engine: the in-memory image (TGIFImage) with its frames, the data
// they share, and the file's extension blocks. Writing lives in GifWriter.cpp,
// reading and decoding in GifReader.cpp, the LZW coder in Lzw.cpp and the colour
// reduction in ColourReduction.cpp.
#pragma once

#include "Bitmap.h"
#include "ColourReduction.h"
#include "Graphic.h"
#include "Persistent.h"
#include "Stream.h"
#include "Types.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCanvas;

// The engine's fixed messages (all raised as EInvalidGraphicOperation).
namespace gif_messages {
inline constexpr const char* NoData = "無 GIF 格式輸入資料";            // no GIF data to process
inline constexpr const char* CannotResize = "無法調整 GIF 圖像";        // the image cannot be resized
inline constexpr const char* BadColorCount = "無效的彩色數目";          // invalid number of colours
inline constexpr const char* EncodeError = "GIF 格式編碼錯誤";          // GIF encoding error
inline constexpr const char* UnknownVersion = "不明的 GIF 版本";        // unrecognised GIF version
inline constexpr const char* UnknownExtension = "不確定的 GIF 副檔名名: %.2x";  // unknown extension label
inline constexpr const char* ReadError = "讀取資料錯誤";                // read error
} // namespace gif_messages

using TStringList = std::vector<std::string>;

enum TGIFVersion : uint8_t { gvNone = 0, gv87a = 1, gv89a = 2 };
enum TExtensionKind : uint8_t { ekGraphicControl = 0, ekPlainText = 1, ekApplication = 2, ekComment = 3 };

struct TGIFColorItem {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    friend bool operator==(const TGIFColorItem&, const TGIFColorItem&) = default;
};

// A GIF colour table (global or per frame), entries in file order red, green, blue.
struct ColorTable {
    int32_t EntryCount = 0;  // 0 = no table, else 2, 4, ... 256
    std::array<TGIFColorItem, 256> Colors{};

    TColor ColorOf(int index) const;
    // First entry holding color (system colours resolved); -1 for clNone or no match.
    int IndexOf(TColor color) const;
    void Clear() { *this = ColorTable(); }
    friend bool operator==(const ColorTable&, const ColorTable&) = default;
};

// Bounds applied while reading outside bytes.
struct TGIFReadLimits {
    int MaxFrames = 65535;
    int MaxExtensionsPerFrame = 4096;
    // Pixels of one decoded frame (width x height).
    int64_t MaxFramePixels = int64_t(1) << 26;
};

// Data shared by copies (an image's or a frame's), freed with its last holder.
class TSharedImage {
public:
    virtual ~TSharedImage() = default;

protected:
    virtual void FreeHandle() = 0;
};

class TGIFData : public TSharedImage {
public:
    ~TGIFData() override { FreeHandle(); }

    TStringList ImageComment;
    uint8_t PixelAspect = 0;
    uint8_t TableBits = 0;
    uint8_t ColorResolution = 0;
    ColorTable GlobalTable;

protected:
    void FreeHandle() override { ImageComment.clear(); }
};

class TGIFItem : public TSharedImage {
public:
    ~TGIFItem() override { FreeHandle(); }

    // LZW minimum code size, data sub-blocks and terminator, as in the file.
    std::unique_ptr<TMemoryStream> CodedData;
    TPoint Extent;
    uint8_t DescriptorFlags = 0;
    uint8_t TableBits = 0;
    ColorTable FrameTable;

    bool HasCodedData() const { return CodedData && CodedData->Size() > 0; }

protected:
    void FreeHandle() override { CodedData.reset(); }
};

// One extension block kept with a frame.
class TExtension : public TPersistent {
public:
    std::string ClassName() const override { return "TExtension"; }
    void Assign(const TPersistent* source) override;
    // The extension label of the file: $F9, $01, $FF or $FE.
    uint8_t Label() const;

    TExtensionKind Kind = ekComment;
    std::unique_ptr<TStringList> SubBlocks;
    // The first block with its size byte: 6 bytes (graphic control), 13 (plain
    // text), 12 (application); none for a comment.
    std::vector<uint8_t> FixedBlock;
};

using TExtensionList = std::vector<std::unique_ptr<TExtension>>;

class TGIFImage;

class TGIFFrame : public TPersistent {
public:
    explicit TGIFFrame(TGIFImage* owner);
    ~TGIFFrame() override;
    TGIFFrame(const TGIFFrame&) = delete;
    TGIFFrame& operator=(const TGIFFrame&) = delete;

    std::string ClassName() const override { return "TGIFFrame"; }
    TGIFImage* OwnerImage() const { return m_owner; }

    // The picture, decoded from the coded data when there is no usable bitmap.
    TBitmap* Bitmap();
    bool HasBitmap() const { return m_bitmap != nullptr; }
    void FreeBitmap() { m_bitmap.reset(); }
    int Width();
    int Height();

    TGIFItem& SharedItem() const { return *m_item; }
    const std::shared_ptr<TGIFItem>& SharedItemPtr() const { return m_item; }
    TExtensionList* ExtensionList() const { return m_extensions.get(); }
    void SetExtensionList(std::unique_ptr<TExtensionList> list) { m_extensions = std::move(list); }

    uint16_t AnimateInterval() const { return m_animateInterval; }
    void SetAnimateInterval(uint16_t value);
    TColor TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(TColor value);
    // The lines of the frame's comment extension, created on first access.
    TStringList& FrameComment();
    void SetFrameComment(const TStringList& lines) { FrameComment() = lines; }

    void Grayscale(bool encodeNow);
    void Draw(TCanvas& canvas, const TRect& rect, bool transparent);
    void Assign(const TPersistent* source) override;

    // Writing (GifWriter.cpp).
    void EncodeBitmap();
    void EncodeIndexedDib(TMemoryStream& bmp);
    void SyncGraphicControl();
    // Reading (GifReader.cpp): the frame's pixels as an indexed BMP stream.
    std::unique_ptr<TMemoryStream> DecodeToDib();

    TPoint Origin;
    bool Interlace = false;
    bool IsGrey = false;
    uint8_t Disposal = 0;
    bool UsesLocalTable = false;
    // Set by the reader when the raster data ran past the end of the file.
    bool Damaged = false;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    friend class TGIFImage;
    friend class GifFileReader;
    void Reset();
    void AssignFromFrame(const TGIFFrame& source);
    void AssignFromGraphic(TGraphic& source);
    const TStringList* ExistingComment() const;

    TGIFImage* m_owner;
    std::unique_ptr<TBitmap> m_bitmap;
    std::shared_ptr<TGIFItem> m_item;
    std::unique_ptr<TExtensionList> m_extensions;
    TColor m_transparentColor = clNone;
    uint16_t m_animateInterval = 0;
};

class TGIFImage : public TGraphic {
public:
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    std::string ClassName() const override { return "TGIFImage"; }

    // Appends a frame copied from graphic (nullptr or an empty graphic gives a frame
    // without a bitmap); returns its index.
    virtual int AddFrame(TGraphic* graphic);
    int Count() const { return int(m_frames.size()); }
    TGIFFrame* Frames(int index) const { return m_frames.at(size_t(index)).get(); }
    int FrameIndex() const { return m_frameIndex; }
    void Clear();

    bool Looping() const { return m_looping; }
    void SetLooping(bool value);
    uint16_t RepeatCount() const { return m_repeatCount; }
    void SetRepeatCount(uint16_t value);
    TColor BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(TColor value) { m_backgroundColor = value; }
    uint16_t LogicalScreenWidth() const { return Empty() ? 0 : m_screenWidth; }
    uint16_t LogicalScreenHeight() const { return Empty() ? 0 : m_screenHeight; }
    TGIFVersion FormatVersion() const { return m_version; }
    TGIFData& SharedData() const { return *m_data; }
    bool PaletteModified() const { return m_paletteModified; }
    void SetPaletteModified(bool value) { m_paletteModified = value; }

    void Grayscale(bool encodeNow);
    void RecalcScreenSize();

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    std::vector<TRGBQuad> GetPalette() const;
    bool Transparent() const override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Equals(const TGraphic* other) const;
    void Assign(const TPersistent* source) override;

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    void WriteData(TStream& stream);
    void ReadData(TStream& stream);

    // Writing (GifWriter.cpp).
    void WriteGifStream(TStream& stream, bool withLength);
    void EncodeAllFrames();
    // Reading (GifReader.cpp): count bytes from the stream's position.
    void ReadGifStream(TStream& stream, int64_t count, bool decodeFirst);

    TGIFReadLimits Limits;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    friend class TGIFFrame;
    friend class GifFileReader;
    void ResetImage();
    void RaiseVersion(TGIFVersion version);
    void AssignFromImage(const TGIFImage& source);
    void AssignFromFrame(const TGIFFrame& source);
    void GrayscaleBackground();

    std::shared_ptr<TGIFData> m_data;
    std::vector<std::unique_ptr<TGIFFrame>> m_frames;
    int m_frameIndex = -1;
    uint16_t m_screenWidth = 0;
    uint16_t m_screenHeight = 0;
    TColor m_backgroundColor = clNone;
    bool m_looping = false;
    uint16_t m_repeatCount = 1;
    TGIFVersion m_version = gvNone;
    bool m_paletteModified = false;
    // Set while copying another image's frames, whose screen size is copied after them.
    bool m_copyingFrames = false;
};

// Grey conversion of a colour: (77 r + 150 g + 29 b) >> 8 in every channel.
TColor GreyOf(TColor color);
