// Scripted input: the --input format, its errors, and events reaching the movie
// through the render command.
#include "RenderCommand.h"
#include "ScriptedInput.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace flash {
namespace {

TEST(ScriptedInput, ReadsEveryEventKind)
{
    std::string error;
    const auto events = parseInputScript("# a comment\n"
                                         "0 move 10 20\n"
                                         "f3 click 5 6\r\n"
                                         "\n"
                                         "250.5 wheel -3\n"
                                         "300 key Tab\n"
                                         "300 keydown a\n"
                                         "310 keyup A\n"
                                         "400 type hello world\n"
                                         "500 focus out\n"
                                         "600 KEY numpad1\n",
                                         error);
    ASSERT_TRUE(events) << error;
    ASSERT_EQ(events->size(), 9u);
    const auto& e = *events;
    EXPECT_EQ(e[0].kind, InputEvent::Kind::Move);
    EXPECT_EQ(e[0].x, 10);
    EXPECT_EQ(e[0].y, 20);
    EXPECT_EQ(e[1].kind, InputEvent::Kind::Click);
    EXPECT_EQ(e[1].frame, 3);
    EXPECT_EQ(e[1].line, 3);
    EXPECT_DOUBLE_EQ(eventTimeMs(e[1], 10), 200);   // frame 3 is shown at 200 ms at 10 fps
    EXPECT_EQ(e[2].kind, InputEvent::Kind::Wheel);
    EXPECT_EQ(e[2].x, -3);
    EXPECT_DOUBLE_EQ(e[2].timeMs, 250.5);
    EXPECT_EQ(e[3].keyCode, 9);
    EXPECT_EQ(e[4].keyCode, 65);
    EXPECT_EQ(e[4].charCode, 'a');
    EXPECT_EQ(e[5].kind, InputEvent::Kind::KeyUp);
    EXPECT_EQ(e[5].charCode, 'A');
    EXPECT_EQ(e[6].text, "hello world");
    EXPECT_FALSE(e[7].focusIn);
    EXPECT_EQ(e[8].keyCode, 97);
}

TEST(ScriptedInput, BadLinesNameTheirLineNumber)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"0 move 1 2\nsoon click 1 2\n", "line 2: the time"},
        {"f0 click 1 2\n", "line 1: the time"},
        {"-5 click 1 2\n", "line 1: the time"},
        {"10\n", "line 1: an event is missing"},
        {"10 move 1\n", "line 1: move needs X Y"},
        {"10 down 1 x\n", "line 1: down needs X Y"},
        {"\n\n10 wheel\n", "line 3: wheel needs a DELTA"},
        {"10 key NoSuchKey\n", "line 1: key needs one key NAME"},
        {"10 type   \n", "line 1: type needs the TEXT"},
        {"10 focus sideways\n", "line 1: focus needs in or out"},
        {"10 jump 1 2\n", "line 1: unknown event \"jump\""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseInputScript(c.text, error)) << c.text;
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.text << " gave " << error;
    }
}

std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("tovrane-input-" + std::to_string(::getpid()) + "-" + name)).string();
}

TEST(ScriptedInput, RenderCommandTakesQualityAndInput)
{
    std::string error;
    const auto request = parseRenderArguments({"in.swf", "out.png", "--quality", "LOW", "--input", "e.txt"}, error);
    ASSERT_TRUE(request) << error;
    EXPECT_EQ(request->quality, Quality::Low);
    EXPECT_EQ(request->inputScript, "e.txt");
    EXPECT_FALSE(parseRenderArguments({"in.swf", "out.png", "--quality", "ultra"}, error));
    EXPECT_NE(error.find("low, medium, high or best"), std::string::npos);
    EXPECT_FALSE(parseRenderArguments({"in.swf", "out.png", "--input"}, error));

    // A bad event file fails with its name and line before anything is written.
    const std::string events = tempPath("bad.txt"), png = tempPath("bad.png");
    std::ofstream(events) << "0 move 1 1\n10 hover 2 2\n";
    std::ostringstream out, err;
    const std::string movie = std::string(TOVRANE_CORPUS_DIR) + "/swf/visual__simple_shapes__overlaps/test.swf";
    EXPECT_EQ(RunRenderCommand({movie, png, "--input", events}, out, err), 2);
    EXPECT_NE(err.str().find(events + ", line 2: unknown event \"hover\""), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(png));
    std::filesystem::remove(events);
}

TEST(ScriptedInput, KeysReachTheMovieThroughTheRenderCommand)
{
    // The focus case moves its yellow rectangle with Tab: rendered after one Tab, the
    // picture is the one the case expects after its first tick.
    const std::string folder = std::string(TOVRANE_CORPUS_DIR) + "/swf/avm1__focusrect_swf6/";
    const std::string events = tempPath("tab.txt"), png = tempPath("tab.png");
    std::ofstream(events) << "f1 keydown Escape\nf1 keydown Tab\n";
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({folder + "test.swf", png, "--input", events, "--frame", "2", "--quality", "low"},
                               out, err), 0) << err.str();
    const QImage image(QString::fromStdString(png));
    const QImage expected(QString::fromStdString(folder + "output.01a.expected.png"));
    ASSERT_EQ(image.size(), expected.size());
    EXPECT_EQ(image.pixel(11, 11) | 0xFF000000, expected.pixel(11, 11) | 0xFF000000);
    EXPECT_EQ(qRed(image.pixel(11, 11)), 255);
    EXPECT_EQ(qGreen(image.pixel(11, 11)), 255);   // yellow: the rectangle is there
    std::filesystem::remove(events);
    std::filesystem::remove(png);
}

}  // namespace
}  // namespace flash
