// The headless converter end to end: the built program converts movies of known
// pictures, and independent readers check the files: giflib for GIF, ffprobe and
// ffmpeg for AVI, Qt's libpng/libjpeg/BMP readers for image series.
#include "swf/Writer.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct Outcome {
    int exitCode;
    std::string output;
};

Outcome run(const std::string& command)
{
    Outcome result{-1, {}};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 512> chunk{};
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe))
        result.output.append(chunk.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Outcome convert(const std::string& arguments)
{
    return run(std::string(TOVRANE_BINARY_DIR) + "/app/tovrane convert " + arguments);
}

const swf::Rgba Colours[] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}};

// Four frames at 2 fps (half a second each): a 40x40 square at (10, 10) on the stage
// (white unless said), red, green, blue, then yellow.
std::string writeMovie(const QTemporaryDir& dir, const char* name, int frames = 4, double fps = 2,
                       swf::Rgba stage = {255, 255, 255, 255})
{
    swf::MovieBuilder b(100, 80, fps);
    b.setBackground(stage);
    std::vector<uint16_t> squares;
    for (const swf::Rgba& c : Colours)
        squares.push_back(b.addRectangle(swf::Rect{0, 40 * 20, 0, 40 * 20}, c));
    for (int f = 0; f < frames; ++f) {
        if (f > 0)
            b.remove(1);
        b.place(squares[size_t(f % 4)], 1, swf::Matrix::translate(10 * 20, 10 * 20));
        b.showFrame();
    }
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    EXPECT_TRUE(b.save(path).ok());
    return path;
}

// Index of the test colour nearest to rgb, 4 for white, 5 for black, -1 for anything else.
int colourIndex(int r, int g, int b)
{
    for (int i = 0; i < 4; ++i) {
        if (std::abs(r - Colours[i].r) + std::abs(g - Colours[i].g) + std::abs(b - Colours[i].b) < 60)
            return i;
    }
    if (r > 230 && g > 230 && b > 230)
        return 4;
    return r < 25 && g < 25 && b < 25 ? 5 : -1;
}

struct GifFrame {
    int square;      // colour index at (30, 30)
    int background;  // colour index at (80, 70)
    int delayCs;
};

// Composes the frames as a viewer does and samples two points of each.
std::vector<GifFrame> readGif(const std::string& path, int& width, int& height, bool& looping)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    EXPECT_NE(gif, nullptr) << GifErrorString(error);
    if (!gif)
        return {};
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    width = gif->SWidth;
    height = gif->SHeight;
    if (width < 4 || height < 4)
        return {};
    looping = false;
    std::vector<int> canvas(size_t(width * height), -1);
    std::vector<GifFrame> frames;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::string(reinterpret_cast<char*>(block.Bytes), 11) == "NETSCAPE2.0")
                looping = true;
        }
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[y * d.Width + x];
                if (index == gcb.TransparentColor || !map || index >= map->ColorCount)
                    continue;
                const GifColorType c = map->Colors[index];
                const int cx = d.Left + x, cy = d.Top + y;
                if (cx < width && cy < height)
                    canvas[size_t(cy * width + cx)] = colourIndex(c.Red, c.Green, c.Blue);
            }
        }
        // The movie is drawn at the output size: (30, 30) and (80, 70) of its 100x80 stage.
        const int sx = 30 * width / 100, sy = 30 * height / 80, bx = 80 * width / 100, by = 70 * height / 80;
        frames.push_back({canvas[size_t(sy * width + sx)], canvas[size_t(by * width + bx)], gcb.DelayTime});
    }
    DGifCloseFile(gif, &error);
    return frames;
}

std::string probe(const std::string& file, const std::string& entries, const char* stream = "v:0")
{
    Outcome out = run("ffprobe -v error -count_frames -select_streams " + std::string(stream) + " -show_entries " +
                      entries + " -of default=nw=1 '" + file + "'");
    return out.output;
}

