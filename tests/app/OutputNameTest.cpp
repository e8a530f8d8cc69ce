#include "ConvertOptions.h"
#include "OutputName.h"
#include "VideoChoice.h"

#include <gtest/gtest.h>

TEST(OutputName, TheExtensionComesUnlessADotStandsFourFromTheEnd)
{
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"a.gi", "a.gi.gif"},            // fewer than 5 characters
        {"movie", "movie.gif"},
        {"movie.jpeg", "movie.jpeg.gif"},
        {"movie.avi", "movie.avi"},      // any three-letter extension stays
        {"/tmp/x.gif", "/tmp/x.gif"},
        {"動畫.gif", "動畫.gif"},          // characters, not bytes
        {"動畫", "動畫.gif"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyOutputName(c.name, ".gif"), c.expected) << c.name;
}

TEST(ConvertOptions, OutputsChooseThePageAndOptionsFillTheRequest)
{
    std::string error;
    auto gif = ParseConvertArguments({"in.swf", "out.GIF", "--delay", "50", "--size", "64x48", "--no-loop",
                                      "--transparent", "#FF0000", "--depth", "grey"},
                                     error);
    ASSERT_TRUE(gif) << error;
    EXPECT_EQ(gif->target, ConvertTarget::Gif);
    EXPECT_EQ(gif->delayMs, 50);
    EXPECT_EQ(gif->size, std::make_pair(64, 48));
    EXPECT_EQ(gif->loop, false);
    EXPECT_EQ(gif->transparent, TColor(0x0000FF));
    auto avi = ParseConvertArguments({"in.swf", "out.avi", "--wav", "s.wav", "--duration", "2000"}, error);
    ASSERT_TRUE(avi) << error;
    EXPECT_EQ(avi->target, ConvertTarget::Avi);
    EXPECT_EQ(avi->durationMs, 2000);
    auto png = ParseConvertArguments({"in.swf", "frames", "--format", "png", "--stop-after", "5"}, error);
    ASSERT_TRUE(png) << error;
    EXPECT_EQ(png->target, ConvertTarget::Images);
    EXPECT_EQ(png->imageFormat, "PNG");
    auto many = ParseConvertArguments({"-o", "out", "a/one.swf", "two.swf"}, error);
    ASSERT_TRUE(many) << error;
    ASSERT_EQ(many->jobs.size(), 2u);
    EXPECT_EQ(many->jobs[0].output, "out/one.gif");
    EXPECT_EQ(many->jobs[1].output, "out/two.gif");
}

TEST(ConvertOptions, UsageErrorsSayWhatIsWrong)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"in.swf"},
        {"in.swf", "out.png"},
        {"a.swf", "b.swf", "c.gif"},
        {"in.swf", "out.gif", "--delay"},
        {"in.swf", "out.gif", "--delay", "x"},
        {"in.swf", "out.gif", "--size", "1x40"},
        {"in.swf", "out.gif", "--depth", "24"},
        {"in.swf", "out.avi", "--depth", "grey"},
        {"in.swf", "out.avi", "--loop"},
        {"in.swf", "out.gif", "--wav", "a.wav"},
        {"in.swf", "dir", "--format", "png", "--quality", "50"},
        {"in.swf", "dir", "--format", "jpg", "--stop-after", "601"},
        {"in.swf", "out.gif", "--transparent", "red"},
        {"in.swf", "out.gif", "--format", "tiff"},
        {"in.swf", "out.gif", "--bogus"},
        {"-o", "folder"},
        // A format that contradicts the name the output file is given.
        {"in.swf", "out.gif", "--format", "png"},
        {"in.swf", "out.GIF", "--format", "avi"},
        {"in.swf", "out.avi", "--format", "gif"},
        {"-o", "out", "-j", "0", "a.swf", "b.swf"},
        {"-o", "out", "-j", "257", "a.swf"},
        {"-o", "out", "--jobs", "two", "a.swf"},
        // Inputs of one name in different folders would be saved over each other.
        {"-o", "out", "a/test.swf", "b/test.swf"},
        {"-o", "out", "--format", "png", "a/test.swf", "b/test.flv"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParseConvertArguments(args, error)) << testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    auto help = ParseConvertArguments({"--help"}, error);
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->help);
    for (const char* option : {"--delay", "--depth", "--size", "--loop", "--no-loop", "--transparent", "--background",
                               "--wav", "--quality", "--stop-after", "--duration", "--real-time", "-o FOLDER",
                               "--format", "--jobs", "--quiet", "--limit"})
        EXPECT_NE(ConvertUsageText().find(option), std::string::npos) << option;
}

