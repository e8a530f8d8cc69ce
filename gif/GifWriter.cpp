// Writing GIF files: every frame without coded data is reduced and LZW-coded, its
// graphic control block brought up to date, then the file is assembled block by block.
#include "RxGIF.h"

#include "BmpHeaders.h"
#include "Exceptions.h"
#include "Lzw.h"

#include <algorithm>
#include <cstring>

namespace {

// Position of a table size in 2, 4, ... 256 (1 to 8); raises for other sizes.
int TableSizeCode(int entryCount)
{
    for (int bits = 1; bits <= 8; ++bits)
        if (entryCount == (1 << bits))
            return bits;
    throw EInvalidGraphicOperation(gif_messages::BadColorCount);
}

int BitsForEntries(int entryCount)
{
    int bits = 1;
    while (bits < 8 && (1 << bits) < entryCount)
        ++bits;
    return bits;
}

class GifBytes {
public:
    std::vector<uint8_t>& Bytes() { return m_bytes; }
    void Byte(uint8_t b) { m_bytes.push_back(b); }
    void Word(uint32_t w)
    {
        Byte(uint8_t(w));
        Byte(uint8_t(w >> 8));
    }
    void Text(const char* s) { m_bytes.insert(m_bytes.end(), s, s + std::strlen(s)); }
    void Raw(const uint8_t* p, size_t n) { m_bytes.insert(m_bytes.end(), p, p + n); }
    // Exactly n bytes of block, padded with zeros when it is shorter.
    void Fixed(const std::vector<uint8_t>& block, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            Byte(i < block.size() ? block[i] : 0);
    }
    // Each line as one sub-block of at most 255 bytes; empty lines write nothing.
    void SubBlocks(const TStringList* lines)
    {
        if (lines) {
            for (const std::string& line : *lines) {
                const size_t n = std::min<size_t>(line.size(), 255);
                if (n == 0)
                    continue;
                Byte(uint8_t(n));
                Raw(reinterpret_cast<const uint8_t*>(line.data()), n);
            }
        }
        // Block terminator.
        Byte(0);
    }
    // A colour table padded with black entries to entries.
    void Table(const ColorTable& table, int entries)
    {
        for (int i = 0; i < entries; ++i) {
            const TGIFColorItem c = i < table.EntryCount ? table.Colors[size_t(i)] : TGIFColorItem{};
            Byte(c.Red);
            Byte(c.Green);
            Byte(c.Blue);
        }
    }

private:
    std::vector<uint8_t> m_bytes;
};

void WriteHeader(GifBytes& out, TGIFVersion version)
{
    // Signature and version.
    out.Text(version == gv89a ? "GIF89a" : "GIF87a");
}

void WriteScreenDescriptor(GifBytes& out, const TGIFImage& image)
{
    const TGIFData& data = image.SharedData();
    const ColorTable& global = data.GlobalTable;
    // Logical screen width and height.
    out.Word(image.LogicalScreenWidth());
    out.Word(image.LogicalScreenHeight());
    // Packed fields: global table flag, colour resolution, sort flag, table size.
    uint8_t packed = 0;
    uint8_t background = 0;
    if (global.EntryCount > 0) {
        const int sizeCode = TableSizeCode(global.EntryCount);
        packed = uint8_t(0x80 | ((sizeCode - 1) << 4) | ((data.TableBits - 1) & 7));
        if (image.BackgroundColor() != clNone)
            background = uint8_t(std::max(global.IndexOf(image.BackgroundColor()), 0));
    }
    out.Byte(packed);
    // Background colour index.
    out.Byte(background);
    // Pixel aspect ratio.
    out.Byte(data.PixelAspect);
    // Global colour table.
    if (global.EntryCount > 0)
        out.Table(global, global.EntryCount);
}

void WriteLoopExtension(GifBytes& out, uint16_t repeatCount)
{
    // Extension introducer, application extension label, block size.
    out.Byte(0x21);
    out.Byte(0xFF);
    out.Byte(0x0B);
    // Application identifier and authentication code.
    out.Text("NETSCAPE2.0");
    // Sub-block: size 3, loop sub-block id 1, loop count.
    out.Byte(0x03);
    out.Byte(0x01);
    out.Word(repeatCount);
    out.Byte(0x00);
}

void WriteExtension(GifBytes& out, const TExtension& ext)
{
    // Extension introducer and label.
    out.Byte(0x21);
    out.Byte(ext.Label());
    switch (ext.Kind) {
    case ekGraphicControl: out.Fixed(ext.FixedBlock, 6); break;
    case ekPlainText:
        out.Fixed(ext.FixedBlock, 13);
        out.SubBlocks(ext.SubBlocks.get());
        break;
    case ekApplication:
        out.Fixed(ext.FixedBlock, 12);
        out.SubBlocks(ext.SubBlocks.get());
        break;
    case ekComment: out.SubBlocks(ext.SubBlocks.get()); break;
    }
}

void WriteFrame(GifBytes& out, TGIFFrame& frame)
{
    if (TExtensionList* list = frame.ExtensionList())
        for (const auto& ext : *list)
            WriteExtension(out, *ext);
    TGIFItem& item = frame.SharedItem();
    // Image separator.
    out.Byte(0x2C);
    // Image left, top, width, height.
    out.Word(uint32_t(frame.Origin.X));
    out.Word(uint32_t(frame.Origin.Y));
    out.Word(uint32_t(item.Extent.X));
    out.Word(uint32_t(item.Extent.Y));
    // Packed fields: local table flag, interlace flag, sort flag, table size.
    uint8_t packed = 0;
    if (frame.UsesLocalTable) {
        item.TableBits = uint8_t(BitsForEntries(item.FrameTable.EntryCount));
        packed = uint8_t(0x80 | (item.TableBits - 1));
    }
    if (frame.Interlace)
        packed |= 0x40;
    out.Byte(packed);
    // Local colour table, as many entries as the size field announces.
    if (frame.UsesLocalTable)
        out.Table(item.FrameTable, 1 << item.TableBits);
    // Image data: LZW minimum code size, sub-blocks, terminator.
    if (item.CodedData)
        out.Raw(item.CodedData->Memory(), size_t(item.CodedData->Size()));
}

void WriteImageComment(GifBytes& out, const TStringList& lines)
{
    // Extension introducer, comment label, the lines as sub-blocks.
    out.Byte(0x21);
    out.Byte(0xFE);
    out.SubBlocks(&lines);
}

} // namespace

