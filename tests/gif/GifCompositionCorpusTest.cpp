// The conformance suites' expected pictures against the animator's composition: every
// frame composed in order, as the animator shows a file played from its first frame.
// Where the suites expect transparency, the composed picture must show the background
// the animator fills with (which paints as the parent when it is the transparent colour).
#include "GifComposition.h"
#include "GifTestSupport.h"

#include <QImage>
#include <QString>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace gif_test;

namespace {

struct Expected {
    int width = 0, height = 0;
    std::vector<uint32_t> rgba;  // 0xAARRGGBB, top row first
};

std::string corpus(const std::string& path) { return std::string(TOVRANE_CORPUS_DIR) + "/gif/" + path; }

Expected fromQImage(const QImage& loaded)
{
    Expected e;
    const QImage image = loaded.convertToFormat(QImage::Format_ARGB32);
    e.width = image.width();
    e.height = image.height();
    for (int y = 0; y < e.height; ++y)
        for (int x = 0; x < e.width; ++x)
            e.rgba.push_back(image.pixel(x, y));
    return e;
}

Expected fromRgbaFile(const std::string& path, int width, int height)
{
    const std::vector<uint8_t> bytes = ReadFile(path);
    Expected e{width, height, {}};
    for (size_t i = 0; i + 3 < bytes.size(); i += 4)
        e.rgba.push_back(uint32_t(bytes[i + 3]) << 24 | uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2]);
    return e;
}

// Differences between a composed picture and an expected one, as text (empty: none).
std::string compare(const TComposedFrame& composed, const Expected& expected)
{
    const TBitmap& picture = *composed.Bitmap;
    if (picture.Width() != expected.width || picture.Height() != expected.height)
        return "size " + std::to_string(picture.Width()) + "x" + std::to_string(picture.Height());
    int wrong = 0;
    std::string first;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            const uint32_t want = expected.rgba[size_t(y) * size_t(expected.width) + size_t(x)];
            const TColor ours = picture.GetPixel(x, y);
            const bool wantShown = (want >> 24) >= 128;
            const TColor wantRgb = RGB(uint8_t(want >> 16), uint8_t(want >> 8), uint8_t(want));
            const bool ok = wantShown ? ours == wantRgb && (ours != composed.TransparentColor)
                                      : ours == composed.Background;
            if (!ok && wrong++ == 0) {
                char text[120];
                std::snprintf(text, sizeof text, "first at (%d, %d): ours %06X, expected %08X", x, y, unsigned(ours), want);
                first = text;
            }
        }
    }
    return wrong ? std::to_string(wrong) + " pixels differ, " + first : "";
}

// The frames read before a fault stay, as the preview shows them.
std::unique_ptr<TGIFImage> load(const std::string& path)
{
    auto image = std::make_unique<TGIFImage>();
    try {
        LoadBytes(*image, ReadFile(path));
    } catch (const std::exception&) {
    }
    return image;
}

// Files whose pictures differ from the suite's, by what the reader makes of them. A
// case that starts matching fails, so that it leaves this list.
const std::map<std::string, std::string> kKnownDifferences = {
    {"image-zero-width", "the reader decodes a raster of a bad code size as colour 0"},
    {"max-codes", "the reader decodes a minimum code size above 8 as colour 0"},
    {"unknown-extension", "an unknown extension label ends reading before the image"},
};

using Ini = std::map<std::string, std::map<std::string, std::string>>;

Ini readIni(const std::string& path)
{
    Ini ini;
    std::ifstream in(path);
    std::string section, line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        auto trim = [](std::string s) {
            s.erase(0, s.find_first_not_of(" \t"));
            s.erase(s.find_last_not_of(" \t\r") + 1);
            return s;
        };
        ini[section][trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
    }
    return ini;
}

std::vector<std::string> split(const std::string& text, char by)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, by);)
        parts.push_back(part);
    return parts;
}

std::vector<std::string> peterdnFiles()
{
    std::vector<std::string> files;
    std::ifstream in(corpus("MANIFEST.tsv"));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("peterdn-gif-test-suite/gifs/", 0) == 0)
            files.push_back(line.substr(0, line.find('\t')));
    return files;
}

} // namespace