// One second of silence, 8 kHz mono 16-bit.
void writeWav(const std::string& path)
{
    const uint32_t samples = 8000, dataBytes = samples * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    std::vector<char> silence(dataBytes, 0);
    out.write(silence.data(), std::streamsize(silence.size()));
}

} // namespace

TEST(Convert, AMovieBecomesAGifOfItsPicturesAtTheDelay)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "squares.swf");
    const std::string gif = dir.filePath("squares.gif").toStdString();
    Outcome out = convert("'" + movie + "' '" + gif + "' --delay 100");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    EXPECT_NE(out.output.find("GIF was successfully saved to " + gif), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("captured "), std::string::npos);

    int width = 0, height = 0;
    bool looping = false;
    const std::vector<GifFrame> frames = readGif(gif, width, height, looping);
    EXPECT_EQ(width, 100);  // the movie's stage size
    EXPECT_EQ(height, 80);
    EXPECT_TRUE(looping);
    // Two seconds of movie at 100 ms: red, green and blue for about five pictures each.
    ASSERT_GE(frames.size(), 15u);
    ASSERT_LE(frames.size(), 21u);
    int counts[5] = {};
    int last = 0;
    for (const GifFrame& f : frames) {
        EXPECT_EQ(f.delayCs, 10);
        EXPECT_EQ(f.background, 4);
        ASSERT_GE(f.square, 0);
        ASSERT_LT(f.square, 4);
        EXPECT_GE(f.square, last);  // the colours come in the movie's order
        last = f.square;
        ++counts[f.square];
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(counts[i], 4) << i;
        EXPECT_LE(counts[i], 6) << i;
    }
}

TEST(Convert, GifOptionsReachTheFile)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "squares.swf");
    const std::string gif = dir.filePath("small.gif").toStdString();
    Outcome out = convert("'" + movie + "' '" + gif + "' --delay 250 --size 50x40 --no-loop --duration 1000 -q");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    EXPECT_EQ(out.output.find("captured "), std::string::npos);
    int width = 0, height = 0;
    bool looping = true;
    const std::vector<GifFrame> frames = readGif(gif, width, height, looping);
    EXPECT_EQ(width, 50);
    EXPECT_EQ(height, 40);
    EXPECT_FALSE(looping);
    EXPECT_EQ(frames.size(), 4u);  // 1000 ms at 250 ms
    for (const GifFrame& f : frames)
        EXPECT_EQ(f.delayCs, 25);
}

TEST(Convert, AMovieBecomesAnAviWithAndWithoutSound)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "squares.swf");
    const std::string avi = dir.filePath("plain.avi").toStdString();
    Outcome out = convert("'" + movie + "' '" + avi + "' --delay 100 --depth 24 --duration 1500");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    EXPECT_NE(out.output.find("AVI was successfully saved to " + avi), std::string::npos);
    const std::string video = probe(avi, "stream=nb_read_frames,r_frame_rate,width,height");
    EXPECT_NE(video.find("width=100"), std::string::npos) << video;
    EXPECT_NE(video.find("height=80"), std::string::npos) << video;
    EXPECT_NE(video.find("r_frame_rate=10/1"), std::string::npos) << video;
    EXPECT_NE(video.find("nb_read_frames=15"), std::string::npos) << video;
    EXPECT_EQ(run("ffmpeg -v error -i '" + avi + "' -f null -").exitCode, 0);
    EXPECT_EQ(probe(avi, "stream=codec_type", "a"), "");

    const std::string wav = dir.filePath("sound.wav").toStdString();
    writeWav(wav);
    const std::string withSound = dir.filePath("sound.avi").toStdString();
    out = convert("'" + movie + "' '" + withSound + "' --wav '" + wav + "' --duration 1000 -q");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    EXPECT_NE(probe(withSound, "stream=codec_type", "a").find("codec_type=audio"), std::string::npos);
    EXPECT_NE(probe(withSound, "stream=nb_read_frames").find("nb_read_frames=10"), std::string::npos);
}

