// FLV through NetStream: frames shown by their times on the virtual clock, checked
// against ffmpeg's own decoding; the stream's pause and seek; damaged files.
#include "MediaUrl.h"
#include "NetStream.h"
#include "Player.h"
#include "TestMovies.h"

#include "SoundMeter.h"

#include "swf/Flv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace flash::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr int kW = 64, kH = 48, kFrames = 4;   // 5 frames a second: at 0, 200, 400, 600 ms

struct Encoded {
    fs::path dir;
    std::vector<uint8_t> flv;
    std::vector<uint32_t> reference;   // ffmpeg's decoding, BGRA, every frame
};

// ctest runs tests in parallel: each test encodes into a folder of its own.
Encoded encode(const std::string& codec)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    Encoded e;
    e.dir = fs::path(TOVRANE_BINARY_DIR) / "netstream-test" / (std::string(test->test_suite_name()) + "." + test->name());
    fs::create_directories(e.dir);
    const fs::path flv = e.dir / "clip.flv", raw = e.dir / "ref.raw";
    const std::string make = "ffmpeg -y -v error -f lavfi -i testsrc=size=" + std::to_string(kW) + "x" +
                             std::to_string(kH) + ":rate=5 -frames:v " + std::to_string(kFrames) + " -g 2 -c:v " + codec +
                             " -f flv '" + flv.string() + "'";
    const std::string ref = "ffmpeg -y -v error -i '" + flv.string() +
                            "' -sws_flags bilinear+accurate_rnd -f rawvideo -pix_fmt bgra '" + raw.string() + "'";
    if (std::system(make.c_str()) != 0 || std::system(ref.c_str()) != 0)
        return e;
    e.flv = readAll(flv);
    const std::vector<uint8_t> bytes = readAll(raw);
    e.reference.resize(bytes.size() / 4);
    std::memcpy(e.reference.data(), bytes.data(), e.reference.size() * 4);
    return e;
}

// Share of channel values within 8 levels of the reference.
double closeShare(const uint32_t* ours, const uint32_t* ref, size_t count)
{
    size_t close = 0;
    for (size_t i = 0; i < count; ++i)
        for (int s = 0; s < 32; s += 8)
            close += std::abs(int((ours[i] >> s) & 0xFF) - int(((ref[i] | 0xFF000000u) >> s) & 0xFF)) <= 8;
    return double(close) / double(count * 4);
}

