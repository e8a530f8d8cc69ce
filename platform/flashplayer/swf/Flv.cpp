#include "swf/Flv.h"

#include <cstring>
#include <optional>

namespace swf {

namespace {

constexpr std::uint8_t kAudioTag = 8, kVideoTag = 9, kScriptTag = 18;
constexpr std::uint8_t kVp6 = 4, kVp6Alpha = 5;
constexpr int kMaxAmfDepth = 16;

// Big-endian reads over a span; a read past the end fails the cursor for good.
struct Cursor {
    std::span<const std::uint8_t> d;
    std::size_t pos = 0;
    bool failed = false;

    bool has(std::size_t n) const { return !failed && d.size() - pos >= n; }
    std::uint32_t be(int bytes)
    {
        if (!has(std::size_t(bytes))) {
            failed = true;
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | d[pos++];
        return v;
    }
    double number()
    {
        const std::uint64_t hi = be(4), lo = be(4);
        const std::uint64_t bits = (hi << 32) | lo;
        double v;
        static_assert(sizeof v == sizeof bits);
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    std::string text(std::size_t n)
    {
        if (!has(n)) {
            failed = true;
            return {};
        }
        std::string s(reinterpret_cast<const char*>(d.data() + pos), n);
        pos += n;
        return s;
    }
};

// Reads one AMF0 value; scalars come back, anything else is skipped. Nothing when
// the value cannot be read (the caller stops there).
bool readAmf(Cursor& c, int depth, std::optional<FlvMetaValue>& out,
             std::vector<std::pair<std::string, FlvMetaValue>>* members);

bool readMembers(Cursor& c, int depth, std::vector<std::pair<std::string, FlvMetaValue>>* members)
{
    while (c.has(3)) {
        const std::string name = c.text(c.be(2));
        if (name.empty() && c.has(1) && c.d[c.pos] == 9) {   // object end marker
            ++c.pos;
            return true;
        }
        std::optional<FlvMetaValue> value;
        if (!readAmf(c, depth + 1, value, nullptr))
            return false;
        if (value && members)
            members->emplace_back(name, std::move(*value));
    }
    return false;
}

bool readAmf(Cursor& c, int depth, std::optional<FlvMetaValue>& out,
             std::vector<std::pair<std::string, FlvMetaValue>>* members)
{
    if (depth > kMaxAmfDepth || !c.has(1))
        return false;
    switch (c.be(1)) {
    case 0: out = c.number(); break;
    case 1: out = c.be(1) != 0; break;
    case 2: out = c.text(c.be(2)); break;
    case 3: return readMembers(c, depth, members);
    case 5: case 6: break;   // null, undefined
    case 8: c.be(4); return readMembers(c, depth, members);   // ECMA array: a count hint, then members
    case 10: {   // strict array
        const std::uint32_t n = c.be(4);
        for (std::uint32_t i = 0; i < n && !c.failed; ++i) {
            std::optional<FlvMetaValue> ignored;
            if (!readAmf(c, depth + 1, ignored, nullptr))
                return false;
        }
        break;
    }
    case 11: c.number(); c.be(2); break;   // date
    case 12: out = c.text(c.be(4)); break;   // long string
    default: return false;
    }
    return !c.failed;
}

void readScript(std::span<const std::uint8_t> body, FlvFile& flv)
{
    Cursor c{body};
    std::optional<FlvMetaValue> name;
    if (!readAmf(c, 0, name, nullptr) || !name || !std::holds_alternative<std::string>(*name) ||
        std::get<std::string>(*name) != "onMetaData")
        return;
    std::optional<FlvMetaValue> ignored;
    std::vector<std::pair<std::string, FlvMetaValue>> members;
    readAmf(c, 0, ignored, &members);   // members read before damage are kept
    flv.metadata = std::move(members);
}

void readVideo(std::span<const std::uint8_t> body, std::uint32_t timeMs, FlvFile& flv)
{
    if (body.empty())
        return;
    FlvVideoTag tag;
    tag.timeMs = timeMs;
    tag.codecId = body[0] & 0x0F;
    const int frameType = body[0] >> 4;
    if (frameType == 5)
        return;   // a command frame carries no picture
    tag.keyFrame = frameType == 1;
    std::size_t skip = 1;
    // VP6 in FLV puts a byte of crop adjustments before the frame.
    if (tag.codecId == kVp6 || tag.codecId == kVp6Alpha)
        skip = 2;
    if (body.size() <= skip)
        return;
    tag.data.assign(body.begin() + std::ptrdiff_t(skip), body.end());
    flv.video.push_back(std::move(tag));
}

void readAudio(std::span<const std::uint8_t> body, std::uint32_t timeMs, FlvFile& flv)
{
    if (body.size() < 2)
        return;
    FlvAudioTag tag;
    tag.timeMs = timeMs;
    tag.flags = body[0];
    std::size_t skip = 1;
    if ((body[0] >> 4) == 10) {   // AAC: a packet type, 0 for the decoder's configuration
        if (body[1] == 0) {
            flv.aacConfig.assign(body.begin() + 2, body.end());
            return;
        }
        skip = 2;
    }
    if (body.size() <= skip)
        return;
    tag.data.assign(body.begin() + std::ptrdiff_t(skip), body.end());
    flv.audio.push_back(std::move(tag));
}

} // namespace

Result<FlvFile> readFlv(std::span<const std::uint8_t> data)
{
    Cursor c{data};
    if (c.text(3) != "FLV")
        return makeError(ErrorCode::Malformed, "not an FLV file");
    c.be(1);   // version
    const std::uint32_t flags = c.be(1);
    const std::uint32_t headerSize = c.be(4);
    if (c.failed || headerSize < 9 || headerSize > data.size())
        return makeError(ErrorCode::Truncated, "FLV header cut short");
    FlvFile flv;
    flv.hasAudio = flags & 4;
    flv.hasVideo = flags & 1;
    c.pos = headerSize;
    c.be(4);   // size of the (absent) tag before the first
    while (c.has(11)) {
        const std::uint32_t type = c.be(1) & 0x1F;
        const std::uint32_t size = c.be(3);
        const std::uint32_t time = c.be(3) | (c.be(1) << 24);
        c.be(3);   // stream id
        if (!c.has(size))
            break;   // the file ends inside this tag
        const std::span<const std::uint8_t> body = data.subspan(c.pos, size);
        c.pos += size;
        if (type == kVideoTag)
            readVideo(body, time, flv);
        else if (type == kScriptTag && flv.metadata.empty())
            readScript(body, flv);
        else if (type == kAudioTag)
            readAudio(body, time, flv);
        c.be(4);   // size of the tag just read
    }
    return flv;
}

VideoStream flvVideoStream(const FlvFile& flv, std::vector<std::uint32_t>* timesMs)
{
    VideoStream s;
    if (flv.video.empty())
        return s;
    s.codecId = flv.video.front().codecId;
    for (const FlvVideoTag& tag : flv.video) {
        if (tag.codecId != s.codecId || s.frames.size() >= 0xFFFF)
            continue;
        s.frames.push_back({static_cast<std::uint16_t>(s.frames.size()), tag.data});
        if (timesMs)
            timesMs->push_back(tag.timeMs);
    }
    s.numFrames = static_cast<std::uint16_t>(s.frames.size());
    return s;
}

} // namespace swf
