// The program's PNG image: one picture held as an ordered list of chunk layers,
// written as a PNG file and read back from one.
//
// The IHDR layer owns the pixel store: bottom-up rows padded to 4 bytes like a DIB
// (blue, green, red for true colour; palette indices for grey and palette images),
// plus a top-down alpha plane for the colour types with alpha. Samples of 16-bit
// images keep their high byte only.
#pragma once

#include "Graphic.h"
#include "Types.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TStream;
class TsfPngImage;

// PNG colour types.
namespace sf_png {
constexpr uint8_t ctGrey = 0;
constexpr uint8_t ctRGB = 2;
constexpr uint8_t ctPalette = 3;
constexpr uint8_t ctGreyAlpha = 4;
constexpr uint8_t ctRGBA = 6;
} // namespace sf_png

// PNG filter types; a filter set holds bit n for filter type n.
enum TsfPngFilter : uint8_t { sfFilterNone, sfFilterSub, sfFilterUp, sfFilterAverage, sfFilterPaeth };
using TsfPngFilterSet = uint8_t;
constexpr TsfPngFilterSet FilterBit(TsfPngFilter filter) { return TsfPngFilterSet(1u << filter); }

enum TsfPngTransparencyMode { ptmNone, ptmBit, ptmPartial };

// Bounds for reading PNG bytes from outside: a file may claim anything.
struct TsfPngReadLimits {
    uint32_t MaxWidth = 16384;
    uint32_t MaxHeight = 16384;
    uint64_t MaxPixels = 16u * 1024 * 1024;
    // Ancillary chunk bodies kept (text, unknown chunks), in total.
    uint32_t MaxAncillaryBytes = 4u * 1024 * 1024;
    uint32_t MaxChunks = 4096;
    // Inflated size of one zTXt text.
    uint32_t MaxTextBytes = 1u * 1024 * 1024;
    // Off only for fuzzing, so that mutated bytes reach the decoders behind the CRC.
    bool VerifyCrc = true;
};

// One chunk. The base class stands for any chunk type we do not interpret and keeps
// its body as it was read.
class TsfPngLayer {
public:
    explicit TsfPngLayer(TsfPngImage* owner, std::string layerName = "");
    virtual ~TsfPngLayer() = default;
    TsfPngLayer(const TsfPngLayer&) = delete;
    TsfPngLayer& operator=(const TsfPngLayer&) = delete;

    // The chunk type, four letters.
    virtual std::string GetLayerName() const { return LayerName; }
    // Copies the content of a layer of the same type.
    virtual void AssignLayer(const TsfPngLayer& source);
    // Takes a chunk body read from a file; false when the body is malformed.
    virtual bool LoadLayer(const uint8_t* body, uint32_t size);
    // Writes the whole chunk: length, type, body, CRC.
    virtual void SaveLayer(TStream& stream);

    const std::vector<uint8_t>& Data() const { return m_data; }
    virtual uint32_t DataSize() const { return static_cast<uint32_t>(m_data.size()); }
    TsfPngImage* Owner() const { return m_owner; }

    std::string LayerName;

protected:
    std::vector<uint8_t> m_data;
    TsfPngImage* m_owner;
};

class TsfPngLayerIHDR : public TsfPngLayer {
public:
    static constexpr const char* kName = "IHDR";
    explicit TsfPngLayerIHDR(TsfPngImage* owner) : TsfPngLayer(owner, kName) {}
    void AssignLayer(const TsfPngLayer& source) override;
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;

    // Allocates the store for the header fields (all pixels 0, alpha 0) and sets up
    // the grey ramp or the starting palette. False when the size is out of range.
    bool PrepareStore();
    // Bits per pixel of the store: 24 for true colour, else the index width.
    int StoreBitCount() const;
    // Replaces the store by one for an 8-bit grey image, mapping each index to its grey.
    void WidenGreyTo8Bits();
    void FillGreyRamp();

