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
    else if (std::optional<VideoFormat> video = VideoFormatByName(f)) {
        request.target = ConvertTarget::Video;
        request.videoFormat = *video;
    } else if (f == "jpg" || f == "png" || f == "bmp") {
        request.target = ConvertTarget::Images;
        request.imageFormat = f == "jpg" ? "JPG" : f == "png" ? "PNG" : "BMP";
    } else
        return false;
    return true;
}

// The compressed outputs take the options they cannot use with a warning.
void videoWarnings(ConvertRequest& r)
{
    const VideoFormat f = r.videoFormat;
    const bool h264 = f == VideoFormat::Mp4 || f == VideoFormat::Mkv, animation = InfoOf(f).animation;
    const std::string label = InfoOf(f).label;
    auto ignored = [&](const std::string& option) { r.warnings.push_back(option + " is ignored for " + label + " output"); };
    if (r.crf && animation)
        ignored("--crf");
    if (r.preset && !h264)
        ignored("--preset");
    if (r.quality && f != VideoFormat::WebP)
        ignored("--quality " + std::to_string(*r.quality));
    if (r.loop && !animation)
        ignored(*r.loop ? "--loop" : "--no-loop");
    if (r.transparent && !animation)
        ignored("--transparent");
    if (!r.wav.empty() && animation)
        ignored("--wav");
    if (r.depth)
        ignored("--depth");
}

// Options that only one kind of output reads.
std::string misplacedOption(const ConvertRequest& r)
{
    const bool gif = r.target == ConvertTarget::Gif, avi = r.target == ConvertTarget::Avi;
    if (r.target == ConvertTarget::Video) {
        if (r.crf && (*r.crf > (r.videoFormat == VideoFormat::WebM ? 63 : 51)))
            return "--crf needs a number from 0 to " + std::string(r.videoFormat == VideoFormat::WebM ? "63" : "51") +
                   " for " + InfoOf(r.videoFormat).label;
        return {};
    }
    if (r.crf || r.preset)
        return "--crf and --preset go with MP4, WebM and MKV output";
    if (r.quality && *r.quality < 10)
        return "--quality needs a JPG quality from 10 to 100, not '" + std::to_string(*r.quality) + "'";
    if ((r.loop || r.transparent) && !gif)
        return "--loop, --no-loop and --transparent go with GIF output";
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
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t optionStart = i;
        // Everything but the inputs, the folder and the number of processes goes to
        // each conversion of a batch.
        auto shareOption = [&] {
            if (arg != "-o" && arg != "-j" && arg != "--jobs")
                request.sharedOptions.insert(request.sharedOptions.end(), args.begin() + std::ptrdiff_t(optionStart),
                                             args.begin() + std::ptrdiff_t(i + 1));
        };
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
            shareOption();
        } else if (arg == "--no-sound") {
            request.noSound = true;
            shareOption();
        } else if (arg == "--real-time") {
            request.realTime = true;
            shareOption();
        } else if (arg == "--quiet" || arg == "-q") {
            request.quiet = true;
            shareOption();
        } else if (arg.size() > 1 && arg[0] == '-') {
            static const char* const valued[] = {"-o",         "--format", "--delay",   "--depth",      "--size",
                                                 "--transparent", "--background", "--wav", "--quality",
                                                 "--stop-after", "--duration", "--limit", "-j", "--jobs", "--crf",
                                                 "--preset"};
            if (std::find_if(std::begin(valued), std::end(valued), [&](const char* o) { return arg == o; }) ==
                std::end(valued)) {
                error = "unknown option " + arg;
                return std::nullopt;
            }
            if (!value(v))
                return std::nullopt;
            shareOption();
            if (arg == "-o")
                folder = v;
            else if (arg == "-j" || arg == "--jobs") {
                if (!(request.processes = parseInt(v, 1, 256).value_or(0)))
                    return bad("a number of processes from 1 to 256");
            }
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
                // A word is the player's drawing quality, a number the JPG (or WebP) quality.
                if (const std::string q = lower(v); q == "low" || q == "medium" || q == "high" || q == "best")
                    request.renderQuality = q;
                else if (!(request.quality = parseInt(v, 0, 100)))
                    return bad("low, medium, high or best, a JPG quality from 10 to 100 or a WebP quality from 0 to 100");
            } else if (arg == "--crf") {
                if (!(request.crf = parseInt(v, 0, 63)))
                    return bad("a constant quality from 0 (best) to 51 (H.264) or 63 (VP9)");
            } else if (arg == "--preset") {
                static const char* const presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                                      "medium",    "slow",      "slower",   "veryslow"};
                if (std::find(std::begin(presets), std::end(presets), v) == std::end(presets))
                    return bad("ultrafast, superfast, veryfast, faster, fast, medium, slow, slower or veryslow");
                request.preset = v;
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
        error = "--format needs gif, avi, wav, mp4, webm, mkv, webp, apng, jpg, png or bmp, not '" + format + "'";
        return std::nullopt;
    }
    if (!folder.empty()) {
        request.outputFolder = folder;
        if (words.empty()) {
            error = "no input file given";
            return std::nullopt;
        }
        for (const std::string& input : words) {
            const std::string stem = fs::path(input).stem().string();
            const fs::path base = fs::path(folder) / stem;
            const std::string out = request.target == ConvertTarget::Gif     ? base.string() + ".gif"
                                    : request.target == ConvertTarget::Avi   ? base.string() + ".avi"
                                    : request.target == ConvertTarget::Sound ? base.string() + ".wav"
                                    : request.target == ConvertTarget::Video ? base.string() + InfoOf(request.videoFormat).extension
                                                                             : base.string();
            // Two inputs of one name would overwrite each other's file.
            for (const ConvertJob& earlier : request.jobs) {
                if (earlier.output == out) {
                    error = earlier.input + " and " + input + " would both be saved as " + out;
                    return std::nullopt;
                }
            }
            request.jobs.push_back({input, out});
        }
    } else {
        if (words.size() != 2) {
            error = words.size() < 2 ? "convert needs INPUT and OUTPUT" : "several inputs need -o FOLDER";
            return std::nullopt;
        }
        const std::string extension = lower(fs::path(words[1]).extension().string());
        if (format.empty()) {
            if (extension == ".gif" || extension == ".avi" || extension == ".wav" || VideoFormatByName(extension))
                setFormat(request, extension.substr(1));
            else {
                error = "OUTPUT must end in .gif, .avi, .wav, .mp4, .webm, .mkv, .webp or .apng, or be a folder "
                        "with --format jpg, png or bmp";
                return std::nullopt;
            }
        } else if ((extension == ".gif" || extension == ".avi") && extension.substr(1) != lower(format)) {
            // Saving would name the file after one format and fill it with another.
            error = "--format " + lower(format) + " does not go with an OUTPUT named " +
                    fs::path(words[1]).filename().string();
            return std::nullopt;
        }
        request.jobs.push_back({words[0], words[1]});
    }
    if (std::string misplaced = misplacedOption(request); !misplaced.empty()) {
        error = misplaced;
        return std::nullopt;
    }
    if (request.target == ConvertTarget::Video)
        videoWarnings(request);
    return request;
}

