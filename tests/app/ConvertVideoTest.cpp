// `tovrane convert` on videos, end to end: the built program converts videos made by
// ffmpeg, and giflib reads the GIF files back. Each frame must be the video's
// picture at its capture time; bad videos end with status 1 and leave files alone.
#include "TestVideos.h"

#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <filesystem>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr int W = 64, H = 48, Frames = 20, Fps = 10;

struct Outcome {
    int exitCode;
    std::string output;
};

Outcome convert(const std::string& arguments)
{
    Outcome result{-1, {}};
    const std::string command = std::string(TOVRANE_BINARY_DIR) + "/app/tovrane convert " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 512> chunk{};
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe))
        result.output.append(chunk.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A GIF as giflib reads it: every frame composed onto the screen, its delay, and
// whether it loops.
struct ReadGif {
    int width = 0, height = 0;
    std::vector<std::vector<uint32_t>> frames;  // 0x00RRGGBB
    std::vector<int> delays;                   // hundredths of a second
    bool loops = false;
    std::vector<uint32_t> colours;             // every colour of every table used
};

bool isLoopExtension(const ExtensionBlock& block)
{
    return block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
           std::string(reinterpret_cast<const char*>(block.Bytes), 11) == "NETSCAPE2.0";
}

ReadGif readGif(const std::string& path)
{
    ReadGif out;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "giflib cannot read " << path;
        if (gif)
            DGifCloseFile(gif, &error);
        return out;
    }
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    std::vector<uint32_t> screen(size_t(out.width) * size_t(out.height), 0);
    for (int e = 0; e < gif->ExtensionBlockCount; ++e)
        out.loops = out.loops || isLoopExtension(gif->ExtensionBlocks[e]);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            out.loops = out.loops || isLoopExtension(image.ExtensionBlocks[e]);
            if (image.ExtensionBlocks[e].Function == GRAPHICS_EXT_FUNC_CODE)
                DGifExtensionToGCB(image.ExtensionBlocks[e].ByteCount, image.ExtensionBlocks[e].Bytes, &gcb);
        }
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)];
                if (index == gcb.TransparentColor || !map || index >= map->ColorCount)
                    continue;
                const GifColorType c = map->Colors[index];
                const uint32_t rgb = (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
                const int sx = d.Left + x, sy = d.Top + y;
                if (sx < out.width && sy < out.height)
                    screen[size_t(sy) * size_t(out.width) + size_t(sx)] = rgb;
                out.colours.push_back(rgb);
            }
        }
        out.frames.push_back(screen);
        out.delays.push_back(gcb.DelayTime);
    }
    DGifCloseFile(gif, &error);
    return out;
}

class ConvertVideo : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string video(const std::string& name, const char* codecArgs = testvideo::Kinds[0].codecArgs)
    {
        const std::string p = path(name);
        EXPECT_TRUE(testvideo::Make(p, codecArgs, W, H, Frames, Fps));
        return p;
    }
    // Every frame of gif is the picture the video shows delay * (i + 1) ms after its start.
    static void expectPictures(const ReadGif& gif, int delay, const std::string& what)
    {
        for (size_t i = 0; i < gif.frames.size(); ++i) {
            const int64_t t = int64_t(delay) * int64_t(i + 1);
            const auto [shown, diff] = testvideo::NearestFrame(
                W, H, Frames, [&](int x, int y) { return gif.frames[i][size_t(y) * size_t(gif.width) + size_t(x)]; });
            const int expected = testvideo::FrameAt(t, Fps);
            if (t % (1000 / Fps) == 0)
                EXPECT_TRUE(shown == expected || shown == expected - 1) << what << " at " << t;
            else
                EXPECT_EQ(shown, expected) << what << " at " << t;
            EXPECT_LT(diff, 16) << what << " at " << t;
        }
    }

    QTemporaryDir dir;
};

TEST_F(ConvertVideo, EveryKindBecomesAGifOfItsPicturesAtTheCaptureTimes)
{
    for (const testvideo::Kind& kind : testvideo::Kinds) {
        const std::string input = video(std::string("clip") + kind.extension, kind.codecArgs);
        const std::string output = path("clip.gif");
        const Outcome run = convert("'" + input + "' '" + output + "' --delay 130 -q");
        ASSERT_EQ(run.exitCode, 0) << kind.name << "\n" << run.output;
        EXPECT_NE(run.output.find("GIF was successfully saved to " + output), std::string::npos) << run.output;
        const ReadGif gif = readGif(output);
        EXPECT_EQ(gif.width, W);
        EXPECT_EQ(gif.height, H);
        ASSERT_EQ(gif.frames.size(), 15u) << kind.name;  // 130 ms to 1950 ms of a 2 s video
        for (int delay : gif.delays)
            EXPECT_EQ(delay, 13);
        EXPECT_FALSE(gif.loops);
        expectPictures(gif, 130, kind.name);
    }
}

