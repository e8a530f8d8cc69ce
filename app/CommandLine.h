// The program's command line. Options are read before Qt starts, because a
// screenshot without a display needs the offscreen platform chosen first. Later
// subcommands ("tovrane convert ...") are words before the options; each gets its
// row in the table in CommandLine.cpp.
#pragma once

#include <string>
#include <vector>

enum class ProgramAction { Windows, Help, Version, Screenshot, UsageError, Convert, Render };
enum class ScreenshotWindow { Main, Preview, ImagePreview };

struct CommandLine {
    ProgramAction action = ProgramAction::Windows;
    std::string screenshotFile;
    int page = 1;  // the main window's page shown in a screenshot, 1 to 4
    ScreenshotWindow window = ScreenshotWindow::Main;
    // What --open names: on a page of the main window a movie or video opened and
    // played for screenshotPlayMs of virtual time; in the result preview a GIF file,
    // stepped on to frame (from 1); in the image-series preview a folder of numbered
    // images.
    std::string openPath;
    int screenshotPlayMs = 1000;
    int frame = 1;
    std::string openFile;  // a movie or video opened at start (or in the screenshot)
    std::string error;  // what was wrong, for UsageError
    std::vector<std::string> subcommandArgs;  // the words after "convert" or "render"
};

// args are the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();
std::string VersionText();
