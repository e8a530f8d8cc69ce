#include "ConvertOptions.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::optional<int> parseInt(const std::string& text, int minimum, int maximum)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

// "#RRGGBB" (or without "#") as a colour with red in the low byte.
std::optional<TColor> parseColour(std::string text)
{
    if (!text.empty() && text[0] == '#')
        text.erase(0, 1);
    if (text.size() != 6)
        return std::nullopt;
    unsigned rgb = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + 6, rgb, 16);
    if (ec != std::errc() || ptr != text.data() + 6)
        return std::nullopt;
    const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return static_cast<TColor>(r | (g << 8) | (b << 16));
}

std::optional<std::pair<int, int>> parseSize(const std::string& text)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return std::nullopt;
    auto w = parseInt(text.substr(0, x), 2, 10000), h = parseInt(text.substr(x + 1), 2, 10000);
    if (!w || !h)
        return std::nullopt;
    return std::make_pair(*w, *h);
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool setFormat(ConvertRequest& request, const std::string& name)
{
    const std::string f = lower(name);
    if (f == "gif")
        request.target = ConvertTarget::Gif;
    else if (f == "avi")
        request.target = ConvertTarget::Avi;
    else if (f == "wav")
        request.target = ConvertTarget::Sound;
    else if (f == "jpg" || f == "png" || f == "bmp") {
        request.target = ConvertTarget::Images;
        request.imageFormat = f == "jpg" ? "JPG" : f == "png" ? "PNG" : "BMP";
    } else
        return false;
    return true;
}

// Options that only one kind of output reads.
std::string misplacedOption(const ConvertRequest& r)
{
    const bool gif = r.target == ConvertTarget::Gif, avi = r.target == ConvertTarget::Avi;
    if ((r.loop || r.transparent) && !gif)
        return "--loop, --no-loop and --transparent go with GIF output";
    if (r.background && !gif && !avi)
        return "--background goes with GIF or AVI output";
    if (!r.wav.empty() && !avi)
        return "--wav goes with AVI output";
    if (r.noSound && !avi)
        return "--no-sound goes with AVI output";
    if ((r.quality || r.stopAfter) && (gif || avi))
        return "--quality and --stop-after go with image series";
    if (r.quality && r.imageFormat != "JPG")
        return "--quality goes with --format jpg";
    if (r.depth) {
        const std::string& d = *r.depth;
        if (r.target == ConvertTarget::Images)
            return "--depth does not go with image series";
        if (gif && d == "24")
            return "GIF output has no 24-bit depth (use source)";
        if (avi && (d == "grey" || d == "source"))
            return "AVI output takes --depth 24, 8, 4 or 1";
    }
    return {};
}

} // namespace