TEST(ConvertOptions, ABatchKeepsItsSharedOptionsForEachProcess)
{
    std::string error;
    auto batch = ParseConvertArguments({"-q", "-o", "out", "--delay", "50", "a.swf", "-j", "3", "--format", "png",
                                        "--", "-odd.swf"},
                                       error);
    ASSERT_TRUE(batch) << error;
    EXPECT_EQ(batch->processes, 3);
    EXPECT_EQ(batch->outputFolder, "out");
    EXPECT_TRUE(batch->quiet);
    // Everything but the inputs, the folder and the number of processes, in order.
    EXPECT_EQ(batch->sharedOptions, (std::vector<std::string>{"-q", "--delay", "50", "--format", "png"}));
    ASSERT_EQ(batch->jobs.size(), 2u);
    EXPECT_EQ(batch->jobs[1].input, "-odd.swf");  // after --, a word is an input
    EXPECT_EQ(batch->jobs[1].output, "out/-odd");

    auto single = ParseConvertArguments({"in.swf", "out.gif", "--format", "gif"}, error);
    ASSERT_TRUE(single) << error;
    EXPECT_EQ(single->processes, 0);  // one per processor, when it comes to a batch
}

TEST(ConvertOptions, CompressedOutputsByExtensionOrFormatWithTheirSettings)
{
    struct Case {
        std::vector<std::string> args;
        VideoFormat format;
        std::string output;
    };
    const Case cases[] = {
        {{"in.swf", "out.mp4"}, VideoFormat::Mp4, "out.mp4"},
        {{"in.swf", "out.WebM"}, VideoFormat::WebM, "out.WebM"},
        {{"in.swf", "out.mkv"}, VideoFormat::Mkv, "out.mkv"},
        {{"in.swf", "out.webp"}, VideoFormat::WebP, "out.webp"},
        {{"in.swf", "out.apng"}, VideoFormat::Apng, "out.apng"},
        {{"in.swf", "out.bin", "--format", "webm"}, VideoFormat::WebM, "out.bin"},
        {{"-o", "dir", "--format", "APNG", "a/one.swf"}, VideoFormat::Apng, "dir/one.apng"},
        {{"-o", "dir", "--format", "mkv", "one.swf"}, VideoFormat::Mkv, "dir/one.mkv"},
    };
    for (const Case& c : cases) {
        std::string error;
        auto r = ParseConvertArguments(c.args, error);
        ASSERT_TRUE(r) << error << " " << testing::PrintToString(c.args);
        EXPECT_EQ(r->target, ConvertTarget::Video);
        EXPECT_EQ(r->videoFormat, c.format);
        EXPECT_EQ(r->jobs.at(0).output, c.output);
        EXPECT_TRUE(r->warnings.empty());
    }

    std::string error;
    auto mp4 = ParseConvertArguments({"in.swf", "out.mp4", "--crf", "23", "--preset", "veryfast", "--wav", "s.wav"}, error);
    ASSERT_TRUE(mp4) << error;
    EXPECT_EQ(mp4->crf, 23);
    EXPECT_EQ(mp4->preset, "veryfast");
    EXPECT_TRUE(mp4->warnings.empty());
    // A number is the WebP quality for WebP, a word still the drawing quality.
    auto webp = ParseConvertArguments({"in.swf", "out.webp", "--quality", "0", "--quality", "best"}, error);
    ASSERT_TRUE(webp) << error;
    EXPECT_EQ(webp->quality, 0);
    EXPECT_EQ(webp->renderQuality, "best");
    auto jpg = ParseConvertArguments({"in.swf", "dir", "--format", "jpg", "--quality", "10"}, error);
    ASSERT_TRUE(jpg) << error;
    EXPECT_EQ(jpg->quality, 10);
}