TEST_F(ConvertVideo, TheDefaultsAreThePagesAndTheOptionsApply)
{
    // Recognised by its content under any name.
    const std::string input = path("clip.dat");
    std::filesystem::rename(video("clip.mp4", testvideo::Kinds[4].codecArgs), input);
    const Outcome plain = convert("'" + input + "' '" + path("plain.gif") + "'");
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    EXPECT_NE(plain.output.find("captured 13 pictures"), std::string::npos) << plain.output;
    const ReadGif defaults = readGif(path("plain.gif"));
    ASSERT_EQ(defaults.frames.size(), 13u);  // every 150 ms of 2 s
    EXPECT_EQ(defaults.delays.front(), 15);
    EXPECT_EQ(defaults.width, W);
    EXPECT_FALSE(defaults.loops);
    expectPictures(defaults, 150, "defaults");

    ASSERT_EQ(convert("'" + input + "' '" + path("opts.gif") + "' --loop --size 32x24 --duration 500 --depth 1 -q").exitCode, 0);
    const ReadGif opts = readGif(path("opts.gif"));
    EXPECT_TRUE(opts.loops);
    EXPECT_EQ(opts.width, 32);
    EXPECT_EQ(opts.height, 24);
    EXPECT_EQ(opts.frames.size(), 3u);  // 150, 300 and 450 ms
    for (uint32_t c : opts.colours)
        EXPECT_TRUE(c == 0 || c == 0xFFFFFF) << std::hex << c;
}

TEST_F(ConvertVideo, AFolderTakesABatch)
{
    const std::string a = video("a.avi"), b = video("b.mp4", testvideo::Kinds[4].codecArgs);
    const std::string out = path("out");
    std::filesystem::create_directory(out);
    const Outcome run = convert("-o '" + out + "' '" + a + "' '" + b + "' -q");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(readGif(out + "/a.gif").frames.size(), 13u);
    EXPECT_EQ(readGif(out + "/b.gif").frames.size(), 13u);
}

TEST_F(ConvertVideo, BadVideosEndWithAClearMessageAndTouchNothing)
{
    testvideo::writeAll(path("empty.avi"), {});
    std::vector<char> head = testvideo::readAll(video("whole.mp4", testvideo::Kinds[4].codecArgs));
    head.resize(300);
    testvideo::writeAll(path("head.mp4"), head);
    for (const char* sound : {"tone.wav", "tone.mkv"})
        ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=duration=0.5 -c:a pcm_s16le '" +
                               path(sound) + "'")
                                  .c_str()),
                  0);
    testvideo::MakeHugeAvi(video("small.avi"), path("huge.avi"), false);
    struct Case {
        std::string input;
        const char* message;
    };
    const Case cases[] = {
        {path("missing.avi"), "error: cannot open "},
        {path("empty.avi"), ": the file is empty"},
        {path("head.mp4"), "error: cannot open "},
        {path("tone.mkv"), ": the file has no video stream"},
        {path("tone.wav"), "error: "},  // not a video by its content: the Flash pages refuse it
        {path("huge.avi"), ": the video is 20000 x 20000 pixels"},
    };
    const std::string output = path("keep.gif");
    testvideo::writeAll(output, {'k', 'e', 'e', 'p'});
    for (const Case& c : cases) {
        const Outcome run = convert("'" + c.input + "' '" + output + "'");
        EXPECT_EQ(run.exitCode, 1) << c.input << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.input), std::string::npos) << run.output;
        EXPECT_EQ(testvideo::readAll(output), (std::vector<char>{'k', 'e', 'e', 'p'}));
    }
    const Outcome avi = convert("'" + path("small.avi") + "' '" + path("out.avi") + "'");
    EXPECT_EQ(avi.exitCode, 1);
    EXPECT_NE(avi.output.find("videos convert to GIF only"), std::string::npos) << avi.output;
    EXPECT_FALSE(std::filesystem::exists(path("out.avi")));
    // Options of the Flash pages only.
    for (const char* option : {"--background '#FF0000'", "--quality best"}) {
        const Outcome run = convert("'" + path("small.avi") + "' '" + path("x.gif") + "' " + option);
        EXPECT_EQ(run.exitCode, 1) << option;
        EXPECT_NE(run.output.find("goes with Flash movies, not with the video"), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(path("x.gif")));
    }
}

} // namespace