// The colour index at (30, 30) of every decoded video frame (the square).
std::vector<int> videoSquares(const std::string& file, int width, int height)
{
    const Outcome out = run("ffmpeg -v error -i '" + file + "' -map 0:v -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
    std::vector<int> squares;
    const size_t frameBytes = size_t(width) * height * 3;
    for (size_t at = 0; at + frameBytes <= out.output.size(); at += frameBytes) {
        const auto* p = reinterpret_cast<const unsigned char*>(out.output.data() + at + (30 * size_t(width) + 30) * 3);
        squares.push_back(colourIndex(p[0], p[1], p[2]));
    }
    return squares;
}

TEST(Convert, AMovieBecomesCompressedVideoWithAndWithoutSound)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "squares.swf");
    const std::string wav = dir.filePath("sound.wav").toStdString();
    writeWav(wav);
    struct Case {
        const char* file;
        const char* options;
        const char* codec;
        const char* audio;  // codec of the sound, empty without one
        const char* saved;
    };
    const Case cases[] = {
        {"plain.mp4", "", "codec_name=h264", "", "MP4 was successfully saved to "},
        {"sound.mp4", "--crf 20 --preset veryfast --wav", "codec_name=h264", "codec_name=aac", "MP4 was successfully saved to "},
        {"sound.webm", "--crf 30 --wav", "codec_name=vp9", "codec_name=opus", "WebM was successfully saved to "},
        {"sound.mkv", "--wav", "codec_name=h264", "codec_name=aac", "MKV was successfully saved to "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = dir.filePath(c.file).toStdString();
        std::string options = c.options;
        if (options.find("--wav") != std::string::npos)
            options += " '" + wav + "'";
        Outcome out = convert("'" + movie + "' '" + file + "' --delay 100 --duration 1500 " + options);
        ASSERT_EQ(out.exitCode, 0) << out.output;
        EXPECT_NE(out.output.find(c.saved + file), std::string::npos) << out.output;
        EXPECT_NE(out.output.find("encoded 15/15 frames"), std::string::npos) << out.output;
        const std::string video = probe(file, "stream=codec_name,pix_fmt,nb_read_frames,r_frame_rate,width,height");
        EXPECT_NE(video.find(c.codec), std::string::npos) << video;
        EXPECT_NE(video.find("pix_fmt=yuv420p"), std::string::npos) << video;
        EXPECT_NE(video.find("width=100"), std::string::npos) << video;
        EXPECT_NE(video.find("height=80"), std::string::npos) << video;
        EXPECT_NE(video.find("r_frame_rate=10/1"), std::string::npos) << video;
        EXPECT_NE(video.find("nb_read_frames=15"), std::string::npos) << video;
        const std::string audio = probe(file, "stream=codec_name", "a");
        if (*c.audio)
            EXPECT_NE(audio.find(c.audio), std::string::npos) << audio;
        else
            EXPECT_EQ(audio, "");
        // Red, green and blue squares, half a second each: five frames of each at 100 ms.
        const std::vector<int> squares = videoSquares(file, 100, 80);
        ASSERT_EQ(squares.size(), 15u);
        EXPECT_EQ(squares[1], 0);
        EXPECT_EQ(squares[7], 1);
        EXPECT_EQ(squares[13], 2);
    }
}

