// Renders the corpus movies at their capture frames and compares them with the
// expected pictures: a diagnostic for the renderer, not a test. Prints one line per
// picture (share of pixels within the tolerance) and, with a folder argument, writes
// our pictures and difference maps there.
//
//   render_corpus_compare [OUTPUT_FOLDER] [CASE_SUBSTRING]
#include "Player.h"

#include "Scheduler.h"
#include "swf/Reader.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

constexpr int kTolerance = 24;   // levels per channel

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, sep))
        out.push_back(item);
    return out;
}

struct Capture {
    std::string image;
    int frame;
};

// "num_frames=30;output@last_frame" or "num_frames=5;output.01@1;output.05@5".
std::vector<Capture> capturesOf(const std::string& spec)
{
    std::vector<Capture> out;
    int total = 1;
    for (const std::string& part : split(spec, ';')) {
        const auto eq = part.find('=');
        if (eq != std::string::npos) {
            total = std::max(1, std::atoi(part.c_str() + eq + 1));
            continue;
        }
        const auto at = part.find('@');
        if (at == std::string::npos)
            continue;
        const std::string when = part.substr(at + 1);
        out.push_back({part.substr(0, at) + ".expected.png", when == "last_frame" ? total : std::atoi(when.c_str())});
    }
    return out;
}

double matchShare(const QImage& ours, const QImage& expected, QImage* diff)
{
    if (ours.size() != expected.size())
        return 0;
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    const QImage o = ours.convertToFormat(QImage::Format_ARGB32);
    if (diff)
        *diff = QImage(o.size(), QImage::Format_RGB32);
    qint64 good = 0;
    for (int y = 0; y < o.height(); ++y)
        for (int x = 0; x < o.width(); ++x) {
            const QRgb p = o.pixel(x, y), q = e.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            if (d <= kTolerance)
                ++good;
            if (diff)
                diff->setPixel(x, y, d <= kTolerance ? qRgb(d * 4, d * 4, d * 4) : qRgb(255, 0, 0));
        }
    return double(good) / (double(o.width()) * o.height());
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string outDir = argc > 1 ? argv[1] : "";
    const std::string filter = argc > 2 ? argv[2] : "";
    const std::string corpus = std::string(TOVRANE_CORPUS_DIR) + "/swf/";
    std::ifstream manifest(corpus + "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);
    int pictures = 0, matching = 0;
    while (std::getline(manifest, line)) {
        const auto f = split(line, '\t');
        if (f.size() < 14 || (!filter.empty() && f[0].find(filter) == std::string::npos))
            continue;
        const std::string dir = corpus + f[0] + "/";
        auto movie = swf::readMovieFile(dir + "test.swf");
        if (!movie.ok()) {
            std::printf("%-60s unreadable\n", f[0].c_str());
            continue;
        }
        auto shared = std::make_shared<const swf::Movie>(std::move(movie).value());
        for (const Capture& c : capturesOf(f[13])) {
            VirtualClock clock;
            flash::Player player(&clock);
            player.setAutoPlay(true);
            if (!player.load(shared, dir + "test.swf"))
                continue;
            // Frame 1 shows on loading; the clock runs the others at the movie's rate.
            clock.AdvanceTo(static_cast<int64_t>(std::ceil((c.frame - 1) * 1000.0 / player.frameRate() - 1e-9)));
            QImage ours(player.viewWidth(), player.viewHeight(), QImage::Format_ARGB32_Premultiplied);
            ours.fill(Qt::transparent);
            player.render({ours.bits(), ours.width(), ours.height(), int(ours.bytesPerLine())});
            const QImage expected(QString::fromStdString(dir + c.image));
            QImage diff;
            const double share = matchShare(ours, expected, outDir.empty() ? nullptr : &diff);
            ++pictures;
            if (share >= 0.97)
                ++matching;
            std::printf("%-60s %-28s %6.2f%%%s\n", f[0].c_str(), c.image.c_str(), share * 100,
                        share >= 0.97 ? "" : "  DIFFERS");
            if (!outDir.empty()) {
                QDir().mkpath(QString::fromStdString(outDir));
                const QString base = QString::fromStdString(outDir + "/" + f[0] + "." + c.image);
                ours.save(base + ".ours.png");
                diff.save(base + ".diff.png");
            }
        }
    }
    std::printf("%d of %d pictures match (97%% of pixels within %d levels)\n", matching, pictures, kTolerance);
    return 0;
}
