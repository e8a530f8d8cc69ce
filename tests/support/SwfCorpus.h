// The outside SWF corpus (tests/corpus/swf) as cases to play: the manifest's cases with
// their capture points, quality and scripted input, played in virtual time and compared
// with their expected pictures.
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
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace flash::swfcorpus {

constexpr int kChannelTolerance = 24;
constexpr double kPixelShare = 0.97;

inline std::filesystem::path folder()
{
    return std::filesystem::path(TOVRANE_CORPUS_DIR) / "swf";
}

struct Capture {
    std::string image;   // file name of the expected picture
    int frame = 1;       // 1-based; 0 = the last frame run
};

struct Case {
    std::string name;
    int frames = 1;
    Quality quality = Quality::High;
    bool hasInput = false;
    std::vector<Capture> captures;
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
inline Case parseCase(const std::string& name, const std::string& capture)
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
// they play at high quality.
inline std::vector<Case> readManifest(const std::set<std::string>& smoothedAtLowQuality = {})
{
    std::ifstream in(folder() / "MANIFEST.tsv");
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = split(line, '\t');
    const auto column = [&](const char* name) {
        return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const size_t nameCol = column("case"), captureCol = column("capture"), optionsCol = column("player_options"),
                 inputCol = column("has_input");
    std::vector<Case> cases;
    while (std::getline(in, line)) {
        const std::vector<std::string> cells = split(line, '\t');
        if (cells.size() > std::max(nameCol, captureCol)) {
            cases.push_back(parseCase(cells[nameCol], cells[captureCol]));
            // The expected pictures of low-quality cases are drawn without anti-aliasing.
            if (optionsCol < cells.size() && cells[optionsCol].find("quality=low") != std::string::npos &&
                !smoothedAtLowQuality.count(cells[nameCol]))
                cases.back().quality = Quality::Low;
            cases.back().hasInput = inputCol < cells.size() && cells[inputCol] == "1";
        }
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

// The media a case loads lie beside its movie; nothing outside its folder is read.
inline FetchHandler caseFetcher(const std::filesystem::path& caseFolder)
{
    return [caseFolder](const std::string& url, size_t maxBytes) -> std::optional<std::vector<uint8_t>> {
        const std::filesystem::path name(url);
        if (name.empty() || name.is_absolute() || name.string().find("..") != std::string::npos)
            return std::nullopt;
        std::ifstream in(caseFolder / name, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.size() > maxBytes)
            return std::nullopt;
        return bytes;
    };
}

// Plays a case and returns the worst similarity over its captures (-1: unplayable).
inline double playCase(const Case& c, std::string& why)
{
    swf::Result<swf::Movie> movie = swf::readMovieFile((folder() / c.name / "test.swf").string());
    if (!movie.ok()) {
        why = movie.error().message;
        return -1;
    }
    VirtualClock clock;
    Player player(&clock);
    player.setQuality(c.quality);
    player.setFetchHandler(caseFetcher(folder() / c.name));
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
        const QImage expected(QString::fromStdString((folder() / c.name / cap.image).string()));
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

}  // namespace flash::swfcorpus
