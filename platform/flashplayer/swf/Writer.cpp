// The movie writer: header, movie-wide tags, the dictionary, the root timeline;
// then FWS, CWS (zlib) or ZWS (LZMA) around it.
#include "swf/Writer.h"
#include "swf/WriterInternal.h"

#include <lzma.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

namespace swf {

namespace detail {

void writeTag(ByteWriter& out, std::uint16_t code, const ByteWriter& body, bool longForm)
{
    out.adoptError(body);
    const std::size_t n = body.size();
    if (n > 0xFFFFFFFFu)
        out.fail("a tag larger than 4 GB");
    if (n < 0x3F && !longForm) {
        out.u16(std::uint16_t((code << 6) | n)); // TagCodeAndLength
    } else {
        out.u16(std::uint16_t((code << 6) | 0x3F));
        out.u32(std::uint32_t(n)); // Length
    }
    out.bytes(body.data());
}

} // namespace detail

namespace {

using detail::writeTag;

void writeMovieAttributes(detail::WriteContext& ctx)
{
    const Movie& m = ctx.movie;
    if (m.fileAttributes) {
        const FileAttributes& a = *m.fileAttributes;
        ByteWriter w; // FileAttributes: must be the first tag
        w.u8(std::uint8_t((a.useDirectBlit ? 0x40 : 0) | (a.useGpu ? 0x20 : 0) | (a.hasMetadata ? 0x10 : 0) |
                          (a.actionScript3 ? 0x08 : 0) | (a.useNetwork ? 0x01 : 0)));
        w.u8(0);
        w.u16(0);
        writeTag(ctx.out, 69, w);
    }
    if (m.metadata) {
        ByteWriter w;
        w.cstring(*m.metadata);
        writeTag(ctx.out, 77, w);
    }
    if (m.scriptLimits) {
        ByteWriter w;
        w.u16(m.scriptLimits->maxRecursionDepth);
        w.u16(m.scriptLimits->scriptTimeoutSeconds);
        writeTag(ctx.out, 65, w);
    }
    if (m.protect)
        writeTag(ctx.out, 24, ByteWriter{});
    if (m.enableDebugger) {
        ByteWriter w; // EnableDebugger2 without a password
        w.u16(0);
        w.cstring("");
        writeTag(ctx.out, 64, w);
    }
}

void writeAssets(detail::WriteContext& ctx, std::uint16_t code, const std::string* url,
                 const std::vector<ExportedAsset>& assets)
{
    ByteWriter w;
    if (url) {
        w.cstring(*url);
        if (code == 71) {
            w.u8(1); // Reserved, must be 1
            w.u8(0);
        }
    }
    w.u16(std::uint16_t(assets.size()));
    for (const ExportedAsset& a : assets) {
        w.u16(a.id);
        w.cstring(a.name);
    }
    writeTag(ctx.out, code, w);
}

void writeDefinitions(detail::WriteContext& ctx)
{
    const Movie& m = ctx.movie;
    for (const ImportAssets& imp : m.imports)
        writeAssets(ctx, m.header.version >= 8 ? 71 : 57, &imp.url, imp.assets);
    if (!m.jpegTables.empty()) {
        ByteWriter w;
        w.bytes(m.jpegTables);
        writeTag(ctx.out, 8, w);
    }
    for (const auto& [id, c] : m.dictionary) {
        if (characterId(c) != id)
            ctx.out.fail("a character stored under another id");
        detail::writeCharacter(ctx, c);
    }
    for (const auto& [id, grid] : m.scalingGrids) {
        ByteWriter w;
        w.u16(id);
        detail::writeRect(w, grid);
        writeTag(ctx.out, 78, w);
    }
    if (!m.exports.empty())
        writeAssets(ctx, 56, nullptr, m.exports);
}

Result<std::vector<std::uint8_t>> zlibCompress(const std::vector<std::uint8_t>& in)
{
    uLongf size = compressBound(uLong(in.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, in.data(), uLong(in.size()), 9) != Z_OK)
        return makeError(ErrorCode::Decompression, "zlib could not compress the movie");
    out.resize(size);
    return out;
}

// LZMA1 through the .lzma encoder, whose 13-byte header (properties, 64-bit
// size) becomes the SWF form (32-bit compressed size, properties).
Result<std::vector<std::uint8_t>> lzmaCompress(const std::vector<std::uint8_t>& in)
{
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&s, &options) != LZMA_OK)
        return makeError(ErrorCode::Decompression, "the LZMA encoder could not be initialised");
    std::vector<std::uint8_t> out(in.size() + in.size() / 2 + 1024);
    s.next_in = in.data();
    s.avail_in = in.size();
    s.next_out = out.data();
    s.avail_out = out.size();
    const lzma_ret rc = lzma_code(&s, LZMA_FINISH);
    out.resize(out.size() - s.avail_out);
    lzma_end(&s);
    if (rc != LZMA_STREAM_END || out.size() < 13)
        return makeError(ErrorCode::Decompression, "LZMA could not compress the movie");
    std::vector<std::uint8_t> swfForm;
    const std::uint32_t packed = std::uint32_t(out.size() - 13);
    for (int i = 0; i < 4; ++i)
        swfForm.push_back(std::uint8_t(packed >> (8 * i))); // CompressedLength
    swfForm.insert(swfForm.end(), out.begin(), out.begin() + 5); // properties
    swfForm.insert(swfForm.end(), out.begin() + 13, out.end());
    return swfForm;
}

} // namespace

Result<std::vector<std::uint8_t>> writeMovie(const Movie& movie)
{
    ByteWriter body;
    detail::WriteContext ctx{movie, body};
    const Header& h = movie.header;
    if (movie.timeline.frames.size() > 0xFFFF)
        body.fail("more than 65535 frames");
    detail::writeRect(body, h.stageRect); // FrameSize
    body.u16(h.frameRate);                // FrameRate
    body.u16(std::uint16_t(movie.timeline.frames.size())); // FrameCount
    writeMovieAttributes(ctx);
    writeDefinitions(ctx);
    detail::writeTimeline(ctx, movie.timeline);
    if (body.failed())
        return makeError(ErrorCode::Malformed, "cannot write the movie: " + body.error());

    const std::uint64_t length = body.size() + 8;
    if (length > 0xFFFFFFFFu)
        return makeError(ErrorCode::LimitExceeded, "the movie is larger than 4 GB");
    const char sig = h.compression == Compression::Zlib ? 'C' : h.compression == Compression::Lzma ? 'Z' : 'F';
    std::vector<std::uint8_t> file = {std::uint8_t(sig), 'W', 'S', h.version};
    for (int i = 0; i < 4; ++i)
        file.push_back(std::uint8_t(length >> (8 * i))); // FileLength
    if (h.compression == Compression::None) {
        file.insert(file.end(), body.data().begin(), body.data().end());
        return file;
    }
    auto packed = h.compression == Compression::Zlib ? zlibCompress(body.data()) : lzmaCompress(body.data());
    SWF_TRY(packed);
    file.insert(file.end(), packed->begin(), packed->end());
    return file;
}

Status writeMovieFile(const Movie& movie, const std::string& path)
{
    auto bytes = writeMovie(movie);
    SWF_TRY(bytes);
    // Temporary file beside the target, renamed over it once complete, so that a
    // failed write never leaves half a movie behind.
    const std::filesystem::path target(path);
    std::filesystem::path temp = target;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes->data()), std::streamsize(bytes->size()));
        out.close();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return makeError(ErrorCode::Io, "cannot write " + path);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return makeError(ErrorCode::Io, "cannot replace " + path);
    }
    return Ok{};
}

} // namespace swf
