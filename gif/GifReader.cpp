// Reading GIF files into the in-memory image. Frames keep their raster data coded;
// a frame is decoded when its bitmap is first asked for. Every read is checked
// against the bytes actually held, whatever the file's own fields claim.
#include "RxGIF.h"

#include "BmpHeaders.h"
#include "Exceptions.h"
#include "Lzw.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

[[noreturn]] void RaiseStreamRead()
{
    throw EReadError(toolkit_messages::ReadError);
}

[[noreturn]] void Raise(const char* message)
{
    throw EInvalidGraphicOperation(message);
}

// The file's bytes with a read position; running out raises the stream read error.
class ByteSource {
public:
    explicit ByteSource(const std::vector<uint8_t>& bytes) : m_at(bytes.data()), m_end(bytes.data() + bytes.size()) {}

    size_t Remaining() const { return size_t(m_end - m_at); }
    uint8_t Byte()
    {
        if (m_at == m_end)
            RaiseStreamRead();
        return *m_at++;
    }
    const uint8_t* Take(size_t n)
    {
        if (Remaining() < n)
            RaiseStreamRead();
        const uint8_t* p = m_at;
        m_at += n;
        return p;
    }

private:
    const uint8_t* m_at;
    const uint8_t* m_end;
};

uint16_t Le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

bool SameIgnoringCase(const uint8_t* p, const char* text)
{
    for (size_t i = 0; text[i]; ++i)
        if (std::tolower(p[i]) != std::tolower(uint8_t(text[i])))
            return false;
    return true;
}

void ReadColorTable(ByteSource& in, ColorTable& table, int bits)
{
    table.Clear();
    table.EntryCount = 1 << bits;
    const uint8_t* p = in.Take(3 * size_t(table.EntryCount));
    for (int i = 0; i < table.EntryCount; ++i)
        table.Colors[size_t(i)] = {p[3 * i], p[3 * i + 1], p[3 * i + 2]};
}

int Log2OfTableSize(int entryCount)
{
    for (int bits = 1; bits <= 8; ++bits)
        if (entryCount == (1 << bits))
            return bits;
    Raise(gif_messages::BadColorCount);
}

bool IsLoopExtension(const TExtension& ext)
{
    if (ext.FixedBlock.size() < 12 || !ext.SubBlocks || ext.SubBlocks->empty())
        return false;
    const size_t n = std::min<size_t>(ext.FixedBlock[0], 11);
    const uint8_t* id = ext.FixedBlock.data() + 1;
    const bool known = std::memcmp(id, "NETSCAPE2.0", n) == 0 || std::memcmp(id, "ANIMEXTS1.0", n) == 0;
    const std::string& first = ext.SubBlocks->front();
    return known && first.size() >= 3 && uint8_t(first[0]) == 1;
}

} // namespace

class GifFileReader {
public:
    GifFileReader(TGIFImage& image, const std::vector<uint8_t>& bytes) : m_image(image), m_in(bytes) {}

    void Run()
    {
        ReadSignature();
        ReadScreen();
        uint8_t introducer = m_in.Byte();
        while (introducer != 0 && introducer != 0x3B && m_in.Remaining() > 0) {
            while (introducer == 0x21) {
                CollectExtension();
                introducer = m_in.Remaining() > 0 ? m_in.Byte() : 0x3B;
            }
            if (introducer == 0x2C) {
                ReadFrameBlock();
                introducer = IntroducerAfterFrame();
            } else if (Data().ImageComment.empty() && !m_collected.empty()) {
                TakeCollectedAsImageComment();
            } else if (introducer != 0 && introducer != 0x3B) {
                Raise(gif_messages::ReadError);
            }
        }
    }

private:
    TGIFData& Data() { return m_image.SharedData(); }

    void ReadSignature()
    {
        const uint8_t* signature = m_in.Take(3);
        if (!SameIgnoringCase(signature, "GIF"))
            Raise(gif_messages::UnknownVersion);
        const uint8_t* version = m_in.Take(3);
        if (SameIgnoringCase(version, "87a"))
            m_image.m_version = gv87a;
        else if (SameIgnoringCase(version, "89a"))
            m_image.m_version = gv89a;
        else
            Raise(gif_messages::UnknownVersion);
    }

    void ReadScreen()
    {
        // Logical screen descriptor: width, height, packed fields, background, aspect.
        const uint8_t* d = m_in.Take(7);
        m_image.m_screenWidth = Le16(d);
        m_image.m_screenHeight = Le16(d + 2);
        const uint8_t packed = d[4];
        const uint8_t background = d[5];
        TGIFData& data = Data();
        data.PixelAspect = d[6];
        data.TableBits = uint8_t((packed & 7) + 1);
        data.ColorResolution = uint8_t(((packed >> 4) & 7) + 1);
        if (packed & 0x80) {
            ReadColorTable(m_in, data.GlobalTable, data.TableBits);
            if (background < data.GlobalTable.EntryCount)
                m_image.m_backgroundColor = data.GlobalTable.ColorOf(background);
        }
    }

