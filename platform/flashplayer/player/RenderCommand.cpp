#include "RenderCommand.h"

#include "Player.h"

#include "swf/Reader.h"

#include "Exceptions.h"
#include "SaveFile.h"
#include "Scheduler.h"

#include <QBuffer>
#include <QImage>

#include <charconv>
#include <cmath>

namespace flash {

namespace {

constexpr int kMaxFrame = 1'000'000;
constexpr int kMaxSide = 16384;

const char* const kUsage =
    "usage: tovrane render INPUT.swf OUTPUT.png [--frame N] [--size WxH] [--transparent]\n";

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

    VirtualClock clock;
    Player player(&clock);
    player.setTransparent(request->transparent);
    if (request->width > 0)
        player.setViewSize(request->width, request->height);
    if (!player.load(std::make_shared<const swf::Movie>(std::move(movie).value()), request->input)) {
        err << "tovrane render: cannot play " << request->input << "\n";
        return 1;
    }
    // A frame past the last would silently be the last one (or, looping, another).
    if (request->frame > player.totalFrames()) {
        err << "tovrane render: " << request->input << " has " << player.totalFrames()
            << (player.totalFrames() == 1 ? " frame" : " frames") << "; frame " << request->frame
            << " is past its end\n";
        return 1;
    }
    // Frame 1 is shown on loading; the clock runs the other N - 1 at the movie's rate.
    const int64_t until = static_cast<int64_t>(std::ceil((request->frame - 1) * 1000.0 / player.frameRate() - 1e-9));
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