    bool HasPalette = false;
    std::vector<TRGBQuad> Palette;  // 2^StoreBitCount entries for indexed stores
    std::vector<uint8_t> PixelData;  // RowStride * Height bytes, bottom row first
    std::vector<uint8_t> AlphaData;  // Width * Height bytes, top row first
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t BitDepth = 0;
    uint8_t ColorType = 0;
    uint8_t CompressionMethod = 0;
    uint8_t FilterMethod = 0;
    uint8_t InterlaceMethod = 0;
    int32_t RowStride = 0;
};

// The image data. Holds nothing itself: saving encodes the owner's pixel store.
class TsfPngLayerIDAT : public TsfPngLayer {
public:
    static constexpr const char* kName = "IDAT";
    explicit TsfPngLayerIDAT(TsfPngImage* owner) : TsfPngLayer(owner, kName) {}
    void AssignLayer(const TsfPngLayer&) override {}
    void SaveLayer(TStream& stream) override;
};

class TsfPngLayerPLTE : public TsfPngLayer {
public:
    static constexpr const char* kName = "PLTE";
    explicit TsfPngLayerPLTE(TsfPngImage* owner) : TsfPngLayer(owner, kName) {}
    void AssignLayer(const TsfPngLayer& source) override;
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;
    // Entries written; 0 means all entries of the store's palette.
    uint32_t Count = 0;
};

class TsfPngLayertRNS : public TsfPngLayer {
public:
    static constexpr const char* kName = "tRNS";
    explicit TsfPngLayertRNS(TsfPngImage* owner) : TsfPngLayer(owner, kName) { Transparency.fill(255); }
    void AssignLayer(const TsfPngLayer& source) override;
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;
    uint32_t DataSize() const override { return Size; }
    // Palette images: one alpha per entry. Grey: a 16-bit grey sample, RGB: three
    // 16-bit samples, big-endian, as the chunk holds them.
    std::array<uint8_t, 256> Transparency;
    uint32_t Size = 0;
};

class TsfPngLayergAMA : public TsfPngLayer {
public:
    static constexpr const char* kName = "gAMA";
    explicit TsfPngLayergAMA(TsfPngImage* owner) : TsfPngLayer(owner, kName) {}
    void AssignLayer(const TsfPngLayer& source) override;
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;
    uint32_t Gamma = 1;  // gamma times 100000
};

class TsfPngLayerpHYs : public TsfPngLayer {
public:
    static constexpr const char* kName = "pHYs";
    explicit TsfPngLayerpHYs(TsfPngImage* owner) : TsfPngLayer(owner, kName) {}
    void AssignLayer(const TsfPngLayer& source) override;
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;
    uint32_t PPUnitX = 0;
    uint32_t PPUnitY = 0;
    uint8_t Unit = 0;
};

class TsfPngLayertIME : public TsfPngLayer {
public:
    static constexpr const char* kName = "tIME";
    explicit TsfPngLayertIME(TsfPngImage* owner) : TsfPngLayer(owner, kName) {}
    void AssignLayer(const TsfPngLayer& source) override;
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;
    uint16_t Year = 0;
    uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TsfPngLayertEXt : public TsfPngLayer {
public:
    static constexpr const char* kName = "tEXt";
    explicit TsfPngLayertEXt(TsfPngImage* owner, std::string layerName = kName) : TsfPngLayer(owner, std::move(layerName)) {}
    void AssignLayer(const TsfPngLayer& source) override;
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;
    std::string Keyword;
    std::string Text;
};

class TsfPngLayerzTXt : public TsfPngLayertEXt {
public:
    static constexpr const char* kName = "zTXt";
    explicit TsfPngLayerzTXt(TsfPngImage* owner) : TsfPngLayertEXt(owner, kName) {}
    bool LoadLayer(const uint8_t* body, uint32_t size) override;
    void SaveLayer(TStream& stream) override;
};

class TsfPngLayerIEND : public TsfPngLayer {
public:
    static constexpr const char* kName = "IEND";
    explicit TsfPngLayerIEND(TsfPngImage* owner) : TsfPngLayer(owner, kName) {}
};

class TsfPngPointerList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    TsfPngLayer* Item(int index) const { return m_items.at(static_cast<size_t>(index)).get(); }

protected:
    std::vector<std::unique_ptr<TsfPngLayer>> m_items;
};