    void ReadSubBlocks(TStringList& lines)
    {
        while (m_in.Remaining() > 0) {
            const uint8_t n = m_in.Byte();
            if (n == 0)
                break;
            const uint8_t* p = m_in.Take(n);
            lines.emplace_back(reinterpret_cast<const char*>(p), n);
        }
    }

    std::unique_ptr<TExtension> ReadExtension()
    {
        auto ext = std::make_unique<TExtension>();
        const uint8_t label = m_in.Byte();
        size_t fixed = 0;
        switch (label) {
        case 0xF9: ext->Kind = ekGraphicControl; fixed = 6; break;
        case 0xFE: ext->Kind = ekComment; break;
        case 0x01: ext->Kind = ekPlainText; fixed = 13; break;
        case 0xFF: ext->Kind = ekApplication; fixed = 12; break;
        default: {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%.2X", label);
            std::string message = gif_messages::UnknownExtension;
            message.replace(message.find("%.2x"), 4, hex);
            Raise(message.c_str());
        }
        }
        const uint8_t* p = m_in.Take(fixed);
        ext->FixedBlock.assign(p, p + fixed);
        if (ext->Kind != ekGraphicControl) {
            ext->SubBlocks = std::make_unique<TStringList>();
            ReadSubBlocks(*ext->SubBlocks);
        }
        return ext;
    }

    void CollectExtension()
    {
        std::unique_ptr<TExtension> ext = ReadExtension();
        switch (ext->Kind) {
        case ekPlainText: m_collected.clear(); break;
        case ekApplication:
            if (IsLoopExtension(*ext)) {
                m_image.m_looping = true;
                m_image.m_repeatCount = std::min<uint16_t>(Le16(reinterpret_cast<const uint8_t*>(ext->SubBlocks->front().data()) + 1), 30000);
            }
            break;
        default:
            if (int(m_collected.size()) >= m_image.Limits.MaxExtensionsPerFrame)
                Raise(gif_messages::ReadError);
            m_collected.push_back(std::move(ext));
            break;
        }
    }

    void TakeCollectedAsImageComment()
    {
        TStringList& comment = Data().ImageComment;
        bool first = true;
        for (const auto& ext : m_collected) {
            if (ext->Kind != ekComment)
                continue;
            if (!first)
                comment.push_back("\r\n\r\n");
            first = false;
            if (ext->SubBlocks)
                comment.insert(comment.end(), ext->SubBlocks->begin(), ext->SubBlocks->end());
        }
        m_collected.clear();
    }

    void ReadFrameBlock()
    {
        if (m_image.Count() >= m_image.Limits.MaxFrames)
            Raise(gif_messages::ReadError);
        auto frame = std::make_unique<TGIFFrame>(&m_image);
        const ColorTable& global = Data().GlobalTable;
        if (global.EntryCount > 0)
            frame->SharedItem().TableBits = uint8_t(Log2OfTableSize(global.EntryCount));
        if (!m_collected.empty()) {
            auto list = std::make_unique<TExtensionList>(std::move(m_collected));
            frame->SetExtensionList(std::move(list));
        }
        m_collected.clear();
        try {
            ReadFrame(*frame);
        } catch (...) {
            frame->SharedItem().CodedData.reset();
            throw;
        }
        m_image.m_frames.push_back(std::move(frame));
    }

    void ReadFrame(TGIFFrame& frame)
    {
        TGIFItem& item = frame.SharedItem();
        // Image descriptor: left, top, width, height, packed fields.
        const uint8_t* d = m_in.Take(9);
        const int left = Le16(d), top = Le16(d + 2);
        int width = Le16(d + 4), height = Le16(d + 6);
        const uint8_t packed = d[8];
        frame.Interlace = (packed & 0x40) != 0;
        if (packed & 0x80) {
            item.TableBits = uint8_t((packed & 7) + 1);
            frame.UsesLocalTable = true;
            ReadColorTable(m_in, item.FrameTable, item.TableBits);
        } else {
            frame.UsesLocalTable = false;
            item.FrameTable.Clear();
        }
        ReadRasterData(frame);
        if (width == 0)
            width = m_image.m_screenWidth;
        if (height == 0)
            height = m_image.m_screenHeight;
        frame.Origin = TPoint{left, top};
        item.Extent = TPoint{width, height};
        item.DescriptorFlags = packed;
        if (!frame.UsesLocalTable)
            item.FrameTable = Data().GlobalTable;
        ApplyGraphicControls(frame);
    }

    // Copies the minimum code size and the sub-blocks that are wholly present.
    void ReadRasterData(TGIFFrame& frame)
    {
        std::vector<uint8_t> coded;
        coded.push_back(m_in.Byte());
        while (m_in.Remaining() > 0) {
            const uint8_t n = m_in.Byte();
            if (n > m_in.Remaining()) {
                frame.Damaged = true;
                break;
            }
            coded.push_back(n);
            const uint8_t* p = m_in.Take(n);
            coded.insert(coded.end(), p, p + n);
            if (n == 0)
                break;
        }
        frame.SharedItem().CodedData = std::make_unique<TMemoryStream>(std::move(coded));
    }

