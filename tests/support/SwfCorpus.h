// The SWF cases of tests/corpus/swf as data: the manifest's rows, when their pictures
// are taken, how a picture is compared with the expected one, and the engine's own
// rendering of a case. Shared by the engine's ratchet and the product's.
//
// Tolerance: a pixel matches when no channel differs by more than 24 levels, and a
// picture matches when at least 97 % of its pixels do. Another anti-aliasing
// rasteriser differs along every edge (coverage rounding, gradient stop spacing,
// hairline placement), which touches about 1-3 % of the pixels of a typical frame by
// more than a few levels; 24 levels absorbs colour rounding of transforms and
// gradient interpolation. A wrong position, a missing object, a wrong colour or a
// wrong frame changes far more pixels than 3 % and fails.
#pragma once

#include "Player.h"
#include "Scheduler.h"
#include "swf/Reader.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace swfcorpus {

constexpr int kChannelTolerance = 24;
constexpr double kPixelShare = 0.97;

inline const std::filesystem::path& folder()
{
    static const std::filesystem::path path = std::filesystem::path(TOVRANE_CORPUS_DIR) / "swf";
    return path;
}

struct Capture {
    std::string image;  // file name of the expected picture
    int frame = 1;      // 1-based; 0 = the last frame run
};

struct Case {
    std::string name;
    int frames = 1;  // frames run (num_frames or num_ticks)
    bool lowQuality = false;
    std::vector<Capture> captures;
    // Manifest facts the product's ratchet selects by.
    int movieFrames = 1;
    double fps = 24;
    bool scripted = false;
    bool input = false;
};

inline std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, sep))
        out.push_back(item);
    return out;
}

// capture column: "num_frames=N;name@trigger;..." (or num_ticks); trigger is a
// frame number or last_frame.
inline Case parseCapture(const std::string& name, const std::string& capture)
{
    Case c;
    c.name = name;
    for (const std::string& part : split(capture, ';')) {
        const size_t eq = part.find('=');
        const size_t at = part.find('@');
        if (eq != std::string::npos && (part.rfind("num_frames", 0) == 0 || part.rfind("num_ticks", 0) == 0)) {
            c.frames = std::max(1, std::atoi(part.c_str() + eq + 1));
        } else if (at != std::string::npos) {
            Capture cap;
            cap.image = part.substr(0, at) + ".expected.png";
            const std::string trigger = part.substr(at + 1);
            cap.frame = trigger == "last_frame" ? 0 : std::max(1, std::atoi(trigger.c_str()));
            c.captures.push_back(cap);
        }
    }
    for (Capture& cap : c.captures)
        if (cap.frame == 0)
            cap.frame = c.frames;
    std::sort(c.captures.begin(), c.captures.end(), [](const Capture& a, const Capture& b) { return a.frame < b.frame; });
    return c;
}

// `smoothedAtLowQuality`: low-quality cases whose pictures still smooth their bitmaps;
// this player's low quality never smooths, so they play at high quality.
inline std::vector<Case> readManifest(const std::set<std::string>& smoothedAtLowQuality = {})
{
    std::ifstream in(folder() / "MANIFEST.tsv");
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = split(line, '\t');
    const auto column = [&](const char* name) {
        return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const size_t nameCol = column("case"), captureCol = column("capture"), optionsCol = column("player_options");
    const size_t framesCol = column("frames"), fpsCol = column("fps"), avm1Col = column("has_avm1"),
                 inputCol = column("has_input");
    std::vector<Case> cases;
    while (std::getline(in, line)) {
        const std::vector<std::string> cells = split(line, '\t');
        if (cells.size() <= std::max(nameCol, captureCol))
            continue;
        Case c = parseCapture(cells[nameCol], cells[captureCol]);
        auto cell = [&](size_t col) { return col < cells.size() ? cells[col] : std::string(); };
        // The expected pictures of low-quality cases are drawn without anti-aliasing.
        c.lowQuality = cell(optionsCol).find("quality=low") != std::string::npos &&
                       !smoothedAtLowQuality.count(c.name);
        c.movieFrames = std::max(1, std::atoi(cell(framesCol).c_str()));
        c.fps = std::max(0.01, std::atof(cell(fpsCol).c_str()));
        c.scripted = cell(avm1Col) == "1";
        c.input = cell(inputCol) == "1";
        cases.push_back(std::move(c));
    }
    return cases;
}

// Share of pixels whose channels all lie within the tolerance.
inline double similarity(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return 0;
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    int64_t good = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* pe = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d = std::max({std::abs(qRed(pa[x]) - qRed(pe[x])), std::abs(qGreen(pa[x]) - qGreen(pe[x])),
                                    std::abs(qBlue(pa[x]) - qBlue(pe[x])), std::abs(qAlpha(pa[x]) - qAlpha(pe[x]))});
            good += d <= kChannelTolerance;
        }
    }
    return double(good) / (double(a.width()) * a.height());
}

inline QImage expectedPicture(const Case& c, const Capture& cap)
{
    return QImage(QString::fromStdString((folder() / c.name / cap.image).string()));
}

// Plays a case in the engine alone and returns the worst similarity over its captures
// (-1: unplayable, with the reason in `why`).
inline double playCase(const Case& c, std::string& why)
{
    swf::Result<swf::Movie> movie = swf::readMovieFile((folder() / c.name / "test.swf").string());
    if (!movie.ok()) {
        why = movie.error().message;
        return -1;
    }
    VirtualClock clock;
    flash::Player player(&clock);
    player.setQuality(c.lowQuality ? flash::Quality::Low : flash::Quality::High);
    // The media a case loads lie beside its movie; nothing outside its folder is read.
    player.setFetchHandler([dir = folder() / c.name](const std::string& url, size_t maxBytes)
                               -> std::optional<std::vector<uint8_t>> {
        const std::filesystem::path name(url);
        if (name.empty() || name.is_absolute() || name.string().find("..") != std::string::npos)
            return std::nullopt;
        std::ifstream in(dir / name, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.size() > maxBytes)
            return std::nullopt;
        return bytes;
    });
    if (!player.load(std::make_shared<const swf::Movie>(std::move(movie).value()))) {
        why = "not playable";
        return -1;
    }
    double worst = 1;
    int frame = 1;
    for (const Capture& cap : c.captures) {
        while (frame < cap.frame) {
            player.advanceFrame();
            ++frame;
        }
        const QImage expected = expectedPicture(c, cap);
        if (expected.isNull()) {
            why = "no expected picture " + cap.image;
            return -1;
        }
        QImage actual(expected.size(), QImage::Format_ARGB32_Premultiplied);
        actual.fill(Qt::transparent);
        player.setViewSize(expected.width(), expected.height());
        player.render({actual.bits(), actual.width(), actual.height(), int(actual.bytesPerLine())});
        worst = std::min(worst, similarity(actual, expected));
        // TOVRANE_CORPUS_DUMP=folder keeps our pictures beside the names of the expected ones.
        if (const char* dump = std::getenv("TOVRANE_CORPUS_DUMP"))
            actual.save(QString::fromStdString((std::filesystem::path(dump) / (c.name + "__" + cap.image)).string()));
    }
    return worst;
}

}  // namespace swfcorpus
