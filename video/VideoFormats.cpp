#include "VideoFormats.h"

#include <algorithm>
#include <cctype>

namespace {

const VideoFormatInfo kFormats[] = {
    {VideoFormat::Mp4, "mp4", "MP4", ".mp4", "mp4", "libx264", "aac", false},
    {VideoFormat::WebM, "webm", "WebM", ".webm", "webm", "libvpx-vp9", "libopus", false},
    {VideoFormat::Mkv, "mkv", "MKV", ".mkv", "matroska", "libx264", "aac", false},
    {VideoFormat::WebP, "webp", "WebP", ".webp", "webp", "libwebp_anim", nullptr, true},
    {VideoFormat::Apng, "apng", "APNG", ".apng", "apng", "apng", nullptr, true},
};

} // namespace

const VideoFormatInfo& InfoOf(VideoFormat format)
{
    return *std::find_if(std::begin(kFormats), std::end(kFormats), [&](const auto& f) { return f.format == format; });
}

std::optional<VideoFormat> VideoFormatByName(const std::string& nameOrExtension)
{
    std::string n = nameOrExtension;
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (!n.empty() && n[0] == '.')
        n.erase(0, 1);
    for (const auto& f : kFormats)
        if (n == f.name)
            return f.format;
    return std::nullopt;
}

std::string VideoFormatNames()
{
    return "mp4, webm, mkv, webp or apng";
}
