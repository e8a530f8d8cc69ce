// The corpus through the product: every timeline-only case (no scripts, no input, a
// movie that ends within the pictures taken) is converted as a person would, through
// the converter's command line in virtual time, into each output: a GIF at the source's
// depth, a 24-bit AVI, and JPG (quality 100), PNG and BMP series. The last picture of
// each file, read back by a reader that is not ours, is compared with the case's
// expected picture by the engine ratchet's metric. Each output must match every case
// that the engine's own rendering matches: what a person gets out is what the engine
// draws.
#include "Convert.h"
#include "ConvertOptions.h"
#include "Registration.h"
#include "Screenshot.h"
#include "SwfCorpus.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

using namespace swfcorpus;

struct Output {
    const char* name;
    std::vector<std::string> options;  // besides size, timing and quality
    const char* file;                  // the output's name in the work folder
};

const Output kOutputs[] = {
    // The page's transparent colour is aqua, which some movies paint: one that none
    // paints keeps the comparison to what the movie shows.
    {"gif", {"--depth", "source", "--transparent", "#FE01FD"}, "out.gif"},
    {"avi", {"--depth", "24"}, "out.avi"},
    {"jpg", {"--format", "jpg", "--quality", "100"}, "series"},
    {"png", {"--format", "png"}, "series"},
    {"bmp", {"--format", "bmp"}, "series"},
};

// gtest names the cases by the output; this keeps the bytes of the struct out of them.
void PrintTo(const Output& output, std::ostream* out) { *out << output.name; }

// Cases whose whole movie is over by the picture the manifest names.
std::vector<Case> timelineOnlyCases()
{
    std::vector<Case> out;
    for (Case& c : readManifest({"from_shumway__acid__acid-large"}))
        if (!c.scripted && !c.input && !c.captures.empty() && c.frames >= c.movieFrames)
            out.push_back(std::move(c));
    return out;
}

// The picture a person would look at last: the final frame of the GIF or the AVI, the
// highest-numbered image of a series. A PNG is laid over the movie's stage colour.
QImage lastPicture(const Output& output, const QString& work, const Case& c)
{
    const QString path = work + "/" + QString::fromLatin1(output.file);
    if (std::string(output.name) == "gif") {
        QImageReader reader(path);
        QImage last;
        for (QImage frame; reader.read(&frame);)
            last = frame;
        return last;
    }
    if (std::string(output.name) == "avi") {
        const QString png = work + "/last.png";
        const std::string command = "ffmpeg -v error -y -i '" + path.toStdString() + "' -update 1 '" +
                                    png.toStdString() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return {};
        return QImage(png);
    }
    QDir dir(path);
    int highest = 0;
    for (const QString& name : dir.entryList(QDir::Files))
        highest = std::max(highest, name.section('.', 0, 0).toInt());
    QImage picture(dir.filePath(QString::number(highest) + "." + QString::fromLatin1(output.name)));
    if (std::string(output.name) != "png" || picture.isNull())
        return picture;
    auto movie = swf::readMovieFile((folder() / c.name / "test.swf").string());
    const swf::Rgba stage = movie.ok() ? movie.value().backgroundColor() : swf::Rgba{255, 255, 255, 255};
    // Laid over the stage by hand: straight colour and alpha, as the file holds them.
    QImage over = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < over.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(over.scanLine(y));
        for (int x = 0; x < over.width(); ++x) {
            const int a = qAlpha(row[x]);
            auto mix = [a](int c, int b) { return (c * a + b * (255 - a) + 127) / 255; };
            row[x] = qRgb(mix(qRed(row[x]), stage.r), mix(qGreen(row[x]), stage.g), mix(qBlue(row[x]), stage.b));
        }
    }
    return over;
}

// Converts the case into `output` and returns the similarity of its last picture.
double convertCase(const Case& c, const Output& output, std::string& why)
{
    QTemporaryDir work;
    const QImage expected = expectedPicture(c, c.captures.back());
    if (expected.isNull()) {
        why = "no expected picture";
        return -1;
    }
    // Pictures every 100 ms (the images page takes no shorter delay) until well after
    // the movie's last frame.
    const int durationMs = int(std::ceil(c.movieFrames * 1000.0 / c.fps)) + 250;
    std::vector<std::string> args = {(folder() / c.name / "test.swf").string(),
                                     (work.path() + "/" + output.file).toStdString(),
                                     "--size", std::to_string(expected.width()) + "x" + std::to_string(expected.height()),
                                     "--delay", "100", "--duration", std::to_string(durationMs), "-q"};
    args.insert(args.end(), output.options.begin(), output.options.end());
    if (c.lowQuality)
        args.insert(args.end(), {"--quality", "low"});
    std::string error;
    std::optional<ConvertRequest> request = ParseConvertArguments(args, error);
    if (!request) {
        why = "usage: " + error;
        return -1;
    }
    std::ostringstream messages;
    if (RunConvert(*request, messages) != 0) {
        why = "conversion failed: " + messages.str();
        return -1;
    }
    const QImage actual = lastPicture(output, work.path(), c);
    if (actual.isNull()) {
        why = "no picture could be read back";
        return -1;
    }
    if (const char* dump = std::getenv("TOVRANE_CORPUS_DUMP"))
        actual.save(QString::fromStdString((std::filesystem::path(dump) / (c.name + "." + output.name + ".png")).string()));
    return similarity(actual, expected);
}

class ProductCorpus : public testing::TestWithParam<Output> {
protected:
    // As the program sets itself up for a conversion.
    void SetUp() override
    {
        PrepareApplication();
        ASSERT_EQ(flashcontrol::RegisterFlashControlClass(&m_cookie), S_OK);
    }
    void TearDown() override { CoRevokeClassObject(m_cookie); }

private:
    DWORD m_cookie = 0;
};

TEST_P(ProductCorpus, EveryCaseTheEngineMatchesMatchesThroughTheOutput)
{
    const Output& output = GetParam();
    const std::vector<Case> cases = timelineOnlyCases();
    ASSERT_GT(cases.size(), 20u) << "corpus manifest not found under " << folder();
    int engineMatches = 0, outputMatches = 0;
    for (const Case& c : cases) {
        std::string engineWhy, outputWhy;
        const bool engine = playCase(c, engineWhy) >= kPixelShare;
        const double share = convertCase(c, output, outputWhy);
        const bool matches = share >= kPixelShare;
        engineMatches += engine;
        outputMatches += matches && engine;
        std::printf("%-4s %-60s engine %-7s %s %6.2f %%%s\n", output.name, c.name.c_str(),
                    engine ? "match" : "differs", output.name, std::max(0.0, share) * 100,
                    outputWhy.empty() ? "" : ("  (" + outputWhy + ")").c_str());
        if (engine)
            EXPECT_TRUE(matches) << c.name << ": the engine draws it, but its " << output.name << " differs ("
                                 << std::max(0.0, share) * 100 << " % of pixels match) " << outputWhy;
    }
    std::printf("%s: %d of the %d cases the engine matches (of %zu timeline-only cases)\n", output.name, outputMatches,
                engineMatches, cases.size());
}

INSTANTIATE_TEST_SUITE_P(Outputs, ProductCorpus, testing::ValuesIn(kOutputs),
                         [](const testing::TestParamInfo<Output>& info) { return std::string(info.param.name); });

}  // namespace