struct Code {
    std::vector<uint8_t> b;
    Code& op(uint8_t code) { b.push_back(code); return *this; }
    Code& op(uint8_t code, const std::vector<uint8_t>& payload)
    {
        b.insert(b.end(), {code, uint8_t(payload.size()), uint8_t(payload.size() >> 8)});
        b.insert(b.end(), payload.begin(), payload.end());
        return *this;
    }
    Code& str(const std::string& s)
    {
        std::vector<uint8_t> p{0};
        p.insert(p.end(), s.begin(), s.end());
        p.push_back(0);
        return op(0x96, p);
    }
    Code& num(int32_t v) { return op(0x96, {7, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
    Code& null() { return op(0x96, {2}); }
    // An anonymous function(info) around `body`.
    Code& function(const Code& body)
    {
        op(0x9B, {0, 1, 0, 'i', 'n', 'f', 'o', 0, uint8_t(body.b.size()), uint8_t(body.b.size() >> 8)});
        b.insert(b.end(), body.b.begin(), body.b.end());
        return *this;
    }
    std::vector<uint8_t> done() { b.push_back(0); return b; }
};
constexpr uint8_t kSetVariable = 0x1D, kGetVariable = 0x1C, kSetMember = 0x4F, kGetMember = 0x4E,
                  kNewObject = 0x40, kCallMethod = 0x52, kPop = 0x17, kTrace = 0x26, kStringAdd = 0x21;

// nc = new NetConnection(); nc.connect(null); ns = new NetStream(nc);
// ns.onStatus = function(info) { trace(info.code); };
// ns.onMetaData = function(info) { trace("width " + info.width); };
// v.attachVideo(ns); ns.play("clip.flv");
std::shared_ptr<const swf::Movie> videoMovie()
{
    Code c;
    c.str("nc").num(0).str("NetConnection").op(kNewObject).op(kSetVariable);
    c.null().num(1).str("nc").op(kGetVariable).str("connect").op(kCallMethod).op(kPop);
    c.str("ns").str("nc").op(kGetVariable).num(1).str("NetStream").op(kNewObject).op(kSetVariable);
    c.str("ns").op(kGetVariable).str("onStatus")
        .function(Code().str("info").op(kGetVariable).str("code").op(kGetMember).op(kTrace)).op(kSetMember);
    c.str("ns").op(kGetVariable).str("onMetaData")
        .function(Code().str("width ").str("info").op(kGetVariable).str("width").op(kGetMember).op(kStringAdd).op(kTrace))
        .op(kSetMember);
    c.str("ns").op(kGetVariable).num(1).str("v").op(kGetVariable).str("attachVideo").op(kCallMethod).op(kPop);
    c.str("clip.flv").num(1).str("ns").op(kGetVariable).str("play").op(kCallMethod).op(kPop);
    MovieMaker mm(kW, kH, 10);
    swf::VideoStream stream;
    stream.width = kW;
    stream.height = kH;
    stream.codecId = 2;
    const uint16_t video = mm.add(stream);
    mm.frame(0).tags = {place(video, 1, {}, "v"), actions(c.done())};
    return mm.done();
}

TEST(NetStream, PlaysAnFlvByItsTimesOnThePlayersClock)
{
    const Encoded enc = encode("flv1");
    ASSERT_EQ(enc.reference.size(), size_t(kW * kH * kFrames)) << "ffmpeg could not make the clip";
    VirtualClock clock;
    Player player(&clock);
    std::vector<std::string> traces, asked;
    player.setOnTrace([&](const std::string& m) { traces.push_back(m); });
    player.setFetchHandler([&](const std::string& url, size_t) -> std::optional<std::vector<uint8_t>> {
        asked.push_back(url);
        const std::optional<std::string> path = localPathOf(url);
        if (!path || !fs::exists(*path))
            return std::nullopt;
        return readAll(*path);
    });
    ASSERT_TRUE(player.load(videoMovie(), (enc.dir / "main.swf").string()));
    EXPECT_TRUE(asked.empty());
    std::vector<uint32_t> shown(kW * kH);
    const auto frameShown = [&] {
        player.render({reinterpret_cast<uint8_t*>(shown.data()), kW, kH, kW * 4});
        double best = 0;
        int which = -1;
        for (int i = 0; i < kFrames; ++i) {
            const double share = closeShare(shown.data(), enc.reference.data() + size_t(i) * kW * kH, shown.size());
            if (share > best)
                best = share, which = i;
        }
        return best > 0.97 ? which : -1;
    };
    clock.AdvanceBy(100);   // the file arrives with the first advance; playing starts there (t = 100)
    EXPECT_EQ(asked, std::vector<std::string>{(enc.dir / "clip.flv").string()});
    EXPECT_EQ(traces, (std::vector<std::string>{"NetStream.Play.Start", "width 64"}));
    EXPECT_EQ(frameShown(), 0);
    clock.AdvanceBy(200);   // 200 ms into the stream
    EXPECT_EQ(frameShown(), 1);
    clock.AdvanceBy(100);
    EXPECT_EQ(frameShown(), 1);
    clock.AdvanceBy(300);   // 600 ms
    EXPECT_EQ(frameShown(), 3);
    EXPECT_EQ(player.getVariable("v._width"), "64");
    clock.AdvanceBy(500);
    EXPECT_EQ(traces.back(), "NetStream.Play.Stop");
    EXPECT_EQ(std::count(traces.begin(), traces.end(), "NetStream.Play.Stop"), 1);
    EXPECT_EQ(player.getVariable("ns.time"), "0.8");
    EXPECT_EQ(player.getVariable("ns.bytesTotal"), std::to_string(enc.flv.size()));
    EXPECT_EQ(frameShown(), 3);   // the last picture stays
}

// FLV sound made by ffmpeg (MP3 and ADPCM): 1 kHz for half a second, then 2 kHz,
// heard from the moment the stream plays and switching on its time.
TEST(NetStream, AnFlvsSoundPlaysByItsTimes)
{
    for (const char* codec : {"libmp3lame", "adpcm_swf"}) {
        SCOPED_TRACE(codec);
        const fs::path dir = fs::path(TOVRANE_BINARY_DIR) / "netstream-test" / (std::string("sound-") + codec);
        fs::create_directories(dir);
        const std::string make =
            "ffmpeg -y -v error -f lavfi -i testsrc=size=64x48:rate=5 -f lavfi -i \"aevalsrc=0.5*sin(2*PI*if(lt(t\\,0.5)\\,"
            "1000\\,2000)*t):s=44100:d=1\" -t 1 -c:v flv1 -c:a " + std::string(codec) + " -ar 44100 -f flv '" +
            (dir / "clip.flv").string() + "'";
        ASSERT_EQ(std::system(make.c_str()), 0);
        VirtualClock clock;
        Player player(&clock);
        player.setFetchHandler([&](const std::string& url, size_t) -> std::optional<std::vector<uint8_t>> {
            const std::optional<std::string> path = localPathOf(url);
            return path && fs::exists(*path) ? std::optional(readAll(*path)) : std::nullopt;
        });
        player.setSoundCapture(true);
        ASSERT_TRUE(player.load(videoMovie(), (dir / "main.swf").string()));
        clock.AdvanceBy(1500);
        const std::vector<double> left = soundmeter::channel(player.takeCapturedSound(), 0);
        const std::optional<double> low = soundmeter::toneStartMs(left, 1000, 0.3);
        const std::optional<double> high = soundmeter::toneStartMs(left, 2000, 0.3);
        ASSERT_TRUE(low && high);
        EXPECT_NEAR(*low, 100, 40);   // playing starts with the first advance, at 100 ms
        EXPECT_NEAR(*high - *low, 500, 30);
        const std::optional<double> end = soundmeter::toneEndMs(left, 2000, 0.3);
        ASSERT_TRUE(end);
        EXPECT_NEAR(*end - *low, 1000, 60);
    }
}

TEST(NetStream, MissingFilesReportStreamNotFound)
{
    VirtualClock clock;
    Player player(&clock);
    std::vector<std::string> traces;
    player.setOnTrace([&](const std::string& m) { traces.push_back(m); });
    player.setFetchHandler([](const std::string&, size_t) { return std::optional<std::vector<uint8_t>>{}; });
    ASSERT_TRUE(player.load(videoMovie()));
    clock.AdvanceBy(300);
    EXPECT_EQ(traces, std::vector<std::string>{"NetStream.Play.StreamNotFound"});
}

TEST(NetStream, PauseAndSeekMoveThePlayhead)
{
    const Encoded enc = encode("flashsv");
    ASSERT_FALSE(enc.flv.empty());
    NetStreamPlayback playback;
    playback.request("clip.flv");
    ASSERT_TRUE(playback.start(enc.flv, 1000));
    playback.update(1250);
    EXPECT_EQ(playback.frameIndex(), 1);
    ASSERT_NE(playback.picture(), nullptr);
    EXPECT_EQ(playback.picture()->width, kW);
    EXPECT_GT(closeShare(playback.picture()->pixels.data(), enc.reference.data() + kW * kH, kW * kH), 0.97);
    playback.pause(std::nullopt, 1250);   // toggles: paused at 250 ms
    playback.update(5000);
    EXPECT_EQ(playback.frameIndex(), 1);
    EXPECT_DOUBLE_EQ(playback.timeSeconds(5000), 0.25);
    playback.pause(false, 5000);
    playback.update(5200);
    EXPECT_EQ(playback.frameIndex(), 2);
    playback.seek(0.0, 5200);   // back to the start: decoded again from the key frame
    playback.update(5200);
    EXPECT_EQ(playback.frameIndex(), 0);
    EXPECT_GT(closeShare(playback.picture()->pixels.data(), enc.reference.data(), kW * kH), 0.97);
    playback.seek(0.6, 5200);
    playback.update(5200);
    EXPECT_EQ(playback.frameIndex(), 3);
    EXPECT_GT(closeShare(playback.picture()->pixels.data(), enc.reference.data() + 3 * kW * kH, kW * kH), 0.97);
}

// A valid FLV header and one tag of `type` with `body`.
std::vector<uint8_t> flvWith(uint8_t type, const std::vector<uint8_t>& body, uint32_t declaredSize)
{
    std::vector<uint8_t> f{'F', 'L', 'V', 1, 1, 0, 0, 0, 9, 0, 0, 0, 0};
    f.insert(f.end(), {type, uint8_t(declaredSize >> 16), uint8_t(declaredSize >> 8), uint8_t(declaredSize), 0, 0, 0, 0, 0, 0, 0});
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

TEST(NetStream, DamagedFilesNeverCrashOrGrowWithoutBound)
{
    const Encoded enc = encode("flv1");
    ASSERT_FALSE(enc.flv.empty());
    // AMF objects inside objects far deeper than anyone writes, and an array claiming
    // four billion members.
    std::vector<uint8_t> deep{2, 0, 10, 'o', 'n', 'M', 'e', 't', 'a', 'D', 'a', 't', 'a'};
    for (int i = 0; i < 5000; ++i)
        deep.insert(deep.end(), {3, 0, 1, 'a'});
    std::vector<uint8_t> hugeArray{2, 0, 10, 'o', 'n', 'M', 'e', 't', 'a', 'D', 'a', 't', 'a', 10, 0xFF, 0xFF, 0xFF, 0xFF};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool readable;
        size_t maxFrames;
    };
    std::vector<uint8_t> wrongCodec = enc.flv;
    for (size_t pos = 13; pos + 11 < wrongCodec.size();) {
        const size_t size = (size_t(wrongCodec[pos + 1]) << 16) | (wrongCodec[pos + 2] << 8) | wrongCodec[pos + 3];
        if (wrongCodec[pos] == 9 && size > 0 && pos + 11 < wrongCodec.size())
            wrongCodec[pos + 11] = uint8_t((wrongCodec[pos + 11] & 0xF0) | 0x0F);
        pos += 11 + size + 4;
    }
    const std::vector<Case> cases = {
        {"empty", {}, false, 0},
        {"signature only", {'F', 'L', 'V'}, false, 0},
        {"header size past the end", {'F', 'L', 'V', 1, 1, 0xFF, 0xFF, 0xFF, 0xFF}, false, 0},
        {"cut in the middle", std::vector<uint8_t>(enc.flv.begin(), enc.flv.begin() + long(enc.flv.size() / 2)), true,
         kFrames - 1},
        {"giant tag size", flvWith(9, {0x12, 1, 2, 3}, 0xFFFFFF), true, 0},
        {"video tag of one byte", flvWith(9, {0x14}, 1), true, 0},
        {"vp6 tag without data", flvWith(9, {0x14, 0}, 2), true, 0},
        {"deep metadata", flvWith(18, deep, uint32_t(deep.size())), true, 0},
        {"huge metadata array", flvWith(18, hugeArray, uint32_t(hugeArray.size())), true, 0},
        {"unknown codec", wrongCodec, true, kFrames},
        {"garbage tags", [] { std::vector<uint8_t> g{'F', 'L', 'V', 1, 5, 0, 0, 0, 9}; for (int i = 0; i < 4000; ++i) g.push_back(uint8_t(i * 37 + 11)); return g; }(), true, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const swf::Result<swf::FlvFile> flv = swf::readFlv(c.bytes);
        ASSERT_EQ(flv.ok(), c.readable);
        if (flv.ok())
            EXPECT_LE(flv->video.size(), c.maxFrames);
        NetStreamPlayback playback;
        playback.request("x.flv");
        EXPECT_EQ(playback.start(c.bytes, 0), c.readable);
        for (int64_t t = 0; t <= 1000; t += 100) {
            playback.update(t);
            const video::VideoImage* picture = playback.picture();
            if (std::string(c.what) == "unknown codec")
                EXPECT_EQ(picture, nullptr);
        }
    }
}

}  // namespace
}  // namespace flash::test