void TGIFImage::WriteGifStream(TStream& stream, bool withLength)
{
    if (m_frames.empty())
        throw EInvalidGraphicOperation(gif_messages::NoData);
    EncodeAllFrames();
    if (!m_data->ImageComment.empty())
        RaiseVersion(gv89a);
    RecalcScreenSize();

    GifBytes out;
    WriteHeader(out, m_version);
    WriteScreenDescriptor(out, *this);
    if (m_looping && Count() > 1)
        WriteLoopExtension(out, m_repeatCount);
    for (auto& frame : m_frames)
        WriteFrame(out, *frame);
    if (!m_data->ImageComment.empty())
        WriteImageComment(out, m_data->ImageComment);
    // Trailer.
    out.Byte(0x3B);

    if (withLength)
        stream.WriteDWord(uint32_t(out.Bytes().size()));
    stream.WriteBuffer(out.Bytes().data(), out.Bytes().size());
}

void TGIFImage::EncodeAllFrames()
{
    for (auto& frame : m_frames) {
        if (!frame->SharedItem().HasCodedData()) {
            frame->SharedItem().CodedData.reset();
            frame->EncodeBitmap();
        }
        frame->SyncGraphicControl();
    }
}

void TGIFFrame::EncodeBitmap()
{
    if (!m_bitmap || m_bitmap->Empty())
        throw EInvalidGraphicOperation(gif_messages::NoData);
    const TPixelFormat format = m_bitmap->PixelFormat();
    std::unique_ptr<TMemoryStream> bmp;
    if (format == pf1bit || format == pf4bit || format == pf8bit) {
        bmp = std::make_unique<TMemoryStream>();
        m_bitmap->SaveToStream(*bmp);
    } else {
        bmp = ReduceToIndexed(*m_bitmap, pf8bit, IsGrey ? rmGrey : DefaultReduction);
    }
    EncodeIndexedDib(*bmp);
}