TEST(Convert, AMovieBecomesAnAnimatedWebpOrApng)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "squares.swf");
    struct Case {
        const char* file;
        const char* options;
        int loop;
    };
    const Case cases[] = {{"anim.webp", "", 0}, {"lossy.webp", "--quality 80 --no-loop", 1}, {"anim.apng", "", 0},
                          {"once.apng", "--no-loop", 1}};
    // The GIF of the same recording shows the same squares at the same times.
    const std::string gif = dir.filePath("same.gif").toStdString();
    ASSERT_EQ(convert("'" + movie + "' '" + gif + "' --delay 100 --duration 1000 -q --depth source").exitCode, 0);
    int width = 0, height = 0;
    bool looping = false;
    std::vector<int> gifSlots;
    for (const GifFrame& f : readGif(gif, width, height, looping))
        gifSlots.insert(gifSlots.end(), size_t(f.delayCs / 10), f.square);
    ASSERT_EQ(gifSlots.size(), 10u);
    EXPECT_EQ(gifSlots.front(), 0);
    EXPECT_NE(std::find(gifSlots.begin(), gifSlots.end(), 1), gifSlots.end());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = dir.filePath(c.file).toStdString();
        Outcome out = convert("'" + movie + "' '" + file + "' --delay 100 --duration 1000 -q " + c.options);
        ASSERT_EQ(out.exitCode, 0) << out.output;
        // Pillow: frames, their delays, the loop count, and the square and the stage of each.
        const Outcome read = run("/usr/bin/python3 -c \"import sys\nfrom PIL import Image, ImageSequence\n"
                                 "im = Image.open(sys.argv[1])\nrows = []\n"
                                 "for f in ImageSequence.Iterator(im):\n"
                                 "    p = f.convert('RGB')\n"
                                 "    rows.append('%d %s %s' % (f.info.get('duration', -1), p.getpixel((30, 30)), p.getpixel((80, 70))))\n"
                                 "print(im.info.get('loop', -1), len(rows))\nprint('\\\\n'.join(rows))\" '" + file + "'");
        ASSERT_EQ(read.exitCode, 0) << read.output;
        std::istringstream lines(read.output);
        int loop = -1, frames = 0;
        lines >> loop >> frames;
        EXPECT_EQ(loop, c.loop);
        // The square of every 100 ms: an encoder may merge equal frames into a longer one.
        std::vector<int> timeline;
        for (int i = 0; i < frames; ++i) {
            int duration = 0, r, g, b, br, bg, bb;
            char skip;
            lines >> duration >> skip >> r >> skip >> g >> skip >> b >> skip >> skip >> br >> skip >> bg >> skip >> bb >> skip;
            EXPECT_EQ(duration % 100, 0) << "frame " << i;
            EXPECT_EQ(colourIndex(br, bg, bb), 4) << "frame " << i;
            timeline.insert(timeline.end(), size_t(duration / 100), colourIndex(r, g, b));
        }
        EXPECT_EQ(timeline, gifSlots) << read.output;
    }
}

TEST(Convert, CompressedOutputsSayWhatTheyIgnoreAndRefuseUnknownNames)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "squares.swf");
    const std::string mp4 = dir.filePath("out.mp4").toStdString();
    Outcome out = convert("'" + movie + "' '" + mp4 + "' --duration 500 -q --loop --quality 70");
    ASSERT_EQ(out.exitCode, 0) << out.output;
    EXPECT_NE(out.output.find("warning: --quality 70 is ignored for MP4 output"), std::string::npos) << out.output;
    EXPECT_NE(out.output.find("warning: --loop is ignored for MP4 output"), std::string::npos) << out.output;

    Outcome unknown = convert("'" + movie + "' '" + dir.filePath("out.mov").toStdString() + "'");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.output.find(".mp4, .webm, .mkv, .webp or .apng"), std::string::npos) << unknown.output;
    EXPECT_FALSE(QFile::exists(dir.filePath("out.mov")));

    // A sound file that is not one fails the save and keeps the earlier file.
    const std::string notSound = dir.filePath("noise.wav").toStdString();
    std::ofstream(notSound) << "no sound here";
    std::ofstream(dir.filePath("keep.mp4").toStdString()) << "earlier";
    Outcome failed = convert("'" + movie + "' '" + dir.filePath("keep.mp4").toStdString() + "' --duration 500 -q --wav '" +
                             notSound + "'");
    EXPECT_EQ(failed.exitCode, 1) << failed.output;
    EXPECT_NE(failed.output.find(notSound), std::string::npos) << failed.output;
    std::ifstream kept(dir.filePath("keep.mp4").toStdString());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "earlier");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4) << QDir(dir.path()).entryList(QDir::Files).join(' ').toStdString();
}

