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

    CommandLine playing = parse({"--screenshot", "v.png", "--page", "4", "--open", "clip.mp4", "--play", "1500"});
    EXPECT_EQ(playing.action, ProgramAction::Screenshot);
    EXPECT_EQ(playing.openPath, "clip.mp4");
    EXPECT_EQ(playing.screenshotPlayMs, 1500);
    EXPECT_EQ(parse({"--screenshot", "v.png", "--open", "m.swf"}).screenshotPlayMs, 1000);
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
        {"--open", "clip.avi"},
        {"--screenshot", "a.png", "--open"},
        {"--screenshot", "a.png", "--play", "-5"},
        {"--screenshot", "a.png", "--window", "preview", "--open", "clip.avi"},
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

TEST(CommandLine, PreviewWindowsOpenAFileOrAFolder)
{
    CommandLine gif = parse({"--screenshot", "p.png", "--window", "preview", "--open", "a.gif", "--frame", "3"});
    EXPECT_EQ(gif.action, ProgramAction::Screenshot);
    EXPECT_EQ(gif.openPath, "a.gif");
    EXPECT_EQ(gif.frame, 3);
    CommandLine folder = parse({"--screenshot", "p.png", "--window", "images", "--open", "shots"});
    EXPECT_EQ(folder.openPath, "shots");
    EXPECT_EQ(folder.frame, 1);
    const std::vector<std::vector<std::string>> bad = {
        {"--screenshot", "p.png", "--open", "a.gif"},                                    // the main window opens nothing
        {"--screenshot", "p.png", "--window", "preview", "--open"},                      // no path
        {"--screenshot", "p.png", "--window", "preview", "--open", "a.gif", "--frame", "0"},
        {"--screenshot", "p.png", "--window", "preview", "--open", "a.gif", "--frame", "2x"},
        {"--screenshot", "p.png", "--window", "preview", "--frame", "2"},                // a frame of nothing
        {"--screenshot", "p.png", "--window", "images", "--open", "d", "--frame", "2"},  // images have no frames
        {"--window", "preview", "--open", "a.gif"},                                      // no screenshot
    };
    for (const auto& args : bad)
        EXPECT_EQ(parse(args).action, ProgramAction::UsageError) << args.back();
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
