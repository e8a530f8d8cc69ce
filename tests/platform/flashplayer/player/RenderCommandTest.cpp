// The render command: arguments, exit codes, and the picture it writes.
#include "RenderCommand.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace flash {
namespace {

const std::string kMovie = std::string(TOVRANE_CORPUS_DIR) + "/swf/visual__simple_shapes__overlaps/test.swf";

struct CommandResult {
    int code;
    std::string out, err;
};

CommandResult run(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int code = RunRenderCommand(args, out, err);
    return {code, out.str(), err.str()};
}

std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("tovrane-render-" + std::to_string(::getpid()) + "-" + name)).string();
}

TEST(RenderCommand, WritesTheStageSizedFirstFrame)
{
    const std::string png = tempPath("a.png");
    const CommandResult r = run({kMovie, png});
    ASSERT_EQ(r.code, 0) << r.err;
    const QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(550, 400));
    const QImage expected(QString::fromStdString(std::string(TOVRANE_CORPUS_DIR) +
                                                 "/swf/visual__simple_shapes__overlaps/output.expected.png"));
    // The corner is the stage background in both.
    EXPECT_EQ(image.pixel(1, 1) | 0xFF000000, expected.pixel(1, 1) | 0xFF000000);
    std::filesystem::remove(png);
}

TEST(RenderCommand, SizeScalesByShowAllAndTransparentLeavesAlphaZero)
{
    const std::string png = tempPath("b.png");
    const CommandResult r = run({kMovie, png, "--size", "275x400", "--transparent", "--frame", "1"});
    ASSERT_EQ(r.code, 0) << r.err;
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(275, 400));
    EXPECT_EQ(qAlpha(image.pixel(137, 10)), 0);   // letterbox above the centred stage
    std::filesystem::remove(png);
}

// The movie has one frame: asking for a later one is refused, and nothing is written.
TEST(RenderCommand, AFramePastTheEndIsRefusedWithTheMoviesLength)
{
    const std::string png = tempPath("past.png");
    const CommandResult r = run({kMovie, png, "--frame", "2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("has 1 frame; frame 2 is past its end"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(png));
}

struct BadArgs {
    std::vector<std::string> args;
    int code;
};

class RenderCommandErrors : public ::testing::TestWithParam<BadArgs> {};

TEST_P(RenderCommandErrors, ExitWithAClearMessage)
{
    const CommandResult r = run(GetParam().args);
    EXPECT_EQ(r.code, GetParam().code);
    EXPECT_NE(r.err.find("tovrane render:"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Player, RenderCommandErrors, ::testing::Values(
    BadArgs{{}, 2},
    BadArgs{{"only-one.swf"}, 2},
    BadArgs{{"a.swf", "b.png", "--frame", "0"}, 2},
    BadArgs{{"a.swf", "b.png", "--frame"}, 2},
    BadArgs{{"a.swf", "b.png", "--size", "10"}, 2},
    BadArgs{{"a.swf", "b.png", "--bogus"}, 2},
    BadArgs{{"/nonexistent/movie.swf", "/tmp/never.png"}, 1},
    BadArgs{{std::string(TOVRANE_CORPUS_DIR) + "/README.md", "/tmp/never.png"}, 1}));

}  // namespace
}  // namespace flash