std::string ConvertUsageText()
{
    return "Usage: tovrane convert INPUT OUTPUT [OPTIONS]\n"
           "       tovrane convert -o FOLDER [--format F] INPUT... [OPTIONS]\n"
           "Plays a Flash movie (SWF, FLV) offscreen and records it, as the main window does:\n"
           "OUTPUT.gif makes an animated GIF, OUTPUT.avi an uncompressed AVI with the movie's\n"
           "sound, OUTPUT.wav the movie's sound alone (44.1 kHz stereo), and a folder with\n"
           "--format jpg|png|bmp a numbered image series (1.jpg, 2.jpg, ...). OUTPUT.mp4 and\n"
           "OUTPUT.mkv make H.264 video with AAC sound, OUTPUT.webm VP9 with Opus, recorded as\n"
           "the AVI is (odd widths and heights grow by one pixel, repeating the edge: the video\n"
           "takes even sizes); OUTPUT.webp and OUTPUT.apng make full-colour animations,\n"
           "recorded as the GIF is. A video (AVI, MP4, MKV, WebM, MOV, MPG, known by its\n"
           "content) becomes an animated GIF, as the video page makes it. The recording stops\n"
           "when the movie or video stops playing, unless --duration is given.\n"
           "\n"
           "Options:\n"
           "  -o FOLDER             convert every INPUT into FOLDER (which must exist), each\n"
           "                        under its own name\n"
           "  -j, --jobs N          with -o: N conversions at a time, each in its own process\n"
           "                        (default: one per processor); the files are the same\n"
           "                        bytes as those made one at a time\n"
           "  --format F            gif, avi, wav, mp4, webm, mkv, webp, apng, jpg, png or bmp\n"
           "                        (with -o or a folder OUTPUT)\n"
           "  --delay MS            milliseconds between pictures (default 100; 1000 for images,\n"
           "                        150 for videos)\n"
           "  --depth D             colours: 8, 4, 1 (black/white), grey or source for GIF;\n"
           "                        24, 8, 4 or 1 for AVI (default 8; source for videos); the\n"
           "                        compressed outputs always record full colour\n"
           "  --size WxH            picture size in pixels (default: the movie's stage size,\n"
           "                        or the video's own size)\n"
           "  --loop, --no-loop     GIF, WebP, APNG: repeat for ever, or play once (default\n"
           "                        --loop; --no-loop for videos)\n"
           "  --transparent #RRGGBB GIF, WebP, APNG: the frames' transparent colour (default\n"
           "                        #00FFFF)\n"
           "  --background #RRGGBB  the colour shown in place of the movie's stage colour\n"
           "                        (a PNG series is then opaque; without it, PNG pictures\n"
           "                        are transparent where the movie paints nothing; not\n"
           "                        for videos)\n"
           "  --wav FILE            AVI, MP4, WebM, MKV: the sound track of a WAV file instead\n"
           "                        of the movie's\n"
           "  --no-sound            AVI: no sound track\n"
           "  --quality N           JPG series: quality from 10 to 100 (default 95);\n"
           "                        WebP: lossy at quality 0 to 100 (default: lossless)\n"
           "  --crf N               constant quality, lower is better: H.264 (MP4, MKV) 0 to 51\n"
           "                        (default 18), VP9 (WebM) 0 to 63 (default 31)\n"
           "  --preset P            H.264 speed: ultrafast, superfast, veryfast, faster, fast,\n"
           "                        medium (the default), slow, slower or veryslow\n"
           "  --quality Q           drawing quality: low (no anti-aliasing), medium, high\n"
           "                        (the default) or best\n"
           "  --stop-after N        image series: stop after N images (2 to 600)\n"
           "  --duration MS         record this much movie time instead of stopping at its end\n"
           "  --limit MS            give up waiting for a movie's end after this much movie time\n"
           "                        (default 600000; a video ends by itself)\n"
           "  --real-time           play on the wall clock instead of the virtual clock\n"
           "  -q, --quiet           print nothing but errors\n"
           "  --                    every word after it is an INPUT or OUTPUT\n"
           "  -h, --help            print this help and exit\n"
           "\n"
           "Progress lines and the program's messages go to stderr. Exit status: 0 converted,\n"
           "1 a conversion error, 2 a usage error.\n";
}
