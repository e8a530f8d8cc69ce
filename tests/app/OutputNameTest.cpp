#include "ConvertOptions.h"
#include "OutputName.h"

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