std::optional<ConvertRequest> ParseConvertArguments(const std::vector<std::string>& args, std::string& error)
{
    ConvertRequest request;
    std::vector<std::string> words;
    std::string folder, format;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        auto bad = [&](const std::string& what) {
            error = arg + " needs " + what + ", not '" + v + "'";
            return std::nullopt;
        };
        if (arg == "--help" || arg == "-h") {
            request.help = true;
            return request;
        }
        if (arg == "--loop" || arg == "--no-loop") {
            request.loop = arg == "--loop";
        } else if (arg == "--no-sound") {
            request.noSound = true;
        } else if (arg == "--real-time") {
            request.realTime = true;
        } else if (arg == "--quiet" || arg == "-q") {
            request.quiet = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            static const char* const valued[] = {"-o",         "--format", "--delay",   "--depth",      "--size",
                                                 "--transparent", "--background", "--wav", "--quality",
                                                 "--stop-after", "--duration", "--limit"};
            if (std::find_if(std::begin(valued), std::end(valued), [&](const char* o) { return arg == o; }) ==
                std::end(valued)) {
                error = "unknown option " + arg;
                return std::nullopt;
            }
            if (!value(v))
                return std::nullopt;
            if (arg == "-o")
                folder = v;
            else if (arg == "--format")
                format = v;
            else if (arg == "--delay") {
                if (!(request.delayMs = parseInt(v, 0, 10000000)))
                    return bad("milliseconds from 0 to 10000000");
            } else if (arg == "--depth") {
                if (v != "8" && v != "4" && v != "1" && v != "grey" && v != "source" && v != "24")
                    return bad("8, 4, 1, grey, source or 24");
                request.depth = v;
            } else if (arg == "--size") {
                if (!(request.size = parseSize(v)))
                    return bad("WIDTHxHEIGHT, each from 2 to 10000");
            } else if (arg == "--transparent") {
                if (!(request.transparent = parseColour(v)))
                    return bad("a colour #RRGGBB");
            } else if (arg == "--background") {
                if (!(request.background = parseColour(v)))
                    return bad("a colour #RRGGBB");
            } else if (arg == "--wav") {
                if (v.empty())
                    return bad("a WAV file");
                request.wav = v;
            } else if (arg == "--quality") {
                if (!(request.quality = parseInt(v, 10, 100)))
                    return bad("a JPG quality from 10 to 100");
            } else if (arg == "--stop-after") {
                if (!(request.stopAfter = parseInt(v, 2, 600)))
                    return bad("a count from 2 to 600");
            } else if (arg == "--duration") {
                if (!(request.durationMs = parseInt(v, 1, 24 * 3600 * 1000)))
                    return bad("milliseconds from 1 to 86400000");
            } else if (arg == "--limit") {
                if (!(request.limitMs = parseInt(v, 1, 24 * 3600 * 1000).value_or(0)))
                    return bad("milliseconds from 1 to 86400000");
            }
        } else {
            words.push_back(arg);
        }
    }

    if (!format.empty() && !setFormat(request, format)) {
        error = "--format needs gif, avi, wav, jpg, png or bmp, not '" + format + "'";
        return std::nullopt;
    }
    if (!folder.empty()) {
        if (words.empty()) {
            error = "no input file given";
            return std::nullopt;
        }
        for (const std::string& input : words) {
            const std::string stem = fs::path(input).stem().string();
            const fs::path base = fs::path(folder) / stem;
            const std::string out = request.target == ConvertTarget::Gif   ? base.string() + ".gif"
                                    : request.target == ConvertTarget::Avi ? base.string() + ".avi"
                                    : request.target == ConvertTarget::Sound ? base.string() + ".wav"
                                                                           : base.string();
            request.jobs.push_back({input, out});
        }
    } else {
        if (words.size() != 2) {
            error = words.size() < 2 ? "convert needs INPUT and OUTPUT" : "several inputs need -o FOLDER";
            return std::nullopt;
        }
        const std::string extension = lower(fs::path(words[1]).extension().string());
        if (format.empty()) {
            if (extension == ".gif" || extension == ".avi" || extension == ".wav")
                setFormat(request, extension.substr(1));
            else {
                error = "OUTPUT must end in .gif, .avi or .wav, or be a folder with --format jpg, png or bmp";
                return std::nullopt;
            }
        }
        request.jobs.push_back({words[0], words[1]});
    }
    if (std::string misplaced = misplacedOption(request); !misplaced.empty()) {
        error = misplaced;
        return std::nullopt;
    }
    return request;
}

std::string ConvertUsageText()
{
    return "Usage: tovrane convert INPUT OUTPUT [OPTIONS]\n"
           "       tovrane convert -o FOLDER [--format F] INPUT... [OPTIONS]\n"
           "Plays a Flash movie (SWF, FLV) offscreen and records it, as the main window does:\n"
           "OUTPUT.gif makes an animated GIF, OUTPUT.avi an uncompressed AVI with the movie's\n"
           "sound, OUTPUT.wav the movie's sound alone (44.1 kHz stereo), and a folder with\n"
           "--format jpg|png|bmp a numbered image series (1.jpg, 2.jpg, ...). The recording\n"
           "stops when the movie stops playing, unless --duration is given.\n"
           "\n"
           "Options:\n"
           "  -o FOLDER             convert every INPUT into FOLDER, each under its own name\n"
           "  --format F            gif, avi, wav, jpg, png or bmp (with -o or a folder OUTPUT)\n"
           "  --delay MS            milliseconds between pictures (default 100; 1000 for images)\n"
           "  --depth D             colours: 8, 4, 1 (black/white), grey or source for GIF;\n"
           "                        24, 8, 4 or 1 for AVI (default 8)\n"
           "  --size WxH            picture size in pixels (default: the movie's stage size)\n"
           "  --loop, --no-loop     GIF: repeat for ever, or play once (default --loop)\n"
           "  --transparent #RRGGBB GIF: the frames' transparent colour (default #00FFFF)\n"
           "  --background #RRGGBB  GIF and AVI: the movie's background colour\n"
           "  --wav FILE            AVI: the sound track of a WAV file instead of the movie's\n"
           "  --no-sound            AVI: no sound track\n"
           "  --quality N           JPG series: quality from 10 to 100 (default 95)\n"
           "  --stop-after N        image series: stop after N images (2 to 600)\n"
           "  --duration MS         record this much movie time instead of stopping at its end\n"
           "  --limit MS            give up waiting for the end after this much movie time\n"
           "                        (default 600000)\n"
           "  --real-time           play on the wall clock instead of the virtual clock\n"
           "  -q, --quiet           no progress lines\n"
           "  -h, --help            print this help and exit\n"
           "\n"
           "Progress lines and the program's messages go to stderr. Exit status: 0 converted,\n"
           "1 a conversion error, 2 a usage error.\n";
}
