// `tovrane convert`: the arguments of the headless converter, read before Qt starts.
#pragma once

#include "Types.h"
#include "VideoFormats.h"

#include <optional>
#include <string>
#include <vector>

// Video: MP4, WebM and MKV record on the AVI page, WebP and APNG on the GIF page.
// Sound: the movie's sound alone, recorded as for an AVI, written as a WAV file.
enum class ConvertTarget { Gif, Avi, Images, Video, Sound };

struct ConvertJob {
    std::string input;
    std::string output;  // a file for GIF, AVI and WAV, a folder for image series
};

struct ConvertRequest {
    bool help = false;
    std::vector<ConvertJob> jobs;
    ConvertTarget target = ConvertTarget::Gif;
    std::string imageFormat = "JPG";  // "JPG", "PNG" or "BMP" for image series
    VideoFormat videoFormat = VideoFormat::Mp4;  // for ConvertTarget::Video
    std::optional<int> delayMs;
    std::optional<std::string> depth;  // 8, 4, 1, grey, source, 24
    std::optional<std::pair<int, int>> size;
    std::optional<bool> loop;
    std::optional<TColor> transparent;
    std::optional<TColor> background;
    std::string wav;
    bool noSound = false;                      // AVI without the movie's own sound
    std::optional<int> quality;                // JPG quality (10-100) or WebP quality (0-100)
    std::optional<int> crf;                    // MP4, MKV, WebM
    std::optional<std::string> preset;         // MP4, MKV
    std::optional<std::string> renderQuality;  // low, medium, high or best
    std::optional<int> stopAfter;
    std::optional<int> durationMs;  // record this long, without automatic stop
    int limitMs = 10 * 60 * 1000;   // an automatic stop that never comes ends here
    bool realTime = false;
    bool quiet = false;
    // A batch (-o FOLDER): the folder, how many conversions run at a time (0: one per
    // processor), and the options as given, which every conversion of it shares.
    std::string outputFolder;
    int processes = 0;
    std::vector<std::string> sharedOptions;
    // Settings given that the chosen output does not read: said, then ignored.
    std::vector<std::string> warnings;
};

// Parses the arguments after "convert". On failure returns none with error set.
std::optional<ConvertRequest> ParseConvertArguments(const std::vector<std::string>& args, std::string& error);

std::string ConvertUsageText();