TEST(ConvertOptions, SettingsACompressedOutputDoesNotReadAreSaidToBeIgnored)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {{"in.swf", "o.mp4", "--loop", "--quality", "80", "--depth", "8"},
         {"--quality 80 is ignored for MP4 output", "--loop is ignored for MP4 output", "--depth is ignored for MP4 output"}},
        {{"in.swf", "o.webm", "--preset", "fast", "--transparent", "#00FF00"},
         {"--preset is ignored for WebM output", "--transparent is ignored for WebM output"}},
        {{"in.swf", "o.webp", "--crf", "20", "--wav", "a.wav"},
         {"--crf is ignored for WebP output", "--wav is ignored for WebP output"}},
        {{"in.swf", "o.apng", "--quality", "50", "--preset", "slow"},
         {"--preset is ignored for APNG output", "--quality 50 is ignored for APNG output"}},
        {{"in.swf", "o.webp", "--no-loop", "--quality", "75"}, {}},
    };
    for (const Case& c : cases) {
        std::string error;
        auto r = ParseConvertArguments(c.args, error);
        ASSERT_TRUE(r) << error;
        EXPECT_EQ(r->warnings, c.warnings) << testing::PrintToString(c.args);
    }
}

TEST(ConvertOptions, CompressedOutputUsageErrors)
{
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"in.swf", "out.mov"}, ".mp4, .webm, .mkv, .webp or .apng"},
        {{"in.swf", "out.gif", "--format", "mov"}, "mp4, webm, mkv, webp, apng"},
        {{"in.swf", "out.mp4", "--crf", "52"}, "0 to 51"},
        {{"in.swf", "out.webm", "--crf", "64"}, "63"},
        {{"in.swf", "out.mp4", "--crf", "x"}, "--crf"},
        {{"in.swf", "out.mp4", "--preset", "warp"}, "veryslow"},
        {{"in.swf", "out.gif", "--crf", "20"}, "MP4, WebM and MKV"},
        {{"in.swf", "out.avi", "--preset", "fast"}, "MP4, WebM and MKV"},
        {{"in.swf", "dir", "--format", "jpg", "--quality", "9"}, "10 to 100"},
        {{"in.swf", "out.webp", "--quality", "101"}, "0 to 100"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseConvertArguments(c.args, error)) << testing::PrintToString(c.args);
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    for (const char* option : {"--crf", "--preset", "mp4", "webm", "mkv", "webp", "apng", "even"})
        EXPECT_NE(ConvertUsageText().find(option), std::string::npos) << option;
}

TEST(VideoChoice, TheExtensionThenTheFilterChooseTheFormat)
{
    const std::vector<VideoFormat> videos = {VideoFormat::Mp4, VideoFormat::WebM, VideoFormat::Mkv};
    struct Case {
        const char* name;
        int filter;
        std::optional<VideoFormat> format;
        const char* written;  // by VideoOutputName, when a format is chosen
    };
    const Case cases[] = {
        {"/d/movie", 1, std::nullopt, ""},
        {"/d/movie.avi", 3, std::nullopt, ""},
        {"/d/movie.MP4", 1, VideoFormat::Mp4, "/d/movie.MP4"},
        {"/d/movie.webm", 1, VideoFormat::WebM, "/d/movie.webm"},
        {"/d/movie", 2, VideoFormat::Mp4, "/d/movie.mp4"},
        {"/d/movie", 3, VideoFormat::WebM, "/d/movie.webm"},
        {"/d/movie", 4, VideoFormat::Mkv, "/d/movie.mkv"},
        {"/d/movie.mkv", 2, VideoFormat::Mkv, "/d/movie.mkv"},
        {"/d/movie", 5, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChosenVideoFormat(c.name, c.filter, videos, ".avi"), c.format) << c.name << " " << c.filter;
        if (c.format) {
            EXPECT_EQ(VideoOutputName(c.name, *c.format), c.written);
        }
    }
    EXPECT_EQ(VideoFilters(videos), "MP4 影片 (H.264)|*.mp4|WebM 影片 (VP9)|*.webm|MKV 影片 (H.264)|*.mkv");
}
