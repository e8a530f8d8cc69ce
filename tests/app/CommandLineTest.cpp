#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {
CommandLine parse(std::vector<std::string> args)
{
    return ParseCommandLine(args);
}
} // namespace

TEST(CommandLine, ActionsOfTheOptions)
{
    EXPECT_EQ(parse({}).action, ProgramAction::Windows);
    EXPECT_EQ(parse({"--help"}).action, ProgramAction::Help);
    EXPECT_EQ(parse({"-h"}).action, ProgramAction::Help);
    EXPECT_EQ(parse({"--version"}).action, ProgramAction::Version);

    CommandLine shot = parse({"--screenshot", "out.png", "--page", "3"});
    EXPECT_EQ(shot.action, ProgramAction::Screenshot);
    EXPECT_EQ(shot.screenshotFile, "out.png");
    EXPECT_EQ(shot.page, 3);
    EXPECT_EQ(shot.window, ScreenshotWindow::Main);

    CommandLine preview = parse({"--window", "images", "--screenshot", "p.png"});
    EXPECT_EQ(preview.action, ProgramAction::Screenshot);
    EXPECT_EQ(preview.window, ScreenshotWindow::ImagePreview);
    EXPECT_EQ(parse({"--screenshot", "p.png"}).page, 1);
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--screenshot"},
        {"--screenshot", ""},
        {"--screenshot", "a.png", "--page"},
        {"--screenshot", "a.png", "--page", "0"},
        {"--screenshot", "a.png", "--page", "5"},
        {"--screenshot", "a.png", "--page", "2x"},
        {"--page", "2"},
        {"--screenshot", "a.png", "--window", "other"},
        {"--screenshot", "a.png", "--window", "preview", "--page", "2"},
        {"--bogus"},
        {"bogus"},
    };
    for (const auto& args : bad) {
        CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(line.action, ProgramAction::UsageError) << args.front();
        EXPECT_FALSE(line.error.empty());
    }
}

TEST(CommandLine, TextsNameTheProgram)
{
    EXPECT_EQ(VersionText(), "Tovrane 2.3\n");
    EXPECT_NE(UsageText().find("--screenshot FILE"), std::string::npos);
}

TEST(CommandLine, SubcommandsTakeTheRestOfTheLine)
{
    CommandLine convert = ParseCommandLine({"convert", "a.swf", "b.gif", "--delay", "50"});
    EXPECT_EQ(convert.action, ProgramAction::Convert);
    EXPECT_EQ(convert.subcommandArgs, (std::vector<std::string>{"a.swf", "b.gif", "--delay", "50"}));
    CommandLine render = ParseCommandLine({"render", "--frame", "2"});
    EXPECT_EQ(render.action, ProgramAction::Render);
    EXPECT_EQ(render.subcommandArgs.size(), 2u);
}

TEST(CommandLine, AFileNamedOpensInTheWindowOrTheScreenshot)
{
    CommandLine open = parse({"movies/intro.swf"});
    EXPECT_EQ(open.action, ProgramAction::Windows);
    EXPECT_EQ(open.openFile, "movies/intro.swf");
    CommandLine shot = parse({"--screenshot", "p.png", "clip.avi", "--page", "4"});
    EXPECT_EQ(shot.action, ProgramAction::Screenshot);
    EXPECT_EQ(shot.openFile, "clip.avi");
    EXPECT_EQ(shot.page, 4);
    // One file at most; a bare word is an unknown command rather than a file.
    EXPECT_EQ(parse({"a.swf", "b.swf"}).action, ProgramAction::UsageError);
    EXPECT_EQ(parse({"conver"}).action, ProgramAction::UsageError);
    EXPECT_NE(UsageText().find("[FILE]"), std::string::npos);
}