// The layers in file order; AddLayer places each kind where a PNG file needs it.
class TsfPngList : public TsfPngPointerList {
public:
    explicit TsfPngList(TsfPngImage& owner) : m_owner(owner) {}
    // Creates a layer of the given chunk type at its place; null when refused.
    TsfPngLayer* AddLayer(const std::string& layerName);
    template <class Layer> Layer* AddLayer() { return static_cast<Layer*>(AddLayer(Layer::kName)); }
    TsfPngLayer* FindLayer(const std::string& layerName) const;
    template <class Layer> Layer* FindLayer() const { return static_cast<Layer*>(FindLayer(Layer::kName)); }
    void Clear() { m_items.clear(); }
    // Appends a copy of layer (used when copying a whole, already ordered image).
    void AppendCopy(const TsfPngLayer& layer);

private:
    int placeFor(const std::string& layerName) const;
    int indexOf(const std::string& layerName) const;
    TsfPngImage& m_owner;
};

class TsfPngImage : public TGraphic {
public:
    TsfPngImage();
    // The plain constructor, then a new image of the given format with all pixels 0;
    // an unaccepted format or size leaves an image with no layers.
    TsfPngImage(uint8_t colorType, uint8_t bitDepth, int width, int height);
    static std::unique_ptr<TsfPngImage> CreateSized(uint8_t colorType, uint8_t bitDepth, int width, int height);
    ~TsfPngImage() override;

    std::string ClassName() const override { return "TsfPngImage"; }
    int Width() const override;
    int Height() const override;
    bool Empty() const override { return m_layers.Count() == 0; }

    int32_t IdatLimit() const { return m_idatLimit; }
    void SetIdatLimit(int32_t value) { m_idatLimit = value < 65535 ? 65535 : value; }
    uint8_t InterlaceMethod() const { return m_interlaceMethod; }
    void SetInterlaceMethod(uint8_t value) { m_interlaceMethod = value ? 1 : 0; }
    TsfPngList& Layers() { return m_layers; }
    const TsfPngList& Layers() const { return m_layers; }
    TsfPngFilterSet FilterSet() const { return m_filterSet; }
    void SetFilterSet(TsfPngFilterSet value) { m_filterSet = value & 0x1F; }
    uint8_t CompressionLevel() const { return m_compressionLevel; }
    void SetCompressionLevel(uint8_t value) { m_compressionLevel = value > 9 ? 9 : value; }
    std::array<uint8_t, 256> InverseGammaTable;
    std::array<uint8_t, 256> GammaTable;
    bool Building = false;
    TsfPngReadLimits ReadLimits;

    TsfPngLayerIHDR* HeaderLayer() const;
    void AddAlpha();
    TColor Pixels(int x, int y) const;
    void SetPixels(int x, int y, TColor color);
    uint8_t* AlphaRow(int y);
    uint8_t* PixelRow(int y);
    const uint8_t* PixelRow(int y) const;
    // Palette entries of indexed stores (grey ramp or palette).
    TColor PaletteColor(int index) const;
    void SetPaletteColor(int index, TColor color);
    TsfPngTransparencyMode TransparencyMode() const;

    // Copies another PNG image, converts a toolkit bitmap; null clears the image.
    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // Raises EInvalidGraphic when the bytes are not a PNG file we can read; the image
    // is then empty.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Empties the image and resets the gamma tables.
    void ClearLayers();
    void SetGamma(uint32_t gammaTimes100000);

private:
    void initSized(uint8_t colorType, uint8_t bitDepth, int width, int height);
    void assignPng(const TsfPngImage& source);
    void assignBitmap(const TBitmap& source);

    int32_t m_idatLimit = 65535;
    uint8_t m_interlaceMethod = 0;
    TsfPngList m_layers;
    TsfPngFilterSet m_filterSet = FilterBit(sfFilterSub);
    uint8_t m_compressionLevel = 7;
};