TEST(Convert, AMovieBecomesImageSeriesOfEachFormat)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "squares.swf");
    for (const char* format : {"jpg", "png", "bmp"}) {
        SCOPED_TRACE(format);
        const std::string folder = dir.filePath(QStringLiteral("series-") + QString::fromLatin1(format)).toStdString();
        Outcome out = convert("'" + movie + "' '" + folder + "' --format " + format +
                              " --delay 600 --stop-after 3 --duration 5000 -q");
        ASSERT_EQ(out.exitCode, 0) << out.output;
        for (int i = 1; i <= 3; ++i) {
            const QString file = QString::fromStdString(folder) + QStringLiteral("/%1.").arg(i) + QString::fromLatin1(format);
            QImage image(file);
            ASSERT_FALSE(image.isNull()) << file.toStdString();
            EXPECT_EQ(image.size(), QSize(100, 80));
            const QColor square = image.pixelColor(30, 30), background = image.pixelColor(80, 70);
            // The i-th picture is taken at i * 600 ms: the square of movie frame i (the last stays).
            EXPECT_EQ(colourIndex(square.red(), square.green(), square.blue()), i % 4) << i;
            // The white stage behind the shapes; PNG pictures are clear where the movie
            // paints nothing.
            if (std::string(format) == "png")
                EXPECT_EQ(background.alpha(), 0) << i;
            else
                EXPECT_EQ(colourIndex(background.red(), background.green(), background.blue()), 4) << i;
        }
        EXPECT_FALSE(QFile::exists(QString::fromStdString(folder) + QStringLiteral("/4.") + QString::fromLatin1(format)));
    }
}

// The pixels of the last picture of a file, as ffmpeg decodes it: RGBA, row by row.
std::vector<uint8_t> lastPictureByFfmpeg(const std::string& file, int width, int height)
{
    FILE* pipe = popen(("ffmpeg -v error -i '" + file + "' -f rawvideo -pix_fmt rgba - 2>/dev/null").c_str(), "r");
    if (!pipe)
        return {};
    std::vector<uint8_t> all;
    std::array<char, 65536> chunk{};
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe))
        all.insert(all.end(), chunk.data(), chunk.data() + n);
    pclose(pipe);
    const size_t frame = size_t(width) * size_t(height) * 4;
    if (all.size() < frame || all.size() % frame != 0)
        return {};
    return std::vector<uint8_t>(all.end() - std::ptrdiff_t(frame), all.end());
}

struct Rgba8 {
    int r, g, b, a;
};

Rgba8 pixelOf(const std::vector<uint8_t>& rgba, int width, int x, int y)
{
    const uint8_t* p = rgba.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    return {p[0], p[1], p[2], p[3]};
}

bool near(const Rgba8& p, int r, int g, int b, int tolerance)
{
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance &&
           p.a == 255;
}

