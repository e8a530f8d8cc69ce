// The program itself, started as a user starts it: help, version, usage errors and
// an offscreen screenshot read back by Qt's PNG reader.
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
