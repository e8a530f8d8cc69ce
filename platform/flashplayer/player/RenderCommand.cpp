#include "RenderCommand.h"

#include "MediaUrl.h"
#include "Player.h"
#include "ScriptedInput.h"

#include "swf/Reader.h"

#include "Exceptions.h"
#include "SaveFile.h"
#include "Scheduler.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace flash {

namespace {

constexpr int kMaxFrame = 1'000'000;
constexpr int kMaxSide = 16384;

const char* const kUsage =
    "usage: tovrane render INPUT.swf OUTPUT.png [--frame N] [--size WxH] [--transparent]\n"
    "                      [--quality low|medium|high|best] [--input EVENTS]\n"
    "  --frame    the frame to draw, from 1; with --input it counts the clock's ticks,\n"
    "             also past the last frame (scripts go on running on a still timeline)\n"
    "  --quality  the player's quality: low draws without anti-aliasing (default high)\n"
    "  --input    a text file of timed events, one per line: TIME EVENT ARGS, TIME in\n"
    "             milliseconds of movie time or fN (just after frame N is shown);\n"
    "             events: move X Y, down X Y, up X Y, click X Y, wheel DELTA, key NAME,\n"
    "             keydown NAME, keyup NAME, type TEXT, focus in|out\n";

// The bytes behind a URL the movie asks for, when it names a local file. URLs were
// resolved against the movie's own path, so what a movie names relatively stays in
// its folder; only a path that says so (absolute, or climbing with ..) leaves it.
std::optional<std::vector<uint8_t>> readLocal(const std::string& url, size_t maxBytes)
{
    const std::optional<std::string> path = localPathOf(url);
    if (!path || path->empty())
        return std::nullopt;
    std::error_code ec;
    const auto size = std::filesystem::file_size(*path, ec);
    if (ec || size > maxBytes || !std::filesystem::is_regular_file(*path, ec))
        return std::nullopt;
    std::ifstream in(*path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in)
        return std::nullopt;
    return bytes;
}

bool parseInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    return x != std::string::npos && parseInt(text.substr(0, x), width) && parseInt(text.substr(x + 1), height) &&
           width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

}  // namespace

std::optional<Quality> qualityByName(const std::string& name)
{
    std::string n = name;
    for (char& c : n)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (n == "low") return Quality::Low;
    if (n == "medium") return Quality::Medium;
    if (n == "high") return Quality::High;
    if (n == "best") return Quality::Best;
    return std::nullopt;
}

std::optional<RenderRequest> parseRenderArguments(const std::vector<std::string>& args, std::string& error)
{
    RenderRequest request;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--frame") {
            if (i + 1 >= args.size() || !parseInt(args[i + 1], request.frame) || request.frame < 1 ||
                request.frame > kMaxFrame) {
                error = "--frame needs a frame number from 1 to " + std::to_string(kMaxFrame);
                return std::nullopt;
            }
            ++i;
        } else if (a == "--size") {
            if (i + 1 >= args.size() || !parseSize(args[i + 1], request.width, request.height)) {
                error = "--size needs WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxSide);
                return std::nullopt;
            }
            ++i;
        } else if (a == "--transparent") {
            request.transparent = true;
        } else if (a == "--quality") {
            const std::optional<Quality> q = i + 1 < args.size() ? qualityByName(args[i + 1]) : std::nullopt;
            if (!q) {
                error = "--quality needs low, medium, high or best";
                return std::nullopt;
            }
            request.quality = *q;
            ++i;
        } else if (a == "--input") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--input needs a file of timed events";
                return std::nullopt;
            }
            request.inputScript = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        error = "expected an input movie and an output picture";
        return std::nullopt;
    }
    request.input = positional[0];
    request.output = positional[1];
    return request;
}

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<RenderRequest> request = parseRenderArguments(args, error);
    if (!request) {
        err << "tovrane render: " << error << "\n" << kUsage;
        return 2;
    }
    swf::Result<swf::Movie> movie = swf::readMovieFile(request->input);
    if (!movie.ok()) {
        err << "tovrane render: cannot read " << request->input << ": " << movie.error().message << "\n";
        return 1;
    }
    std::vector<InputEvent> events;
    if (!request->inputScript.empty()) {
        std::ifstream in(request->inputScript, std::ios::binary);
        if (!in) {
            err << "tovrane render: cannot read " << request->inputScript << "\n";
            return 1;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string error;
        std::optional<std::vector<InputEvent>> parsed = parseInputScript(text, error);
        if (!parsed) {
            err << "tovrane render: " << request->inputScript << ", " << error << "\n";
            return 2;
        }
        events = std::move(*parsed);
    }

    VirtualClock clock;
    Player player(&clock);
    player.setTransparent(request->transparent);
    player.setQuality(request->quality);
    player.setFetchHandler(readLocal);
    if (request->width > 0)
        player.setViewSize(request->width, request->height);
    if (!player.load(std::make_shared<const swf::Movie>(std::move(movie).value()), request->input)) {
        err << "tovrane render: cannot play " << request->input << "\n";
        return 1;
    }
    // A frame past the last would silently be the last one (or, looping, another).
    // With scripted input the number counts the clock's ticks: a movie waiting for a
    // key goes on running its scripts on a still timeline.
    if (request->frame > player.totalFrames() && events.empty()) {
        err << "tovrane render: " << request->input << " has " << player.totalFrames()
            << (player.totalFrames() == 1 ? " frame" : " frames") << "; frame " << request->frame
            << " is past its end\n";
        return 1;
    }
    // Frame 1 is shown on loading; the clock runs the other N - 1 at the movie's rate,
    // stopping at each scripted event's time to hand it in.
    const double rate = player.frameRate();
    const int64_t until = static_cast<int64_t>(std::ceil((request->frame - 1) * 1000.0 / rate - 1e-9));
    std::stable_sort(events.begin(), events.end(), [rate](const InputEvent& a, const InputEvent& b) {
        return eventTimeMs(a, rate) < eventTimeMs(b, rate);
    });
    for (const InputEvent& e : events) {
        const double at = eventTimeMs(e, rate);
        if (at > double(until))
            break;
        clock.AdvanceTo(static_cast<int64_t>(std::ceil(at - 1e-9)));
        deliverInput(player, e);
    }
    clock.AdvanceTo(until);

    const int width = player.viewWidth(), height = player.viewHeight();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        err << "tovrane render: the movie's stage size " << width << "x" << height << " cannot be drawn\n";
        return 1;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    player.render({image.bits(), width, height, static_cast<int>(image.bytesPerLine())});

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        err << "tovrane render: cannot encode the picture\n";
        return 1;
    }
    try {
        WriteFileSafely(request->output, [&](TStream& stream) { stream.WriteBuffer(png.constData(), png.size()); });
    } catch (const std::exception& e) {
        err << "tovrane render: cannot write " << request->output << ": " << e.what() << "\n";
        return 1;
    }
    out << request->output << ": " << width << "x" << height << ", frame " << request->frame << "\n";
    return 0;
}

}  // namespace flash
