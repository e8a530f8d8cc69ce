// Files the player must refuse with a sentence naming them, leaving the device closed
// and the window as it was; and a cut-off video that plays what it has and stops.
#include "MediaFixture.h"


namespace {

using testvideo::readAll;
using testvideo::writeAll;

TEST_F(MediaFixture, RefusesWhatItCannotPlayWithTheFileNamed)
{
    const std::string avi = video("clip-0.avi", testvideo::Kinds[0].codecArgs, 20, 10);
    const std::string mjpeg = video("clip-1.avi", testvideo::Kinds[1].codecArgs, 20, 10);
    const std::string mp4 = video("clip-4.mp4", testvideo::Kinds[4].codecArgs, 20, 10);
    const std::string dir = folder();
    writeAll(dir + "/empty.avi", {});
    std::vector<char> noise(4096);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919u + 13u) % 251u);
    writeAll(dir + "/noise.mp4", noise);
    std::vector<char> head = readAll(mp4);
    head.resize(200);
    writeAll(dir + "/head.mp4", head);
    ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=duration=0.5 '" + dir + "/tone.wav'").c_str()), 0);

    struct Case {
        std::string path;
        const char* reason;  // the end of the message, or null for any reason
    };
    const Case cases[] = {
        {dir + "/missing.avi", "No such file or directory"},
        {dir + "/empty.avi", "the file is empty"},
        {dir + "/noise.mp4", nullptr},
        {dir + "/head.mp4", nullptr},
        {dir + "/tone.wav", "the file has no video stream"},
        {testvideo::MakeHugeAvi(avi, dir + "/huge.avi", false), "the video is 20000 x 20000 pixels, more than the 10000 x 10000 (40 million pixels) played here"},
        {testvideo::MakeHugeAvi(mjpeg, dir + "/huge-jpeg.avi", true), "the video is 20000 x 20000 pixels, more than the 10000 x 10000 (40 million pixels) played here"},
    };
    for (const Case& c : cases) {
        player.FileName = c.path;
        try {
            player.Open();
            ADD_FAILURE() << c.path << " opened";
        } catch (const EMCIDeviceError& error) {
            const std::string message = error.what();
            const std::string prefix = "cannot open " + c.path + ": ";
            EXPECT_EQ(message.substr(0, prefix.size()), prefix);
            EXPECT_GT(message.size(), prefix.size()) << message;
            if (c.reason) {
                EXPECT_EQ(message.substr(prefix.size()), c.reason);
            }
        }
        EXPECT_EQ(player.Mode(), mpNotReady) << c.path;
        EXPECT_EQ(player.Length(), 0);
        EXPECT_EQ(pixel(10, 10), 0xFFFFFFu) << c.path;
    }
    // A device that failed keeps nothing of the video opened before.
    player.FileName = avi;
    player.Open();
    player.FileName = dir + "/empty.avi";
    EXPECT_THROW(player.Open(), EMCIDeviceError);
    EXPECT_EQ(player.Mode(), mpNotReady);
    EXPECT_EQ(pixel(10, 10), 0xFFFFFFu);
}

TEST_F(MediaFixture, ACutOffVideoPlaysWhatItHasAndStops)
{
    for (const char* name : {"clip-0.avi", "clip-3.avi", "clip-4.mp4"}) {
        const int kind = name[5] - '0';
        const std::string whole = video(name, testvideo::Kinds[kind].codecArgs, 20, 10);
        std::vector<char> bytes = readAll(whole);
        bytes.resize(bytes.size() / 2);
        const std::string cut = folder() + "/cut-" + name;
        writeAll(cut, bytes);
        player.FileName = cut;
        try {
            player.Open();
        } catch (const EMCIDeviceError& error) {
            // Some containers keep their index at the end: then it cannot open at all.
            EXPECT_NE(std::string(error.what()).find("cannot open " + cut + ": "), std::string::npos);
            continue;
        }
        player.Play();
        EXPECT_TRUE(clock.RunUntil([&] { return player.Mode() == mpStopped; }, 5000)) << name;
        EXPECT_EQ(player.Position(), player.Length()) << name;
        EXPECT_LE(player.Length(), 20);
        const auto [frame, diff] = shown(20);
        EXPECT_EQ(frame, player.Length() - 1) << name;
        EXPECT_LT(diff, 12);
    }
}

} // namespace

namespace {

// Copies of every kind of video with bytes overwritten here and there: each either
// fails to open with its message, or plays to a stop; nothing else.
TEST_F(MediaFixture, DamagedVideosOpenWithAMessageOrPlayToTheirEnd)
{
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (size_t k = 0; k < std::size(testvideo::Kinds); ++k) {
        const testvideo::Kind& kind = testvideo::Kinds[k];
        const std::vector<char> whole = readAll(video("clip-" + std::to_string(k) + kind.extension, kind.codecArgs, 20, 10));
        ASSERT_FALSE(whole.empty());
        for (int round = 0; round < 25; ++round) {
            std::vector<char> bytes = whole;
            const int flips = 1 + int(next() % 16);
            for (int i = 0; i < flips; ++i)
                bytes[next() % bytes.size()] = char(next() & 0xFF);
            const std::string path = folder() + "/damaged" + kind.extension;
            writeAll(path, bytes);
            player.FileName = path;
            try {
                player.Open();
            } catch (const EMCIDeviceError& error) {
                EXPECT_EQ(std::string(error.what()).rfind("cannot open " + path + ": ", 0), 0u) << error.what();
                continue;
            }
            player.Play();
            EXPECT_TRUE(clock.RunUntil([&] { return player.Mode() == mpStopped; }, 10000)) << kind.name << " " << round;
            player.SetPosition(player.Length() / 2);
            player.SetPosition(1);
            player.Close();
        }
    }
}

} // namespace