TEST(Convert, EveryOutputShowsTheStageColourOrTheChosenBackground)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "blue.swf", 1, 2, swf::Rgba{0x14, 0x3C, 0xA0, 255});
    struct Row {
        const char* name;
        const char* options;
        const char* output;  // a file, or a folder holding 1.EXT
        int tolerance;       // the colour reduction of the depth, JPEG's rounding
    } rows[] = {
        {"gif, 8 bit", "", "a.gif", 40},          {"gif, as source", "--depth source", "b.gif", 8},
        {"avi, 8 bit", "", "c.avi", 40},          {"avi, 24 bit", "--depth 24", "d.avi", 0},
        {"jpg", "--format jpg --quality 100", "e", 6}, {"bmp", "--format bmp", "f", 0},
    };
    for (bool chosen : {false, true}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (chosen ? ", --background" : ""));
            const std::string output = dir.filePath((chosen ? "green-" : "") + QString::fromLatin1(row.output)).toStdString();
            Outcome out = convert("'" + movie + "' '" + output + "' --delay 100 --duration 700 -q " + row.options +
                                  (chosen ? " --background '#00FF00'" : ""));
            ASSERT_EQ(out.exitCode, 0) << out.output;
            const bool series = QFileInfo(QString::fromStdString(output)).isDir();
            const std::string file = series ? output + "/1." + std::string(row.options).substr(9, 3) : output;
            const std::vector<uint8_t> rgba = lastPictureByFfmpeg(file, 100, 80);
            ASSERT_FALSE(rgba.empty()) << file;
            const Rgba8 stage = pixelOf(rgba, 100, 80, 70), square = pixelOf(rgba, 100, 30, 30);
            if (chosen)
                EXPECT_TRUE(near(stage, 0, 255, 0, row.tolerance)) << stage.r << "," << stage.g << "," << stage.b;
            else
                EXPECT_TRUE(near(stage, 0x14, 0x3C, 0xA0, row.tolerance)) << stage.r << "," << stage.g << "," << stage.b;
            EXPECT_TRUE(near(square, 255, 0, 0, row.tolerance)) << square.r << "," << square.g << "," << square.b;
        }
    }
    // PNG keeps its transparency where the movie paints nothing, unless a background is chosen.
    for (bool chosen : {false, true}) {
        const std::string folder = dir.filePath(chosen ? "png-green" : "png").toStdString();
        Outcome out = convert("'" + movie + "' '" + folder + "' --format png --duration 1500 -q" +
                              std::string(chosen ? " --background '#00FF00'" : ""));
        ASSERT_EQ(out.exitCode, 0) << out.output;
        const std::vector<uint8_t> rgba = lastPictureByFfmpeg(folder + "/1.png", 100, 80);
        ASSERT_FALSE(rgba.empty());
        const Rgba8 stage = pixelOf(rgba, 100, 80, 70);
        EXPECT_TRUE(chosen ? near(stage, 0, 255, 0, 0) : stage.a == 0) << chosen << ": " << stage.a;
        EXPECT_TRUE(near(pixelOf(rgba, 100, 30, 30), 255, 0, 0, 0));
    }
}

TEST(Convert, FilesThatAreNotMoviesAreRefusedAndTouchNothing)
{
    QTemporaryDir dir;
    struct Row {
        const char* name;
        std::string bytes;
        const char* why;
    } rows[] = {
        {"random.swf", std::string("\x13\x9a\x77\x02\xee\x41\x90\x0c\x5d\x88\x21\xfe\x07\x33", 14), "no SWF or FLV signature"},
        {"picture.swf", std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13), "a GIF picture"},
        {"empty.swf", "", "the file is empty"},
        {"cut.swf", std::string("FWS\x08\x40\x00", 6), ""},
        {"broken.swf", std::string("CWS\x08\x40\x00\x00\x00garbage, not zlib", 26), ""},
        {"no-frames.swf", "", "it has no frames"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string input = dir.filePath(row.name).toStdString();
        if (std::string(row.name) == "no-frames.swf")
            ASSERT_TRUE(swf::MovieBuilder(100, 80, 2).save(input).ok());  // a header and no frame
        else
            std::ofstream(input, std::ios::binary) << row.bytes;
        for (const char* target : {"x.gif", "x.avi", "x-series"}) {
            const std::string output = dir.filePath(target).toStdString();
            Outcome out = convert("'" + input + "' '" + output + "'" +
                                  (std::string(target) == "x-series" ? " --format png" : ""));
            EXPECT_EQ(out.exitCode, 1) << out.output;
            EXPECT_NE(out.output.find("error: " + input + ": not a Flash movie ("), std::string::npos) << out.output;
            EXPECT_NE(out.output.find(row.why), std::string::npos) << out.output;
            EXPECT_EQ(out.output.find("successfully"), std::string::npos) << out.output;
            EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
        }
    }
    // A file already there stays as it was.
    const std::string kept = dir.filePath("kept.gif").toStdString();
    std::ofstream(kept, std::ios::binary) << "earlier result";
    EXPECT_EQ(convert("'" + dir.filePath("random.swf").toStdString() + "' '" + kept + "'").exitCode, 1);
    std::ifstream back(kept, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(back)), std::istreambuf_iterator<char>()), "earlier result");
}