TEST(GifComposition, PeterdnSuiteFramesMatch)
{
    const std::vector<std::string> files = peterdnFiles();
    ASSERT_GE(files.size(), 13u);
    int framesMatched = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        auto image = load(corpus(file));
        ASSERT_GT(image->Count(), 0);
        const std::string stem = file.substr(file.rfind('/') + 1, file.size() - file.rfind('/') - 5);
        const std::string frames = corpus("peterdn-gif-test-suite/gifs/frames/");
        TComposedFrame cache;
        for (int i = 0; i < image->Count(); ++i) {
            const std::string name = image->Count() == 1 ? stem + ".png" : stem + "-" + std::to_string(i) + ".png";
            const QImage expected(QString::fromStdString(frames + name));
            ASSERT_FALSE(expected.isNull()) << name;
            ASSERT_TRUE(ComposeFrame(*image, i, true, cache));
            const std::string diff = compare(cache, fromQImage(expected));
            EXPECT_EQ(diff, "") << name;
            framesMatched += diff.empty() ? 1 : 0;
        }
    }
    std::printf("peterdn: %d frames match\n", framesMatched);
}

TEST(GifComposition, PygifSuitePicturesMatch)
{
    const std::string dir = corpus("pygif-test-suite/test-suite/");
    std::ifstream tests(dir + "TESTS");
    int compared = 0, framesMatched = 0;
    for (std::string name; std::getline(tests, name);) {
        if (name.empty())
            continue;
        SCOPED_TRACE(name);
        Ini conf = readIni(dir + name + ".conf");
        const auto& config = conf["config"];
        if (!config.count("frames") || config.at("frames").empty() || config.at("frames") == "none")
            continue;  // nothing to show: the suite expects the decoder to refuse
        std::unique_ptr<TGIFImage> image = load(dir + config.at("input"));
        const bool known = kKnownDifferences.count(name) > 0;
        int differing = 0;
        const std::vector<std::string> frames = split(config.at("frames"), ',');
        const int width = std::stoi(config.at("width")), height = std::stoi(config.at("height"));
        // A picture is shown after each image that has a delay (every image, for files
        // other readers animate by guess), and after the last one.
        const bool everyImage = config.count("force-animation") && config.at("force-animation") == "yes";
        std::vector<int> shownAfter;
        for (int i = 0; i < image->Count(); ++i)
            if (everyImage || image->Frames(i)->AnimateInterval() > 0 || i == image->Count() - 1)
                shownAfter.push_back(i);
        TComposedFrame cache;
        const bool allTransparent = [&] {
            const auto& section = conf[frames[0]];
            if (frames.size() != 1 || !section.count("pixels"))
                return false;
            const Expected e = fromRgbaFile(dir + section.at("pixels"), width, height);
            return std::all_of(e.rgba.begin(), e.rgba.end(), [](uint32_t p) { return (p >> 24) == 0; });
        }();
        if (image->Count() == 0) {
            // No image: nothing is composed, which shows the background the suite expects.
            EXPECT_FALSE(ComposeFrame(*image, 0, true, cache));
            if (known)
                EXPECT_FALSE(allTransparent) << "now matches; remove it from the known differences";
            else
                EXPECT_TRUE(allTransparent);
            ++compared;
            continue;
        }
        if (!known)
            EXPECT_EQ(shownAfter.size(), frames.size());
        for (size_t f = 0; f < std::min(frames.size(), shownAfter.size()); ++f) {
            const auto& section = conf[frames[f]];
            const Expected expected = section.count("pixels")
                                          ? fromRgbaFile(dir + section.at("pixels"), width, height)
                                          : fromQImage(QImage(QString::fromStdString(dir + section.at("image"))));
            for (int i = shownAfter[f == 0 ? 0 : f - 1] + (f == 0 ? 0 : 1); i <= shownAfter[f]; ++i)
                ASSERT_TRUE(ComposeFrame(*image, i, true, cache));
            const std::string diff = compare(cache, expected);
            if (!known)
                EXPECT_EQ(diff, "") << frames[f];
            framesMatched += diff.empty() ? 1 : 0;
            differing += diff.empty() ? 0 : 1;
        }
        if (known)
            EXPECT_GT(differing, 0) << "now matches; remove it from the known differences";
        ++compared;
    }
    EXPECT_GT(compared, 50);
    std::printf("pygif: %d files, %d pictures match\n", compared, framesMatched);
}
