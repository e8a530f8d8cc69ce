#include "VideoChoice.h"

#include "OutputName.h"

#include <algorithm>
#include <cctype>

namespace {

const char* filterLabel(VideoFormat format)
{
    switch (format) {
    case VideoFormat::Mp4: return "MP4 影片 (H.264)";
    case VideoFormat::WebM: return "WebM 影片 (VP9)";
    case VideoFormat::Mkv: return "MKV 影片 (H.264)";
    case VideoFormat::WebP: return "動畫 WebP";
    case VideoFormat::Apng: return "動畫 PNG (APNG)";
    }
    return "";
}

std::string lowerExtension(const std::string& name)
{
    const size_t dot = name.find_last_of('.'), slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot))
        return {};
    std::string e = name.substr(dot);
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return e;
}

} // namespace

std::string VideoFilters(const std::vector<VideoFormat>& listed)
{
    std::string filter;
    for (VideoFormat f : listed) {
        if (!filter.empty())
            filter += "|";
        filter += std::string(filterLabel(f)) + "|*" + InfoOf(f).extension;
    }
    return filter;
}

std::optional<VideoFormat> ChosenVideoFormat(const std::string& fileName, int filterIndex,
                                             const std::vector<VideoFormat>& listed, const std::string& ownExtension)
{
    const std::string extension = lowerExtension(fileName);
    for (VideoFormat f : listed)
        if (extension == InfoOf(f).extension)
            return f;
    if (extension == ownExtension || filterIndex < 2 || size_t(filterIndex - 2) >= listed.size())
        return std::nullopt;
    return listed[size_t(filterIndex - 2)];
}

std::string VideoOutputName(const std::string& fileName, VideoFormat format)
{
    if (lowerExtension(fileName) == InfoOf(format).extension)
        return fileName;
    return ApplyOutputName(fileName, InfoOf(format).extension);
}