TEST(Convert, SeveralInputsGoIntoAFolderUnderTheirOwnNames)
{
    QTemporaryDir dir;
    const std::string a = writeMovie(dir, "first.swf"), b = writeMovie(dir, "second.swf");
    const std::string out = dir.filePath("out").toStdString();
    QDir().mkpath(QString::fromStdString(out));
    Outcome result = convert("-o '" + out + "' '" + a + "' '" + b + "' --duration 300 -q");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out + "/first.gif")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out + "/second.gif")));
}

TEST(Convert, ErrorsAndUsage)
{
    QTemporaryDir dir;
    Outcome missing = convert("'" + dir.filePath("none.swf").toStdString() + "' '" +
                              dir.filePath("x.gif").toStdString() + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos);

    const std::string junk = dir.filePath("junk.swf").toStdString();
    std::ofstream(junk) << "not a movie at all";
    Outcome bad = convert("'" + junk + "' '" + dir.filePath("x.gif").toStdString() + "'");
    EXPECT_EQ(bad.exitCode, 1) << bad.output;
    EXPECT_FALSE(QFile::exists(dir.filePath("x.gif")));

    // A single-frame movie records too little with the automatic stop.
    const std::string still = writeMovie(dir, "still.swf", 1);
    Outcome shortRun = convert("'" + still + "' '" + dir.filePath("s.gif").toStdString() + "'");
    EXPECT_NE(shortRun.output.find("warning: The GIF recording time is too short."), std::string::npos)
        << shortRun.output;

    EXPECT_EQ(convert("in.swf").exitCode, 2);
    EXPECT_EQ(convert("in.swf out.gif --delay x").exitCode, 2);
    Outcome help = convert("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("Usage: tovrane convert"), std::string::npos);
}

namespace {

std::vector<char> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

// Each process of a batch converts one movie exactly as a lone conversion does.
TEST(Convert, ABatchInSeveralProcessesWritesTheBytesOfOneAtATime)
{
    QTemporaryDir dir;
    std::string inputs;
    const char* names[] = {"one", "two", "three", "four"};
    for (int i = 0; i < 4; ++i)
        inputs += " '" + writeMovie(dir, (std::string(names[i]) + ".swf").c_str(), 3 + i) + "'";
    const std::string serial = dir.filePath("serial").toStdString(), parallel = dir.filePath("parallel").toStdString();
    QDir().mkpath(QString::fromStdString(serial));
    QDir().mkpath(QString::fromStdString(parallel));
    Outcome one = convert("-o '" + serial + "' -j 1" + inputs);
    ASSERT_EQ(one.exitCode, 0) << one.output;
    Outcome two = convert("-o '" + parallel + "' -j 2 --delay 100" + inputs);
    ASSERT_EQ(two.exitCode, 0) << two.output;
    for (const char* name : names) {
        const std::vector<char> a = fileBytes(serial + "/" + name + ".gif"), b = fileBytes(parallel + "/" + name + ".gif");
        ASSERT_GT(a.size(), 100u) << name;
        EXPECT_TRUE(a == b) << name;
        // Every job reports under its own name, once, with its own messages.
        EXPECT_NE(two.output.find(" -> " + parallel + "/" + name + ".gif\n"), std::string::npos) << two.output;
        EXPECT_NE(two.output.find("GIF was successfully saved to " + parallel + "/" + name + ".gif"), std::string::npos);
    }
    EXPECT_NE(two.output.find("[4/4] "), std::string::npos) << two.output;
}

TEST(Convert, ABatchGoesOnPastAFailureAndSaysWhichInputFailed)
{
    QTemporaryDir dir;
    const std::string good = writeMovie(dir, "good.swf"), junk = dir.filePath("junk.swf").toStdString();
    std::ofstream(junk) << "not a movie";
    const std::string out = dir.filePath("out").toStdString();
    QDir().mkpath(QString::fromStdString(out));
    Outcome result = convert("-o '" + out + "' -j 2 -q '" + junk + "' '" + good + "'");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out + "/good.gif")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out + "/junk.gif")));
    EXPECT_NE(result.output.find("error: "), std::string::npos);
    EXPECT_NE(result.output.find(junk), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("good.swf"), std::string::npos) << result.output;  // quiet about the success
}

