// A save that cannot finish leaves no file behind and keeps the file the user had;
// its message names what went wrong.
#include "AviTestSupport.h"
#include "Exceptions.h"
#include "FileSizeLimit.h"
#include "VideoSave.h"
#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace avi_test;
using namespace video_test;

namespace {

struct Frames {
    std::vector<std::unique_ptr<TBitmap>> owned;
    std::vector<TBitmap*> list;
    explicit Frames(int count, int w = 64, int h = 48)
    {
        for (int i = 0; i < count; ++i) {
            owned.push_back(MovieFrame(w, h, i));
            list.push_back(owned.back().get());
        }
    }
};

VideoSaveJob jobFor(const std::string& file, VideoFormat format, const Frames& frames)
{
    VideoSaveJob job;
    job.fileName = file;
    job.format = format;
    job.width = 64;
    job.height = 48;
    job.frameTime = 40;
    job.frames = frames.list;
    return job;
}

std::string messageOf(const VideoSaveJob& job)
{
    try {
        SaveVideo(job);
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

TEST(VideoFailure, RefusedSavesLeaveTheEarlierFileAndNoTemporaryFile)
{
    Frames frames(5);
    struct Case {
        const char* name;
        std::function<void(VideoSaveJob&)> spoil;
        const char* says;  // part of the message
    };
    const Case cases[] = {
        {"bad preset", [](VideoSaveJob& j) { j.settings.preset = "warp-speed"; }, "libx264"},
        {"no frame time", [](VideoSaveJob& j) { j.frameTime = 0; }, "frame time"},
        {"no frames", [](VideoSaveJob& j) { j.frames.clear(); }, "no frames"},
        {"no size", [](VideoSaveJob& j) { j.width = 0; }, "frame size"},
        {"missing sound file", [](VideoSaveJob& j) { j.soundFileName = "/nonexistent/tone.wav"; }, "/nonexistent/tone.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string file = dir.File("movie.mp4");
        WriteFileBytes(file, {'o', 'l', 'd'});
        VideoSaveJob job = jobFor(file, VideoFormat::Mp4, frames);
        c.spoil(job);
        const std::string message = messageOf(job);
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_EQ(ReadFileBytes(file), (std::vector<uint8_t>{'o', 'l', 'd'}));
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"movie.mp4"});
    }
}

TEST(VideoFailure, AFullDiskFailsTheSaveOfEveryFormat)
{
    Frames frames(20);
    for (VideoFormat format : {VideoFormat::Mp4, VideoFormat::WebM, VideoFormat::Mkv, VideoFormat::WebP, VideoFormat::Apng}) {
        SCOPED_TRACE(InfoOf(format).name);
        ScratchDir dir;
        const std::string file = dir.File(std::string("movie") + InfoOf(format).extension);
        WriteFileBytes(file, {'o', 'l', 'd'});
        std::string message;
        {
            FileSizeLimit limit(2000);
            message = messageOf(jobFor(file, format, frames));
        }
        EXPECT_NE(message.find(file), std::string::npos) << message;
        EXPECT_EQ(ReadFileBytes(file), (std::vector<uint8_t>{'o', 'l', 'd'}));
        EXPECT_EQ(dir.Entries().size(), 1u);
    }
}

TEST(VideoFailure, AFolderThatDoesNotExistMakesNoFile)
{
    Frames frames(2);
    const std::string file = "/nonexistent-folder/movie.webm";
    EXPECT_NE(messageOf(jobFor(file, VideoFormat::WebM, frames)).find(file), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
