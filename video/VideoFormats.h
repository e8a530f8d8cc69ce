// The compressed outputs we write and what each one needs from the installed FFmpeg.
#pragma once

#include <optional>
#include <string>

enum class VideoFormat { Mp4, WebM, Mkv, WebP, Apng };

struct VideoFormatInfo {
    VideoFormat format;
    const char* name;        // as --format takes it: "mp4", "webm", ...
    const char* label;       // as messages name it: "MP4", "WebM", ...
    const char* extension;   // ".mp4", ...
    const char* muxer;       // libavformat's short name
    const char* videoCodec;  // encoder name
    const char* audioCodec;  // encoder name, null when the format carries no sound
    bool animation;          // recorded from the GIF page (WebP, APNG)
};

const VideoFormatInfo& InfoOf(VideoFormat format);
// By a name ("mp4") or an extension (".mp4"), any case.
std::optional<VideoFormat> VideoFormatByName(const std::string& nameOrExtension);
// "mp4, webm, mkv, webp or apng".
std::string VideoFormatNames();
