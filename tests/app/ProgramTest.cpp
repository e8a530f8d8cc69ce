// The program itself, started as a user starts it: help, version, usage errors and
// an offscreen screenshot read back by Qt's PNG reader.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exitCode;
    std::string output;  // stdout and stderr together
};

Outcome runTovrane(const std::string& arguments)
{
    const std::string command = std::string(TOVRANE_BINARY_DIR) + "/app/tovrane " + arguments + " 2>&1";
    Outcome run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 512> chunk{};
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe))
        run.output.append(chunk.data(), n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(Program, HelpAndVersion)
{
    Outcome help = runTovrane("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("Usage: tovrane"), std::string::npos);
    Outcome version = runTovrane("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "Tovrane 2.3\n");
}

TEST(Program, UsageErrorsExitWithTwo)
{
    for (const char* arguments : {"--bogus", "--screenshot", "--page 2", "--screenshot x.png --page 9"}) {
        Outcome run = runTovrane(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.output.find("tovrane: "), std::string::npos) << arguments;
    }
}

TEST(Program, ScreenshotOfEachPageWithoutADisplay)
{
    QTemporaryDir dir;
    for (int page = 1; page <= 4; ++page) {
        const std::string file = dir.filePath(QStringLiteral("page%1.png").arg(page)).toStdString();
        Outcome run = runTovrane("--screenshot '" + file + "' --page " + std::to_string(page));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        QImage picture(QString::fromStdString(file));
        ASSERT_FALSE(picture.isNull()) << file;
        EXPECT_EQ(picture.size(), QSize(687, 472));
    }
    Outcome preview = runTovrane("--screenshot '" + dir.filePath("preview.png").toStdString() + "' --window preview");
    ASSERT_EQ(preview.exitCode, 0) << preview.output;
    EXPECT_EQ(QImage(dir.filePath("preview.png")).size(), QSize(528, 389));
}

TEST(Program, AScreenshotThatCannotBeWrittenFailsCleanly)
{
    Outcome run = runTovrane("--screenshot /nonexistent-folder/shot.png");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("tovrane: "), std::string::npos);
}

namespace {

std::string corpusGif(const std::string& name)
{
    return std::string(TOVRANE_CORPUS_DIR) + "/gif/peterdn-gif-test-suite/gifs/" + name;
}

// Pixels of picture at (left, top) differing from expected, counting opaque ones only.
int differing(const QImage& picture, const QImage& expected, int left, int top)
{
    int wrong = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (qAlpha(expected.pixel(x, y)) == 255 &&
                (picture.pixel(left + x, top + y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF))
                ++wrong;
    return wrong;
}

} // namespace

TEST(Program, RenderComposesAGifFrameAsThePreviewShowsIt)
{
    QTemporaryDir dir;
    const std::string out = dir.filePath(QStringLiteral("f.png")).toStdString();
    for (int frame = 1; frame <= 4; ++frame) {
        Outcome run = runTovrane("render '" + corpusGif("animated_transparent_frame_restorebackground_loop.gif") + "' '" +
                                 out + "' --frame " + std::to_string(frame) + " --transparent");
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const QImage expected(QString::fromStdString(corpusGif("frames/animated_transparent_frame_restorebackground_loop-" +
                                                               std::to_string(frame - 1) + ".png")));
        const QImage picture = QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.size(), expected.size());
        EXPECT_EQ(differing(picture, expected.convertToFormat(QImage::Format_ARGB32), 0, 0), 0) << frame;
        // Where the suite shows nothing, so does the picture.
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                if (qAlpha(expected.pixel(x, y)) == 0)
                    ASSERT_EQ(qAlpha(picture.pixel(x, y)), 0) << frame << " at " << x << ", " << y;
    }
}

TEST(Program, RenderOfABadGifSaysWhatIsWrong)
{
    QTemporaryDir dir;
    const std::string out = dir.filePath(QStringLiteral("f.png")).toStdString();
    const std::string gif = corpusGif("animated_loop.gif");
    struct Case {
        std::string arguments;
        int exitCode;
        std::string says;
    };
    const std::string truncated = dir.filePath(QStringLiteral("cut.gif")).toStdString();
    {
        QFile whole(QString::fromStdString(gif)), cut(QString::fromStdString(truncated));
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly));
        cut.write(whole.readAll().left(790));  // into the third frame
    }
    // A 10000 x 10000 logical screen holding one 1 x 1 frame.
    const std::string hugeScreen = dir.filePath(QStringLiteral("huge.gif")).toStdString();
    {
        QFile huge(QString::fromStdString(hugeScreen));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        const char bytes[] = "GIF89a\x10\x27\x10\x27\x80\x00\x00"  // screen, a 2-colour table
                             "\x00\x00\x00\xff\xff\xff"
                             "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"  // a 1 x 1 image
                             "\x02\x02\x44\x01\x00\x3b";
        huge.write(bytes, sizeof bytes - 1);
    }
    const Case cases[] = {
        {"'" + gif + "' '" + out + "' --frame 5", 1, "has 4 frames, not 5"},
        {"'" + gif + "' '" + out + "' --size 10x10", 2, "--size"},
        {"'" + gif + "' /nonexistent-folder/f.png", 1, "cannot write /nonexistent-folder/f.png"},
        {"'" + truncated + "' '" + out + "' --frame 2", 0, ", frame 2 of "},
        {"'" + hugeScreen + "' '" + out + "'", 1, "10000x10000 of " + hugeScreen + " is too large to compose"},
    };
    for (const Case& c : cases) {
        Outcome run = runTovrane("render " + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    EXPECT_FALSE(QFile::exists(QStringLiteral("/nonexistent-folder/f.png")));
}

TEST(Program, ScreenshotsOfThePreviewWindowsHoldingARecording)
{
    QTemporaryDir dir;
    const std::string shot = dir.filePath(QStringLiteral("preview.png")).toStdString();
    Outcome run = runTovrane("--screenshot '" + shot + "' --window preview --open '" + corpusGif("animated_loop.gif") +
                             "' --frame 3");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const QImage preview(QString::fromStdString(shot));
    ASSERT_EQ(preview.size(), QSize(528, 389));
    // The 100 x 100 frame centred in the 528 x 347 panel above the button bar.
    const QImage frame(QString::fromStdString(corpusGif("frames/animated_loop-2.png")));
    EXPECT_EQ(differing(preview, frame, 214, 123), 0);

    // A folder of numbered pictures: the first one, centred above the bar.
    const QString folder = dir.filePath(QStringLiteral("series"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int n = 1; n <= 3; ++n) {
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(n == 1 ? QColor(200, 30, 40) : QColor(20, 200, 40));
        ASSERT_TRUE(picture.save(folder + QStringLiteral("/%1.bmp").arg(n)));
    }
    const std::string images = dir.filePath(QStringLiteral("images.png")).toStdString();
    run = runTovrane("--screenshot '" + images + "' --window images --open '" + folder.toStdString() + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const QImage window(QString::fromStdString(images));
    ASSERT_EQ(window.size(), QSize(424, 307));
    EXPECT_EQ(window.pixelColor(212, 132), QColor(200, 30, 40));

    run = runTovrane("--screenshot '" + images + "' --window images --open '" + dir.path().toStdString() + "/none'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("holds no 1.jpg, 1.png or 1.bmp"), std::string::npos) << run.output;
}
