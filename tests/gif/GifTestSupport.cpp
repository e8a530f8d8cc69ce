#include "GifTestSupport.h"

#include "Stream.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace gif_test {

TBitmap MakeBitmap(int width, int height, const std::function<TColor(int x, int y)>& colour)
{
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            TColor c = colour(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    return bitmap;
}

std::vector<uint8_t> SaveBytes(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

void LoadBytes(TGIFImage& image, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream(bytes);
    image.LoadFromStream(stream);
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string TempPath(const std::string& name)
{
    return std::string(TOVRANE_BINARY_DIR) + "/gif-test-" + std::to_string(getpid()) + "-" + name;
}

namespace {

struct MemoryInput {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

int ReadMemory(GifFileType* file, GifByteType* buffer, int count)
{
    auto* in = static_cast<MemoryInput*>(file->UserData);
    size_t n = std::min(size_t(count), in->bytes->size() - in->at);
    std::memcpy(buffer, in->bytes->data() + in->at, n);
    in->at += n;
    return int(n);
}

int WriteMemory(GifFileType* file, const GifByteType* buffer, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(file->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

TColor ColourOf(const GifColorType& c)
{
    return RGB(c.Red, c.Green, c.Blue);
}

} // namespace

GiflibImage DecodeWithGiflib(const std::vector<uint8_t>& bytes)
{
    GiflibImage result;
    MemoryInput input{&bytes};
    int error = 0;
    GifFileType* file = DGifOpen(&input, ReadMemory, &error);
    if (!file) {
        result.error = GifErrorString(error);
        return result;
    }
    if (DGifSlurp(file) != GIF_OK) {
        result.error = GifErrorString(file->Error);
        DGifCloseFile(file, &error);
        return result;
    }
    result.ok = true;
    result.width = file->SWidth;
    result.height = file->SHeight;
    result.version = bytes.size() >= 6 ? std::string(bytes.begin() + 3, bytes.begin() + 6) : "";
    auto comments = [&](const ExtensionBlock* blocks, int count) {
        for (int i = 0; i < count; ++i)
            if (blocks[i].Function == COMMENT_EXT_FUNC_CODE)
                result.comments.emplace_back(reinterpret_cast<const char*>(blocks[i].Bytes), size_t(blocks[i].ByteCount));
    };
    comments(file->ExtensionBlocks, file->ExtensionBlockCount);
    for (int i = 0; i < file->ImageCount; ++i) {
        const SavedImage& image = file->SavedImages[i];
        GiflibFrame frame;
        frame.left = image.ImageDesc.Left;
        frame.top = image.ImageDesc.Top;
        frame.width = image.ImageDesc.Width;
        frame.height = image.ImageDesc.Height;
        frame.interlace = image.ImageDesc.Interlace;
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
        const size_t n = size_t(frame.width) * size_t(frame.height);
        frame.indices.assign(image.RasterBits, image.RasterBits + n);
        // DGifSlurp has already put interlaced rows in picture order.
        for (uint8_t index : frame.indices)
            frame.pixels.push_back(map && index < map->ColorCount ? ColourOf(map->Colors[index]) : clNone);
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(file, i, &gcb) == GIF_OK) {
            for (int e = 0; e < image.ExtensionBlockCount; ++e) {
                if (image.ExtensionBlocks[e].Function == GRAPHICS_EXT_FUNC_CODE) {
                    frame.delay = gcb.DelayTime;
                    frame.transparentIndex = gcb.TransparentColor;
                    frame.disposal = gcb.DisposalMode;
                    if (map && gcb.TransparentColor >= 0 && gcb.TransparentColor < map->ColorCount)
                        frame.transparentColour = ColourOf(map->Colors[gcb.TransparentColor]);
                }
            }
        }
        comments(image.ExtensionBlocks, image.ExtensionBlockCount);
        for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& app = image.ExtensionBlocks[e];
            if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
                (std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 || std::memcmp(app.Bytes, "ANIMEXTS1.0", 11) == 0)) {
                const ExtensionBlock& sub = image.ExtensionBlocks[e + 1];
                if (sub.ByteCount >= 3 && sub.Bytes[0] == 1)
                    result.loopCount = sub.Bytes[1] | (sub.Bytes[2] << 8);
            }
        }
        result.frames.push_back(std::move(frame));
    }
    DGifCloseFile(file, &error);
    return result;
}

std::vector<uint8_t> EncodeWithGiflib(int width, int height, const std::vector<GiflibWriteFrame>& frames,
                                      int loopCount, const std::string& comment)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, WriteMemory, &error);
    EXPECT_NE(file, nullptr);
    EGifSetGifVersion(file, true);
    EXPECT_EQ(EGifPutScreenDesc(file, width, height, 8, 0, nullptr), GIF_OK);
    if (loopCount >= 0) {
        const uint8_t loop[3] = {1, uint8_t(loopCount), uint8_t(loopCount >> 8)};
        EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(file, 11, "NETSCAPE2.0");
        EGifPutExtensionBlock(file, 3, loop);
        EGifPutExtensionTrailer(file);
    }
    for (const GiflibWriteFrame& f : frames) {
        GraphicsControlBlock gcb{f.disposal, false, f.delay, f.transparentIndex};
        GifByteType block[4];
        EGifGCBToExtension(&gcb, block);
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, block);
        int bits = 1;
        while ((1 << bits) < int(f.table.size()))
            ++bits;
        ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
        for (size_t i = 0; i < f.table.size(); ++i)
            map->Colors[i] = GifColorType{GetRValue(f.table[i]), GetGValue(f.table[i]), GetBValue(f.table[i])};
        EXPECT_EQ(EGifPutImageDesc(file, 0, 0, f.width, f.height, f.interlace, map), GIF_OK);
        static const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
        std::vector<int> order;
        if (f.interlace) {
            for (int pass = 0; pass < 4; ++pass)
                for (int y = starts[pass]; y < f.height; y += steps[pass])
                    order.push_back(y);
        } else {
            for (int y = 0; y < f.height; ++y)
                order.push_back(y);
        }
        for (int y : order)
            EXPECT_EQ(EGifPutLine(file, const_cast<GifPixelType*>(&f.indices[size_t(y) * size_t(f.width)]), f.width), GIF_OK);
        GifFreeMapObject(map);
    }
    if (!comment.empty())
        EGifPutComment(file, comment.c_str());
    EGifCloseFile(file, &error);
    return out;
}

