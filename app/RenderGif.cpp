#include "RenderGif.h"

#include "GifComposition.h"
#include "RxGIF.h"
#include "SaveFile.h"
#include "Stream.h"
#include "player/RenderCommand.h"

#include <QBuffer>
#include <QImage>
#include <fstream>

namespace {

const char* const kUsage = "usage: tovrane render INPUT.gif OUTPUT.png [--frame N] [--transparent]\n";

QImage toImage(const TBitmap& picture, TColor transparent)
{
    QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32);
    const TColor key = transparent == clNone ? clNone : ColorToRGB(transparent);
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.ScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            const uint8_t* p = row + 4 * x;
            const bool clear = key != clNone && RGB(p[2], p[1], p[0]) == key;
            out[x] = clear ? qRgba(0, 0, 0, 0) : qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}

} // namespace

bool LooksLikeGif(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    return in.gcount() == 4 && std::string(magic, 4) == "GIF8";
}

int RunGifRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<flash::RenderRequest> request = flash::parseRenderArguments(args, error);
    if (!request || request->width > 0) {
        err << "tovrane render: " << (request ? "--size is for movies; a GIF keeps its own size" : error) << "\n"
            << kUsage;
        return 2;
    }
    TGIFImage image;
    try {
        image.LoadFromFile(request->input);
    } catch (const std::exception& e) {
        // A damaged file still shows the frames read before the fault.
        if (image.Count() == 0) {
            err << "tovrane render: cannot read " << request->input << ": " << e.what() << "\n";
            return 1;
        }
        err << "tovrane render: " << request->input << " is damaged (" << e.what() << "); " << image.Count()
            << " frames could be read\n";
    }
    if (image.Count() == 0) {
        err << "tovrane render: " << request->input << " holds no picture\n";
        return 1;
    }
    if (request->frame > image.Count()) {
        err << "tovrane render: " << request->input << " has " << image.Count() << " frame"
            << (image.Count() == 1 ? "" : "s") << ", not " << request->frame << "\n";
        return 1;
    }
    // Played from the first frame, each frame is composed over the one before it.
    TComposedFrame composed;
    for (int i = 0; i < request->frame; ++i) {
        if (!ComposeFrame(image, i, true, composed)) {
            err << "tovrane render: the logical screen " << image.LogicalScreenWidth() << "x"
                << image.LogicalScreenHeight() << " of " << request->input << " is too large to compose (at most "
                << MaxComposedPixels << " pixels)\n";
            return 1;
        }
    }
    const QImage picture = toImage(*composed.Bitmap, request->transparent ? composed.TransparentColor : clNone);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        err << "tovrane render: cannot encode the picture\n";
        return 1;
    }
    try {
        WriteFileSafely(request->output, [&](TStream& stream) { stream.WriteBuffer(png.constData(), size_t(png.size())); });
    } catch (const std::exception& e) {
        err << "tovrane render: cannot write " << request->output << ": " << e.what() << "\n";
        return 1;
    }
    out << request->output << ": " << picture.width() << "x" << picture.height() << ", frame " << request->frame
        << " of " << image.Count() << "\n";
    return 0;
}
