// The media player in virtual time: every codec and container plays frame by frame
// at its rate, stops at its end and rewinds on the next Play; pause, resume, stop and
// seeks; the display rectangle.
#include "MediaFixture.h"

namespace {

constexpr int Frames = 20, Fps = 10;

class EveryKind : public MediaFixture, public ::testing::WithParamInterface<int> {};

TEST_P(EveryKind, ShowsThePictureOfEachMomentAndStopsAtTheEnd)
{
    const testvideo::Kind& kind = testvideo::Kinds[GetParam()];
    player.FileName = video("clip-" + std::to_string(GetParam()) + kind.extension, kind.codecArgs, Frames, Fps);
    player.Open();
    EXPECT_EQ(player.Length(), Frames);
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(player.DisplayRect(), Rect(0, 0, W, H));
    EXPECT_EQ(player.OpenedDevice(), std::string(kind.extension) == ".avi" ? dtAVIVideo : dtMPEGVideo);
    EXPECT_DOUBLE_EQ(player.FrameRate(), Fps);
    auto [first, firstDiff] = shown(Frames);
    EXPECT_EQ(first, 0);
    EXPECT_LT(firstDiff, 12);

    const int64_t start = clock.NowMs();
    player.Play();
    EXPECT_EQ(player.Mode(), mpPlaying);
    for (int64_t t : {50, 130, 250, 470, 990, 1310, 1730, 1990}) {
        clock.AdvanceTo(start + t);
        const int expected = testvideo::FrameAt(t, Fps);
        EXPECT_EQ(player.Position(), expected) << kind.name << " at " << t;
        auto [frame, diff] = shown(Frames);
        EXPECT_EQ(frame, expected) << kind.name << " at " << t;
        EXPECT_LT(diff, 12) << kind.name << " at " << t;
    }
    clock.AdvanceTo(start + 2000);
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_EQ(player.Position(), Frames);
    EXPECT_EQ(shown(Frames).first, Frames - 1);

    player.Play();  // at the end: from the start again
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(shown(Frames).first, 0);
    clock.AdvanceBy(350);
    EXPECT_EQ(player.Position(), 3);
    EXPECT_EQ(player.Mode(), mpPlaying);
}

INSTANTIATE_TEST_SUITE_P(Codecs, EveryKind, ::testing::Range(0, int(std::size(testvideo::Kinds))));

TEST_F(MediaFixture, PauseResumeStopAndSeeks)
{
    constexpr int frames = 60;
    player.FileName = video("long.mp4", "-c:v libx264 -crf 12 -pix_fmt yuv420p -g 12", frames, 25);
    player.Open();
    ASSERT_EQ(player.Length(), frames);
    player.Play();
    clock.AdvanceBy(130);  // 25 fps: a frame each 40 ms
    EXPECT_EQ(player.Position(), 3);
    player.Pause();
    EXPECT_EQ(player.Mode(), mpPaused);
    clock.AdvanceBy(1000);
    EXPECT_EQ(player.Position(), 3);
    EXPECT_EQ(shown(frames).first, 3);
    player.Pause();  // a paused device resumes
    EXPECT_EQ(player.Mode(), mpPlaying);
    clock.AdvanceBy(85);
    EXPECT_EQ(player.Position(), 5);

    for (int to : {50, 7, 0, 31, 59, 12}) {
        player.SetPosition(to);
        EXPECT_EQ(player.Mode(), mpStopped) << to;
        EXPECT_EQ(player.Position(), to);
        EXPECT_EQ(shown(frames).first, to) << "after a seek to " << to;
    }
    player.Play();
    clock.AdvanceBy(90);
    EXPECT_EQ(player.Position(), 14);
    EXPECT_EQ(shown(frames).first, 14);
    player.Stop();
    EXPECT_EQ(player.Mode(), mpStopped);
    clock.AdvanceBy(500);
    EXPECT_EQ(player.Position(), 14);

    player.SetPosition(frames + 10);  // held at the end
    EXPECT_EQ(player.Position(), frames);
    EXPECT_EQ(shown(frames).first, frames - 1);
    bool notified = false;
    player.OnNotify = [&](TMediaPlayer&) { notified = true; };
    player.Play();
    EXPECT_EQ(player.Position(), 0);
    clock.AdvanceBy(frames * 40 + 40);
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_TRUE(notified);
}

TEST_F(MediaFixture, TheDisplayRectangleScalesThePictureIntoTheWindow)
{
    player.FileName = video("clip-0.avi", testvideo::Kinds[0].codecArgs, Frames, Fps);
    player.SetDisplayRect(Rect(1, 2, 30, 40));  // nothing open: kept, nothing drawn
    EXPECT_EQ(player.DisplayRect(), Rect(1, 2, 30, 40));
    EXPECT_EQ(pixel(5, 5), 0xFFFFFFu);

    player.Open();
    EXPECT_EQ(player.DisplayRect(), Rect(0, 0, W, H));
    player.SetDisplayRect(Rect(10, 20, 10 + 2 * W, 20 + 2 * H));
    EXPECT_EQ(player.DisplayRect(), Rect(10, 20, 10 + 2 * W, 20 + 2 * H));
    // Twice the size: each picture pixel covers 2 x 2 window pixels (sampled away
    // from the edges, where scaling blends).
    const double diff = testvideo::Difference(testvideo::Picture(W, H, 0, Frames), W, H, [this](int x, int y) {
        return pixel(10 + 2 * x + 1, 20 + 2 * y + 1);
    });
    EXPECT_LT(diff, 12);
    EXPECT_EQ(pixel(5, 5), 0xFFFFFFu);                  // above and left: the window
    EXPECT_EQ(pixel(10 + 2 * W + 2, 30), 0xFFFFFFu);    // right of it
    EXPECT_EQ(pixel(1, 1), 0xFFFFFFu);

    player.SetDisplayRect(Rect(50, 60, 0, 0));  // right and bottom 0: the video's own size
    EXPECT_EQ(player.DisplayRect(), Rect(50, 60, 50 + W, 60 + H));
    EXPECT_EQ(pixel(20, 30), 0xFFFFFFu);
    EXPECT_EQ(testvideo::NearestFrame(W, H, Frames, [this](int x, int y) { return pixel(50 + x, 60 + y); }).first, 0);

    player.Close();
    EXPECT_EQ(player.Mode(), mpNotReady);
    EXPECT_EQ(pixel(60, 70), 0xFFFFFFu);
}

TEST_F(MediaFixture, AClosedDeviceStaysQuietWhereThePageLooksAndRefusesToPlay)
{
    EXPECT_EQ(player.Mode(), mpNotReady);
    EXPECT_EQ(player.Position(), 0);
    EXPECT_EQ(player.Length(), 0);
    EXPECT_NO_THROW(player.Stop());
    player.FileName = "/nowhere/clip.avi";
    try {
        player.Play();
        ADD_FAILURE() << "Play on a closed device";
    } catch (const EMCIDeviceError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot play /nowhere/clip.avi: no video is open");
    }
    EXPECT_THROW(player.Pause(), EMCIDeviceError);
    EXPECT_THROW(player.SetPosition(3), EMCIDeviceError);
}

TEST_F(MediaFixture, TellsVideosFromOtherFilesByContent)
{
    const std::string avi = video("clip-0.avi", testvideo::Kinds[0].codecArgs, Frames, Fps);
    const std::string mp4 = video("clip-4.mp4", testvideo::Kinds[4].codecArgs, Frames, Fps);
    const std::string renamed = folder() + "/clip.dat";
    std::filesystem::copy_file(mp4, renamed, std::filesystem::copy_options::overwrite_existing);
    const std::string text = folder() + "/notes.avi";
    FILE* f = fopen(text.c_str(), "w");
    fputs("These are notes, not a video.\n", f);
    fclose(f);
    EXPECT_TRUE(media::VideoSource::LooksLikeVideo(avi));
    EXPECT_TRUE(media::VideoSource::LooksLikeVideo(renamed));
    EXPECT_FALSE(media::VideoSource::LooksLikeVideo(text));
    EXPECT_FALSE(media::VideoSource::LooksLikeVideo(folder() + "/missing.avi"));
    // Every other container of the open dialog is a video; pictures and sound are not,
    // whatever their names.
    struct Made {
        const char* name;
        const char* input;
        const char* output;
        bool video;
    };
    const Made made[] = {
        {"a.webm", "testsrc2=size=32x24:duration=0.5", "-c:v libvpx", true},
        {"a.mkv", "testsrc2=size=32x24:duration=0.5", "-c:v libx264", true},
        {"a.mov", "testsrc2=size=32x24:duration=0.5", "-c:v mpeg4", true},
        {"a.mpg", "testsrc2=size=32x24:duration=0.5", "-c:v mpeg2video", true},
        {"gif.avi", "testsrc2=size=32x24:duration=0.5", "-f gif", false},
        {"png.mp4", "testsrc2=size=32x24", "-frames:v 1 -f image2 -c:v png", false},
        {"tone.mkv", "sine=duration=0.5", "-f wav", false},
    };
    for (const Made& m : made) {
        const std::string p = folder() + "/" + m.name;
        ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i " + std::string(m.input) + " " + m.output +
                               " '" + p + "'")
                                  .c_str()),
                  0)
            << m.name;
        EXPECT_EQ(media::VideoSource::LooksLikeVideo(p), m.video) << m.name;
    }
}

} // namespace
