// The three file signatures: FWS (plain), CWS (zlib from byte 8) and ZWS (LZMA).
// A ZWS file has, after the 8-byte prefix, a 4-byte compressed length and the 5
// LZMA property bytes, then raw LZMA data; we give liblzma's .lzma decoder the
// header it expects (properties + 64-bit uncompressed size) in front of it.
#include "swf/Reader.h"
#include "swf/ReaderInternal.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace swf {

namespace {

constexpr std::size_t kPrefix = 8;
constexpr std::size_t kChunk = 64 * 1024;

// Inflates zlib data, stopping at `cap` bytes. A stream that ends early keeps
// what it produced (a truncated download still shows its first frames).
Result<std::vector<std::uint8_t>> inflateBody(std::span<const std::uint8_t> in, std::size_t cap, bool& incomplete)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return makeError(ErrorCode::Decompression, "zlib could not be initialised");
    std::vector<std::uint8_t> out;
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), UINT32_MAX));
    int rc = Z_OK;
    while (rc == Z_OK && out.size() < cap) {
        std::size_t old = out.size();
        out.resize(std::min(cap, old + kChunk));
        z.next_out = out.data() + old;
        z.avail_out = static_cast<uInt>(out.size() - old);
        rc = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
        if (rc == Z_BUF_ERROR && z.avail_in == 0)
            break;
    }
    inflateEnd(&z);
    incomplete = rc != Z_STREAM_END; // includes stopping at the cap
    if (rc != Z_STREAM_END && rc != Z_OK && rc != Z_BUF_ERROR && out.empty())
        return makeError(ErrorCode::Decompression, "the zlib data of the movie is damaged");
    return out;
}

Result<std::vector<std::uint8_t>> lzmaBody(std::span<const std::uint8_t> file, std::uint64_t bodyLength,
                                          bool& incomplete)
{
    // 4 bytes compressed length + 5 bytes properties.
    if (file.size() < kPrefix + 9)
        return makeError(ErrorCode::Truncated, "the LZMA header of the movie is incomplete");
    std::vector<std::uint8_t> head(13);
    std::memcpy(head.data(), file.data() + kPrefix + 4, 5);
    for (int i = 0; i < 8; ++i)
        head[5 + i] = std::uint8_t(bodyLength >> (8 * i));
    // The dictionary never needs to exceed the data it decodes; a hostile header
    // asking for a gigabyte gets what the body needs (same output, bounded memory).
    std::uint32_t dict = std::uint32_t(head[1]) | (std::uint32_t(head[2]) << 8) | (std::uint32_t(head[3]) << 16) |
                         (std::uint32_t(head[4]) << 24);
    dict = std::uint32_t(std::clamp<std::uint64_t>(dict, 4096, std::max<std::uint64_t>(bodyLength, 4096)));
    for (int i = 0; i < 4; ++i)
        head[1 + i] = std::uint8_t(dict >> (8 * i));

    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&s, bodyLength + (64u << 20)) != LZMA_OK)
        return makeError(ErrorCode::Decompression, "the LZMA decoder could not be initialised");
    // Grown in chunks so that a header claiming a huge body costs nothing until
    // the data really inflates that far.
    std::vector<std::uint8_t> out;
    s.next_in = head.data();
    s.avail_in = head.size();
    bool headDone = false;
    lzma_ret rc = LZMA_OK;
    while (rc == LZMA_OK && out.size() < bodyLength) {
        if (s.avail_in == 0 && !headDone) {
            headDone = true;
            s.next_in = file.data() + kPrefix + 9;
            s.avail_in = file.size() - kPrefix - 9;
        }
        std::size_t old = out.size();
        out.resize(std::min<std::uint64_t>(bodyLength, old + kChunk));
        s.next_out = out.data() + old;
        s.avail_out = out.size() - old;
        rc = lzma_code(&s, headDone ? LZMA_FINISH : LZMA_RUN);
        out.resize(out.size() - s.avail_out);
        if (rc == LZMA_BUF_ERROR || (headDone && s.avail_in == 0 && s.avail_out != 0 && rc == LZMA_OK))
            break;
    }
    lzma_end(&s);
    if ((rc == LZMA_STREAM_END || rc == LZMA_OK) && out.size() == bodyLength)
        return out;
    if (out.empty())
        return makeError(ErrorCode::Decompression, "the LZMA data of the movie is damaged");
    incomplete = true;
    return out;
}

} // namespace

Result<std::vector<std::uint8_t>> decompressBody(std::span<const std::uint8_t> file, const Limits& limits)
{
    bool incomplete = false;
    return detail::decompressBody(file, limits, incomplete);
}

namespace detail {

Result<std::vector<std::uint8_t>> decompressBody(std::span<const std::uint8_t> file, const Limits& limits,
                                                bool& incomplete)
{
    incomplete = false;
    if (file.size() < kPrefix)
        return makeError(ErrorCode::NotSwf, "the file is too short to be a Flash movie");
    const std::uint8_t sig = file[0];
    if ((sig != 'F' && sig != 'C' && sig != 'Z') || file[1] != 'W' || file[2] != 'S')
        return makeError(ErrorCode::NotSwf, "the file is not a Flash movie (no FWS, CWS or ZWS signature)");
    const std::uint32_t declared = std::uint32_t(file[4]) | (std::uint32_t(file[5]) << 8) |
                                   (std::uint32_t(file[6]) << 16) | (std::uint32_t(file[7]) << 24);
    auto body = file.subspan(kPrefix);
    if (sig == 'F') {
        if (body.size() > limits.maxUncompressedBytes)
            return makeError(ErrorCode::LimitExceeded, "the movie is larger than allowed");
        return std::vector<std::uint8_t>(body.begin(), body.end());
    }
    if (sig == 'C')
        return inflateBody(body, limits.maxUncompressedBytes, incomplete);
    if (declared < kPrefix || declared - kPrefix > limits.maxUncompressedBytes)
        return makeError(ErrorCode::Decompression,
                         "the LZMA data does not match the header length " + std::to_string(declared));
    return lzmaBody(file, declared - kPrefix, incomplete);
}

} // namespace detail

} // namespace swf