TEST(Convert, AnOutputFolderThatDoesNotExistIsRefusedBeforeAnyConversion)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "m.swf"), other = writeMovie(dir, "other.swf");
    const std::string missing = dir.filePath("no/such").toStdString();
    const std::string cases[] = {
        "-o '" + missing + "' '" + movie + "' '" + other + "'",
        "-o '" + missing + "' -j 1 '" + movie + "'",
        "'" + movie + "' '" + missing + "/m.gif'",
        "'" + movie + "' '" + missing + "/series' --format png",
    };
    for (const std::string& args : cases) {
        Outcome result = convert(args);
        EXPECT_EQ(result.exitCode, 1) << args;
        EXPECT_NE(result.output.find("the output folder " + missing), std::string::npos) << result.output;
        EXPECT_NE(result.output.find("nothing was converted"), std::string::npos);
        EXPECT_EQ(result.output.find("captured"), std::string::npos) << result.output;
    }
    EXPECT_FALSE(QDir(dir.filePath("no")).exists());
    // An image series' own folder is made inside one that exists.
    Outcome series = convert("'" + movie + "' '" + dir.filePath("frames").toStdString() + "' --format png -q");
    EXPECT_EQ(series.exitCode, 0) << series.output;
    EXPECT_TRUE(QFile::exists(dir.filePath("frames/1.png")));
}

TEST(Convert, QuietPrintsNothingButErrors)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "m.swf"), still = writeMovie(dir, "still.swf", 1);
    Outcome fine = convert("-q '" + movie + "' '" + dir.filePath("m.gif").toStdString() + "'");
    EXPECT_EQ(fine.exitCode, 0);
    EXPECT_EQ(fine.output, "");
    // The too-short warning is a warning: not shown either.
    Outcome warned = convert("--quiet '" + still + "' '" + dir.filePath("s.gif").toStdString() + "'");
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_EQ(warned.output, "");
    Outcome failed = convert("-q '" + dir.filePath("none.swf").toStdString() + "' '" + dir.filePath("n.gif").toStdString() + "'");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.output.find("error: cannot open"), std::string::npos) << failed.output;
}

TEST(Convert, AFormatThatContradictsTheOutputNameIsAUsageError)
{
    QTemporaryDir dir;
    const std::string movie = writeMovie(dir, "m.swf");
    Outcome png = convert("'" + movie + "' '" + dir.filePath("x.gif").toStdString() + "' --format png");
    EXPECT_EQ(png.exitCode, 2);
    EXPECT_NE(png.output.find("--format png does not go with an OUTPUT named x.gif"), std::string::npos) << png.output;
    EXPECT_FALSE(QFile::exists(dir.filePath("x.gif")));
    EXPECT_EQ(convert("'" + movie + "' '" + dir.filePath("x.avi").toStdString() + "' --format gif").exitCode, 2);
}
