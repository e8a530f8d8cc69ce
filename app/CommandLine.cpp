#include "CommandLine.h"

#include <cctype>
#include <charconv>
#include <functional>

#ifndef TOVRANE_VERSION
#define TOVRANE_VERSION "2.3"
#endif

namespace {

CommandLine usageError(std::string message)
{
    CommandLine line;
    line.action = ProgramAction::UsageError;
    line.error = std::move(message);
    return line;
}

bool parsePage(const std::string& text, int& page)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, page);
    return ec == std::errc() && ptr == end && page >= 1 && page <= 4;
}

bool parseWindow(const std::string& text, ScreenshotWindow& window)
{
    struct Name {
        const char* text;
        ScreenshotWindow window;
    };
    static const Name names[] = {
        {"main", ScreenshotWindow::Main},
        {"preview", ScreenshotWindow::Preview},
        {"images", ScreenshotWindow::ImagePreview},
    };
    for (const Name& name : names) {
        if (text == name.text) {
            window = name.window;
            return true;
        }
    }
    return false;
}

bool hasGifExtension(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".gif";
}

// The options of a plain start or a screenshot.
CommandLine parseOptions(const std::vector<std::string>& args)
{
    CommandLine line;
    bool pageGiven = false, windowGiven = false, frameGiven = false, playGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            line.action = ProgramAction::Help;
            return line;
        }
        if (arg == "--version") {
            line.action = ProgramAction::Version;
            return line;
        }
        if (arg == "--screenshot") {
            if (!hasValue || args[i + 1].empty())
                return usageError("--screenshot needs a file name");
            line.action = ProgramAction::Screenshot;
            line.screenshotFile = args[++i];
        } else if (arg == "--page") {
            if (!hasValue || !parsePage(args[i + 1], line.page))
                return usageError("--page needs a page number from 1 to 4");
            pageGiven = true;
            ++i;
        } else if (arg == "--window") {
            if (!hasValue || !parseWindow(args[i + 1], line.window))
                return usageError("--window needs main, preview or images");
            windowGiven = true;
            ++i;
        } else if (arg == "--open") {
            if (!hasValue || args[i + 1].empty())
                return usageError("--open needs a file or folder name");
            line.openPath = args[++i];
        } else if (arg == "--play") {
            int ms = 0;
            const std::string& v = hasValue ? args[i + 1] : arg;
            auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), ms);
            if (!hasValue || ec != std::errc() || ptr != v.data() + v.size() || ms < 0 || ms > 3600000)
                return usageError("--play needs milliseconds from 0 to 3600000");
            line.screenshotPlayMs = ms;
            ++i;
            playGiven = true;
        } else if (arg == "--frame") {
            const std::string value = hasValue ? args[i + 1] : "";
            auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), line.frame);
            if (!hasValue || ec != std::errc() || ptr != value.data() + value.size() || line.frame < 1)
                return usageError("--frame needs a frame number from 1");
            frameGiven = true;
            ++i;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else if (line.openFile.empty() && arg.find_first_of("./") != std::string::npos) {
            line.openFile = arg;  // a file name; a bare word is taken for a command
        } else {
            return usageError("unknown command " + arg);
        }
    }
    if ((pageGiven || windowGiven) && line.action != ProgramAction::Screenshot)
        return usageError("--page and --window go with --screenshot");
    if (pageGiven && line.window != ScreenshotWindow::Main)
        return usageError("--page shows a page of the main window");
    if (!line.openPath.empty() && line.action != ProgramAction::Screenshot)
        return usageError("--open goes with --screenshot");
    // The result preview plays GIF files; a page opens movies and videos.
    const bool gifOpened = hasGifExtension(line.openPath);
    if (!line.openPath.empty() && line.window == ScreenshotWindow::Preview && !gifOpened)
        return usageError("--window preview --open takes a GIF file");
    if (!line.openPath.empty() && line.window == ScreenshotWindow::Main && gifOpened)
        return usageError("a page opens movies and videos: show a GIF with --window preview");
    if (playGiven && (line.openPath.empty() || line.window != ScreenshotWindow::Main))
        return usageError("--play goes with --screenshot of the main window and --open FILE");
    if (frameGiven && (line.window != ScreenshotWindow::Preview || line.openPath.empty()))
        return usageError("--frame goes with --window preview --open FILE.gif");
    return line;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    // Subcommands: a first word naming one hands the rest of the line to it.
    struct Subcommand {
        const char* name;
        std::function<CommandLine(const std::vector<std::string>&)> parse;
    };
    auto handOver = [](ProgramAction action) {
        return [action](const std::vector<std::string>& rest) {
            CommandLine line;
            line.action = action;
            line.subcommandArgs = rest;
            return line;
        };
    };
    static const std::vector<Subcommand> subcommands = {
        {"convert", handOver(ProgramAction::Convert)},
        {"render", handOver(ProgramAction::Render)},
    };
    if (!args.empty()) {
        for (const Subcommand& sub : subcommands) {
            if (args.front() == sub.name)
                return sub.parse(std::vector<std::string>(args.begin() + 1, args.end()));
        }
    }
    return parseOptions(args);
}

std::string UsageText()
{
    return "Usage: tovrane [OPTIONS] [FILE]\n"
           "       tovrane convert INPUT OUTPUT [OPTIONS]   (see tovrane convert --help)\n"
           "       tovrane render INPUT.swf OUTPUT.png [--frame N] [--size WxH] [--transparent]\n"
           "       tovrane render INPUT.gif OUTPUT.png [--frame N] [--transparent]\n"
           "Converts Flash movies (SWF, FLV) into animated GIF, AVI and JPG/PNG/BMP series,\n"
           "and AVI videos into animated GIF.\n"
           "\n"
           "Without options the program opens its main window; a FILE given opens there, a\n"
           "Flash movie (SWF, FLV) on the Flash to GIF page, a video (AVI) on the video page.\n"
           "\n"
           "Options:\n"
           "  --screenshot FILE   render a window offscreen into the PNG file FILE and exit\n"
           "  --page N            with --screenshot: show page N (1 to 4) of the main window\n"
           "  --window NAME       with --screenshot: main (default), preview or images\n"
           "  --open PATH         with --screenshot: on a page, the movie or video it opens\n"
           "                      and plays; with --window preview, the GIF file it plays;\n"
           "                      with --window images, the folder of 1.jpg, 2.jpg ... it shows\n"
           "  --play MS           on a page: how long it plays before the picture (default 1000)\n"
           "  --frame N           with --window preview --open: show frame N (from 1)\n"
           "  --version           print the version and exit\n"
           "  -h, --help          print this help and exit\n";
}

std::string VersionText()
{
    return std::string("Tovrane ") + TOVRANE_VERSION + "\n";
}
