// Files the player must refuse with a sentence naming them, leaving the device closed
// and the window as it was; and a cut-off video that plays what it has and stops.
#include "MediaFixture.h"

#include <fstream>
#include <iterator>

namespace {

std::vector<char> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

void put32(std::vector<char>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

// An AVI whose headers claim 20000 x 20000 pixels (the stream header's frame and the
// stream format's bitmap header), and, with sof, a JPEG picture that does too.
std::string hugeVideo(const std::string& source, const std::string& path, bool sof)
{
    std::vector<char> bytes = readAll(source);
    const std::string text(bytes.begin(), bytes.end());
    for (size_t at = text.find("avih"); at != std::string::npos; at = std::string::npos) {
        put32(bytes, at + 8 + 32, 20000);  // dwWidth
        put32(bytes, at + 8 + 36, 20000);  // dwHeight
    }
    for (size_t at = text.find("strf"); at != std::string::npos; at = text.find("strf", at + 4)) {
        put32(bytes, at + 8 + 4, 20000);  // biWidth
        put32(bytes, at + 8 + 8, 20000);  // biHeight
    }
    if (sof) {
        // Start of frame: marker, length, precision, then height and width, big-endian.
        for (size_t at = text.find("\xFF\xC0"); at != std::string::npos; at = text.find("\xFF\xC0", at + 2)) {
            bytes[at + 5] = char(0x4E), bytes[at + 6] = char(0x20);
            bytes[at + 7] = char(0x4E), bytes[at + 8] = char(0x20);
        }
    }
    writeAll(path, bytes);
    return path;
}

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
        {hugeVideo(avi, dir + "/huge.avi", false), "the video is 20000 x 20000 pixels, more than the 10000 x 10000 (40 million pixels) played here"},
        {hugeVideo(mjpeg, dir + "/huge-jpeg.avi", true), "the video is 20000 x 20000 pixels, more than the 10000 x 10000 (40 million pixels) played here"},
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