    static void ApplyGraphicControls(TGIFFrame& frame)
    {
        const ColorTable& table = frame.SharedItem().FrameTable;
        frame.m_animateInterval = 0;
        if (!frame.ExtensionList())
            return;
        for (const auto& ext : *frame.ExtensionList()) {
            if (ext->Kind != ekGraphicControl)
                continue;
            // Block size, packed fields, delay time, transparent colour index, terminator.
            const uint8_t* b = ext->FixedBlock.data();
            const uint8_t packed = b[1];
            if (packed & 1) {
                if (b[4] < table.EntryCount)
                    frame.m_transparentColor = table.ColorOf(b[4]);
            } else {
                frame.m_transparentColor = clNone;
            }
            // Hundredths of a second to milliseconds, saturating rather than wrapping.
            const int delay = std::min(Le16(b + 2) * 10, 0xFFFF);
            frame.m_animateInterval = uint16_t(std::max<int>(delay, frame.m_animateInterval));
            frame.Disposal = uint8_t((packed >> 2) & 7);
        }
    }

    uint8_t IntroducerAfterFrame()
    {
        if (m_in.Remaining() == 0)
            return 0x3B;
        uint8_t introducer = m_in.Byte();
        while (introducer == 0 && m_in.Remaining() > 0)
            introducer = m_in.Byte();
        if (introducer != 0x21 && introducer != 0x2C && introducer != 0x3B)
            return 0;
        return introducer;
    }

    TGIFImage& m_image;
    ByteSource m_in;
    TExtensionList m_collected;
};

void TGIFImage::ReadGifStream(TStream& stream, int64_t count, bool decodeFirst)
{
    ResetImage();
    if (count > 0) {
        // The count may come from the data itself: never allocate past what the stream holds.
        if (count > stream.Size() - stream.Position())
            RaiseStreamRead();
        std::vector<uint8_t> bytes(static_cast<size_t>(count));
        stream.ReadBuffer(bytes.data(), bytes.size());
        try {
            GifFileReader(*this, bytes).Run();
        } catch (...) {
            // The frames read before the fault stay, and the first one is current.
            m_frameIndex = m_frames.empty() ? -1 : 0;
            throw;
        }
        if (!m_frames.empty()) {
            m_frameIndex = 0;
            if (decodeFirst) {
                try {
                    m_frames[0]->Bitmap();
                } catch (...) {
                    m_frames.erase(m_frames.begin());
                    m_frameIndex = m_frames.empty() ? -1 : 0;
                    throw;
                }
            }
        }
    }
    m_paletteModified = true;
    Changed();
}

std::unique_ptr<TMemoryStream> TGIFFrame::DecodeToDib()
{
    const TGIFItem& item = *m_item;
    const int tableBits = item.TableBits;
    if (tableBits < 1 || tableBits > 8)
        throw EInvalidGraphicOperation(gif_messages::BadColorCount);
    const int depth = tableBits == 1 ? 1 : (tableBits <= 4 ? 4 : 8);
    const int width = std::max(item.Extent.X, 0), height = std::max(item.Extent.Y, 0);
    if (int64_t(width) * int64_t(height) > m_owner->Limits.MaxFramePixels)
        throw EInvalidGraphicOperation(gif_messages::ReadError);

    const gif::BmpLayout layout{width, height, depth, 1 << depth};
    std::vector<uint8_t> bytes(layout.FileSize(), 0);
    gif::WriteBmpHeaders(bytes.data(), layout);
    uint8_t* quad = bytes.data() + gif::BmpLayout::kHeadersSize;
    for (int i = 0; i < layout.tableEntries; ++i, quad += 4) {
        if (i < item.FrameTable.EntryCount) {
            const TGIFColorItem& c = item.FrameTable.Colors[size_t(i)];
            quad[0] = c.Blue;
            quad[1] = c.Green;
            quad[2] = c.Red;
        } else {
            std::memset(quad, 128, 4);
        }
    }

    if (item.CodedData && width > 0 && height > 0) {
        const TRect area = Rect(0, 0, width, height);
        m_owner->Progress(psStarting, 0, false, area, "");
        try {
            gif::LzwProgress progress;
            if (m_owner->OnProgress)
                progress = [&](int percent) { m_owner->Progress(psRunning, uint8_t(percent), false, area, ""); };
            const gif::RasterShape shape{width, height, depth, Interlace};
            gif::LzwDecode(item.CodedData->Memory(), size_t(item.CodedData->Size()), shape, tableBits,
                           bytes.data() + layout.PixelOffset(), progress);
        } catch (const std::exception& e) {
            m_owner->Progress(psEnding, 0, false, area, e.what());
            throw;
        }
        m_owner->Progress(psEnding, 100, false, area, "");
    }
    auto stream = std::make_unique<TMemoryStream>(std::move(bytes));
    stream->SetPosition(0);
    return stream;
}