std::vector<TColor> FramePixels(TGIFFrame& frame)
{
    TBitmap* bitmap = frame.Bitmap();
    std::vector<TColor> pixels;
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            pixels.push_back(bitmap->GetPixel(x, y));
    return pixels;
}

void ExpectGiflibAgrees(const std::vector<uint8_t>& bytes, TGIFImage& written)
{
    GiflibImage theirs = DecodeWithGiflib(bytes);
    ASSERT_TRUE(theirs.ok) << theirs.error;
    TGIFImage ours;
    LoadBytes(ours, bytes);
    ASSERT_EQ(int(theirs.frames.size()), written.Count());
    ASSERT_EQ(ours.Count(), written.Count());
    EXPECT_EQ(theirs.width, written.LogicalScreenWidth());
    EXPECT_EQ(theirs.height, written.LogicalScreenHeight());
    EXPECT_EQ(theirs.loopCount, written.Looping() && written.Count() > 1 ? written.RepeatCount() : -1);
    for (int i = 0; i < written.Count(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        TGIFFrame& frame = *written.Frames(i);
        const GiflibFrame& f = theirs.frames[size_t(i)];
        EXPECT_EQ(f.left, frame.Origin.X);
        EXPECT_EQ(f.top, frame.Origin.Y);
        EXPECT_EQ(f.width, frame.SharedItem().Extent.X);
        EXPECT_EQ(f.height, frame.SharedItem().Extent.Y);
        const bool hasControl = frame.AnimateInterval() > 0 || frame.TransparentColor() != clNone || frame.Disposal != 0;
        if (hasControl) {
            EXPECT_EQ(f.delay, frame.AnimateInterval() / 10);
            EXPECT_EQ(f.disposal, frame.Disposal);
        }
        const int transparent = frame.SharedItem().FrameTable.IndexOf(frame.TransparentColor());
        EXPECT_EQ(f.transparentIndex, transparent);
        if (transparent >= 0)
            EXPECT_EQ(f.transparentColour, ColorToRGB(frame.TransparentColor()));
        EXPECT_EQ(f.pixels, FramePixels(*ours.Frames(i)));
    }
}

} // namespace gif_test