void TGIFFrame::EncodeIndexedDib(TMemoryStream& bmp)
{
    gif::IndexedBmpView view;
    if (gif::ParseIndexedBmp(bmp.Memory(), size_t(bmp.Size()), view) != gif::BmpProblem::None)
        throw EInvalidGraphicOperation(gif_messages::EncodeError);
    const int entries = 1 << view.bits;
    Interlace = false;
    ColorTable& table = m_item->FrameTable;
    table.Clear();
    table.EntryCount = entries;
    for (int i = 0; i < view.tableEntries; ++i) {
        const uint8_t* quad = view.table + 4 * i;
        table.Colors[size_t(i)] = {quad[2], quad[1], quad[0]};
    }

    std::vector<uint8_t> coded;
    const gif::RasterShape shape{view.width, view.height, view.bits, false};
    const TRect area = Rect(0, 0, view.width, view.height);
    m_owner->Progress(psStarting, 0, false, area, "");
    try {
        gif::LzwProgress progress;
        if (m_owner->OnProgress)
            progress = [&](int percent) { m_owner->Progress(psRunning, uint8_t(percent), false, area, ""); };
        gif::LzwEncode(coded, shape, view.rows, progress);
    } catch (const std::exception& e) {
        m_owner->Progress(psEnding, 0, false, area, e.what());
        if (dynamic_cast<const EAbort*>(&e))
            Reset();
        throw;
    }
    m_owner->Progress(psEnding, 100, false, area, "");
    m_item->CodedData = std::make_unique<TMemoryStream>(std::move(coded));

    m_item->TableBits = uint8_t(BitsForEntries(entries));
    TGIFData& data = m_owner->SharedData();
    if (data.GlobalTable.EntryCount == 0) {
        data.GlobalTable = table;
        data.TableBits = m_item->TableBits;
        UsesLocalTable = false;
    } else {
        UsesLocalTable = true;
    }
    m_item->Extent = TPoint{view.width, view.height};
    m_owner->m_screenWidth = uint16_t(std::max<int>(m_owner->m_screenWidth, view.width + Origin.X));
    m_owner->m_screenHeight = uint16_t(std::max<int>(m_owner->m_screenHeight, view.height + Origin.Y));
}

void TGIFFrame::SyncGraphicControl()
{
    TExtension* control = nullptr;
    if (m_extensions) {
        for (auto it = m_extensions->rbegin(); it != m_extensions->rend() && !control; ++it)
            if ((*it)->Kind == ekGraphicControl)
                control = it->get();
    }
    if (!control && (m_animateInterval > 0 || m_transparentColor != clNone || Disposal != 0)) {
        if (!m_extensions)
            m_extensions = std::make_unique<TExtensionList>();
        auto ext = std::make_unique<TExtension>();
        ext->Kind = ekGraphicControl;
        ext->FixedBlock = {4, 0, 0, 0, 0, 0};
        control = ext.get();
        m_extensions->push_back(std::move(ext));
    }
    if (control) {
        std::vector<uint8_t>& block = control->FixedBlock;
        block.resize(6, 0);
        const uint16_t delay = uint16_t(m_animateInterval / 10);
        block[2] = uint8_t(delay);
        block[3] = uint8_t(delay >> 8);
        const int index = m_item->FrameTable.IndexOf(m_transparentColor);
        if (index >= 0) {
            block[4] = uint8_t(index);
            block[1] |= 0x01;
        } else {
            block[1] &= uint8_t(~0x01);
        }
        block[1] = uint8_t((block[1] & ~0x1C) | ((Disposal & 7) << 2));
    }
    if (m_extensions) {
        for (size_t i = m_extensions->size(); i-- > 0;) {
            const TExtension& ext = *(*m_extensions)[i];
            if (ext.Kind == ekComment && (!ext.SubBlocks || ext.SubBlocks->empty()))
                m_extensions->erase(m_extensions->begin() + ptrdiff_t(i));
        }
        if (!m_extensions->empty())
            m_owner->RaiseVersion(gv89a);
    }
}
