// The video page in virtual time: opening with its warnings, the player's states and
// transitions, recordings whose frames are the video's pictures at the capture times,
// the size fields, Save GIF of the page, and files that cannot be played.
#include "VideoPageFixture.h"

#include "Centring.h"
#include "Guarded.h"
#include "VideoView.h"
#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

namespace {

const char* const Hint = "Please change GIF settings and window size before converting";
const char* const SizeWarning = "Video size may be too big for convertion\r\nIt is strongly recommended to decrease GIF "
                                "output width, height and color depth\r\nin the settings.";

uint32_t ViewPixel(TForm1& form, int x, int y)
{
    const TSurface s = form.VideoPlayer->Window().Surface();
    return s.pixels[size_t(y) * size_t(s.width) + size_t(x)] & 0xFFFFFFu;
}

TEST_F(VideoPageFixture, OpenShowsTheVideoAtItsOwnSizeAndHintsOncePerRun)
{
    EXPECT_FALSE(page().placeholder->isHidden());
    EXPECT_TRUE(form->VideoPlayer->isHidden());
    open(video("clip.avi"));
    EXPECT_EQ(dialogs.DialogTitles.back(), "開啟視訊");
    EXPECT_EQ(dialogs.DialogFilters.back(),
              "視訊檔案 (AVI)|*.avi|其他視訊 (MP4, MKV, WebM, MOV, MPG)|*.mp4;*.mkv;*.webm;*.mov;*.mpg;*.mpeg");
    EXPECT_EQ(form->GroupBox1->title(), QStringLiteral("Video (AVI) Preview - clip.avi"));
    EXPECT_EQ(page().trackBar->maximum(), Frames);
    EXPECT_EQ(form->WidthEdit->value(), W);
    EXPECT_EQ(form->HeightEdit->value(), H);
    EXPECT_EQ(form->VideoPlayer->size(), QSize(W, H));
    EXPECT_EQ(form->VideoPlayer->pos(),
              QPoint(CentredOffset(form->PanelB->width(), W), CentredOffset(form->PanelB->height(), H)));
    EXPECT_FALSE(form->VideoPlayer->isHidden());
    EXPECT_TRUE(page().placeholder->isHidden());
    EXPECT_EQ(mode(), mpStopped);
    EXPECT_EQ(form->MediaPlayer1.DisplayRect(), Rect(0, 0, W, H));
    EXPECT_EQ(frameShown(*[&] {
                  form->StartVideoRecording(false);  // a first frame, to look at the picture
                  form->CaptureVideoFrame();
                  form->StopVideoRecording();
                  return form->RecordedGIF->Frames(0);
              }()).first,
              0);
    ASSERT_EQ(texts(), std::vector<std::string>{Hint});
    EXPECT_EQ(dialogs.Boxes[0].kind, MessageKind::Warning);

    open(video("wide.mp4", testvideo::Kinds[4].codecArgs, 100, 60));  // no second hint
    EXPECT_EQ(texts().size(), 1u);
    EXPECT_EQ(form->GroupBox1->title(), QStringLiteral("Video (AVI) Preview - wide.mp4"));
    EXPECT_EQ(form->VideoPlayer->size(), QSize(100, 60));
}

TEST_F(VideoPageFixture, TheSizeWarningComesAtThePanelsSize)
{
    form->SettingsHintShown = true;
    ASSERT_EQ(form->PanelB->size(), QSize(441, 323));
    struct Case {
        int w, h;
        bool warned;
    };
    for (const Case c : {Case{441, 100, true}, Case{440, 322, false}, Case{100, 323, true}}) {
        dialogs.Boxes.clear();
        open(video("size.avi", testvideo::Kinds[0].codecArgs, c.w, c.h, 2));
        EXPECT_EQ(texts(), c.warned ? std::vector<std::string>{SizeWarning} : std::vector<std::string>{})
            << c.w << "x" << c.h;
        // Only advice: the fields take the video's size.
        EXPECT_EQ(form->WidthEdit->value(), c.w);
        EXPECT_EQ(form->HeightEdit->value(), c.h);
    }
}

TEST_F(VideoPageFixture, WithoutAVideoTheViewIsWhiteAndStartingDiscardsTheResult)
{
    dialogs.CancelFile();
    form->OpenVideo();
    EXPECT_FALSE(form->VideoPlayer->isHidden());
    EXPECT_TRUE(page().placeholder->isHidden());
    EXPECT_EQ(ViewPixel(*form, 10, 10), 0xFFFFFFu);
    EXPECT_FALSE(form->VideoChosen());
    EXPECT_TRUE(dialogs.Boxes.empty());
    form->PlayVideo();
    form->PauseVideo();
    wait(100);
    EXPECT_EQ(mode(), mpNotReady);

    TBitmap picture(8, 8);
    form->RecordedGIF->AddFrame(&picture);
    for (bool fromBeginning : {false, true}) {
        form->StartVideoRecording(fromBeginning);
        EXPECT_EQ(form->RecordedGIF->Count(), 0);
        EXPECT_FALSE(form->Recording(4));
        EXPECT_FALSE(form->Timer1.Enabled());
    }
    EXPECT_EQ(texts(), (std::vector<std::string>{"Open video file at first!", "Open video file at first!"}));
}

TEST_F(VideoPageFixture, PlayPauseTheStartMenuAndTheTrackBar)
{
    open(video("clip.mp4", testvideo::Kinds[4].codecArgs));
    form->PlayVideo();
    EXPECT_EQ(mode(), mpPlaying);
    wait(350);
    EXPECT_EQ(position(), 3);
    EXPECT_EQ(page().trackBar->value(), 3);  // the monitor follows the position

    form->PauseVideo();
    EXPECT_EQ(mode(), mpPaused);
    wait(500);
    EXPECT_EQ(position(), 3);
    form->PlayVideo();  // Play on a paused video starts over
    EXPECT_EQ(mode(), mpPlaying);
    EXPECT_EQ(position(), 0);
    wait(250);
    form->PauseVideo();
    EXPECT_EQ(position(), 2);
    form->VideoStartMenuOpened();  // the menu resumes a paused video where it stands
    form->VideoStartMenuClosed();
    EXPECT_EQ(mode(), mpPlaying);
    EXPECT_EQ(position(), 2);
    wait(100);
    EXPECT_EQ(position(), 3);
    form->VideoStartMenuOpened();  // opening it pauses a playing one
    EXPECT_EQ(mode(), mpPaused);
    form->VideoStartMenuClosed();
    EXPECT_EQ(mode(), mpPlaying);

    form->VideoTrackBarPressed();
    EXPECT_FALSE(form->Timer2.Enabled());
    page().trackBar->setValue(15);
    form->VideoTrackBarReleased();
    EXPECT_TRUE(form->Timer2.Enabled());
    EXPECT_EQ(mode(), mpPlaying);
    EXPECT_EQ(position(), 15);
    wait(100);
    EXPECT_EQ(position(), 16);
    form->PauseVideo();
    form->VideoTrackBarPressed();
    page().trackBar->setValue(4);
    form->VideoTrackBarReleased();  // paused: the track bar moves nothing
    EXPECT_EQ(position(), 16);
    EXPECT_EQ(mode(), mpPaused);

    form->PlayVideo();  // Replay is the same action
    wait(2100);
    EXPECT_EQ(mode(), mpStopped);
    EXPECT_EQ(position(), Frames);
}

TEST_F(VideoPageFixture, RecordingsFollowTheStateTable)
{
    open(video("clip.avi"));
    TBitmap picture(8, 8);
    form->RecordedGIF->AddFrame(&picture);

    // Stopped, from the current position: Recording, playing from the start.
    form->StartVideoRecording(false);
    EXPECT_TRUE(form->Recording(4));
    EXPECT_TRUE(form->Timer1.Enabled());
    EXPECT_EQ(mode(), mpPlaying);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(form->RecordedGIF->Count(), 0);  // the shared result went first
    wait(450);
    EXPECT_EQ(form->RecordedGIF->Count(), 3);

    // Playing, from the current position: it goes on; paused: it resumes where it is.
    form->StartVideoRecording(false);
    EXPECT_EQ(position(), 4);
    EXPECT_EQ(mode(), mpPlaying);
    form->PauseVideo();
    EXPECT_TRUE(form->Recording(4));  // Recording, paused: the still picture is captured
    wait(600);
    const int still = form->RecordedGIF->Count();
    EXPECT_EQ(still, 4);
    for (int i = 0; i < still; ++i)
        EXPECT_EQ(frameShown(*form->RecordedGIF->Frames(i)).first, 4);
    form->StartVideoRecording(false);
    EXPECT_EQ(mode(), mpPlaying);
    EXPECT_EQ(position(), 4);

    // From the beginning, whatever the state.
    wait(300);
    form->StartVideoRecording(true);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(mode(), mpPlaying);

    // The stop button: Stopped, not recording.
    wait(200);
    form->StopVideoRecording();
    EXPECT_FALSE(form->Recording(4));
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_EQ(mode(), mpStopped);

    // The end of the video ends the recording at the next monitor tick.
    form->StartVideoRecording(true);
    EXPECT_TRUE(clock.RunUntil([&] { return mode() == mpStopped; }, 3000));
    const int64_t ended = clock.NowMs();
    EXPECT_TRUE(clock.RunUntil([&] { return !form->Recording(4); }, 10));
    EXPECT_LE(clock.NowMs() - ended, 10);
    EXPECT_EQ(position(), Frames);

    // Standing at the end, from the current position: the video starts again.
    form->StartVideoRecording(false);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(mode(), mpPlaying);
    form->StopVideoRecording();
}

class EveryKind : public VideoPageFixture, public ::testing::WithParamInterface<int> {};

TEST_P(EveryKind, RecordedFramesAreTheVideosPicturesAtTheCaptureTimes)
{
    const testvideo::Kind& kind = testvideo::Kinds[GetParam()];
    form->SettingsHintShown = true;
    open(video(std::string("clip") + kind.extension, kind.codecArgs));
    form->DelayEdit->setValue(130);
    form->StartVideoRecording(true);
    ASSERT_TRUE(clock.RunUntil([&] { return !form->Recording(4); }, 5000));
    // Captures at 130, 260, ... 1950 ms; the video ends at 2000.
    ASSERT_EQ(form->RecordedGIF->Count(), 15) << kind.name;
    for (int i = 0; i < 15; ++i) {
        TGIFFrame& frame = *form->RecordedGIF->Frames(i);
        const int64_t t = 130 * (i + 1);
        const int expected = testvideo::FrameAt(t, Fps);
        const auto [shown, diff] = frameShown(frame);
        // At a frame's very first millisecond either picture is the video's.
        if (t % 100 == 0)
            EXPECT_TRUE(shown == expected || shown == expected - 1) << kind.name << " at " << t;
        else
            EXPECT_EQ(shown, expected) << kind.name << " at " << t;
        EXPECT_LT(diff, 12) << kind.name << " at " << t;
        EXPECT_EQ(frame.AnimateInterval(), 130);
        EXPECT_EQ(frame.Bitmap()->Width(), W);
        EXPECT_EQ(frame.Bitmap()->Height(), H);
        EXPECT_EQ(frame.TransparentColor(), clAqua);
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, EveryKind, ::testing::Range(0, int(std::size(testvideo::Kinds))));

TEST_F(VideoPageFixture, TheSizeFieldsResizeTheViewAndTheNextPlayFitsTheVideo)
{
    form->SettingsHintShown = true;
    open(video("clip.avi"));
    form->PlayVideo();
    form->WidthEdit->setValue(2 * W);  // either field gives both sizes
    EXPECT_EQ(form->VideoPlayer->size(), QSize(2 * W, H));
    EXPECT_EQ(form->VideoPlayer->pos(),
              QPoint(CentredOffset(form->PanelB->width(), 2 * W), CentredOffset(form->PanelB->height(), H)));
    form->HeightEdit->setValue(2 * H);
    EXPECT_EQ(form->VideoPlayer->size(), QSize(2 * W, 2 * H));
    // Still drawn at its rectangle; the rest of the view is white.
    EXPECT_EQ(form->MediaPlayer1.DisplayRect(), Rect(0, 0, W, H));
    wait(50);
    EXPECT_EQ(ViewPixel(*form, W + 10, H + 10), 0xFFFFFFu);

    form->StartVideoRecording(true);  // a start fits the video to the output size
    EXPECT_EQ(form->MediaPlayer1.DisplayRect(), Rect(0, 0, 2 * W, 2 * H));
    EXPECT_NE(ViewPixel(*form, W + 10, H + 10), 0xFFFFFFu);
    wait(150);
    ASSERT_EQ(form->RecordedGIF->Count(), 1);
    EXPECT_EQ(form->RecordedGIF->Frames(0)->Bitmap()->Width(), 2 * W);
    EXPECT_EQ(form->RecordedGIF->Frames(0)->Bitmap()->Height(), 2 * H);
    form->StopVideoRecording();
}

TEST_F(VideoPageFixture, SaveGifOfThePage)
{
    form->SettingsHintShown = true;
    form->SaveVideoGIF();
    EXPECT_EQ(texts(), std::vector<std::string>{
                           "GIF is empty. Please open video file, then click \"Start GIF Recording\"\r\nto create animated GIF."});
    open(video("clip.avi"));
    form->StartVideoRecording(true);
    wait(500);
    ASSERT_EQ(form->RecordedGIF->Count(), 3);

    // During a recording: the device stops, the stop button stays until the monitor.
    form->LoopBox->setChecked(true);
    const std::string target = dir.filePath("saved").toStdString();
    dialogs.AnswerFile(target);
    form->SaveVideoGIF();
    EXPECT_EQ(dialogs.DialogTitles.back(), "儲存 GIF");
    EXPECT_EQ(dialogs.DialogFilters.back(), "GIF 檔案|*.gif");
    EXPECT_EQ(form->SaveDialog1.FileName, target);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(target + ".gif")));
    EXPECT_EQ(texts().back(), "GIF was successfully saved to " + target + ".gif");
    EXPECT_EQ(dialogs.Boxes.back().kind, MessageKind::Plain);
    EXPECT_TRUE(form->RecordedGIF->Looping());
    EXPECT_EQ(form->RecordedGIF->RepeatCount(), 0);
    EXPECT_EQ(mode(), mpStopped);
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_TRUE(form->Recording(4));
    wait(10);
    EXPECT_FALSE(form->Recording(4));

    // Greyscale is applied in memory, also when the dialog is then cancelled.
    form->LoopBox->setChecked(false);
    form->DepthBox->setCurrentText(QStringLiteral("灰階"));
    dialogs.CancelFile();
    const size_t boxes = dialogs.Boxes.size();
    form->SaveVideoGIF();
    EXPECT_EQ(dialogs.Boxes.size(), boxes);
    EXPECT_FALSE(form->RecordedGIF->Looping());
    const TColor c = form->RecordedGIF->Frames(0)->Bitmap()->GetPixel(2, 2);
    EXPECT_EQ(c & 0xFF, (c >> 8) & 0xFF);
    EXPECT_EQ(c & 0xFF, (c >> 16) & 0xFF);
}

TEST_F(VideoPageFixture, AFileThatCannotBePlayedIsReportedAndNothingIsRecorded)
{
    form->SettingsHintShown = true;
    open(video("good.avi"));
    form->StartVideoRecording(true);
    wait(450);
    form->StopVideoRecording();
    ASSERT_EQ(form->RecordedGIF->Count(), 3);

    const std::string empty = dir.filePath("empty.avi").toStdString();
    testvideo::writeAll(empty, {});
    const std::string huge = testvideo::MakeHugeAvi(video("small.avi"), dir.filePath("huge.avi").toStdString(), false);
    for (const std::string& path : {empty, huge}) {
        dialogs.Boxes.clear();
        dialogs.AnswerFile(path);
        RunGuarded([&] { form->OpenVideo(); });
        ASSERT_EQ(dialogs.Boxes.size(), 1u) << path;
        EXPECT_EQ(dialogs.Boxes[0].caption, "Tovrane");  // the error box
        EXPECT_EQ(dialogs.Boxes[0].text.rfind("cannot open " + path + ": ", 0), 0u) << dialogs.Boxes[0].text;
        EXPECT_EQ(form->GroupBox1->title(), QStringLiteral("Video (AVI) Preview - good.avi"));
        EXPECT_EQ(form->RecordedGIF->Count(), 3);  // an open records nothing and drops nothing
        EXPECT_EQ(mode(), mpNotReady);
        EXPECT_TRUE(form->VideoChosen());  // the name stays: Play tries again
        wait(500);                         // and the monitor stays quiet
        EXPECT_EQ(dialogs.Boxes.size(), 1u);
    }
    dialogs.Boxes.clear();
    RunGuarded([&] { form->PlayVideo(); });
    RunGuarded([&] { form->VideoStartMenuOpened(); });
    RunGuarded([&] { form->VideoStartMenuClosed(); });
    RunGuarded([&] { form->StartVideoRecording(false); });
    RunGuarded([&] { form->StartVideoRecording(true); });
    ASSERT_EQ(dialogs.Boxes.size(), 3u);  // Play and the two starts, each saying why
    for (const auto& box : dialogs.Boxes)
        EXPECT_EQ(box.text.rfind("cannot open " + huge + ": the video is 20000 x 20000 pixels", 0), 0u) << box.text;
    EXPECT_FALSE(form->Recording(4));
    EXPECT_FALSE(form->Timer1.Enabled());
    wait(500);
    EXPECT_EQ(form->RecordedGIF->Count(), 0);
}

} // namespace

namespace {

TEST_F(VideoPageFixture, TheButtonsMenuAndFieldsReachTheHandlers)
{
    form->SettingsHintShown = true;
    dialogs.AnswerFile(video("clip.avi"));
    page().open->click();
    EXPECT_EQ(mode(), mpStopped);
    page().play->click();
    EXPECT_EQ(mode(), mpPlaying);
    page().pause->click();
    EXPECT_EQ(mode(), mpPaused);
    emit page().startMenu->aboutToHide();
    EXPECT_EQ(mode(), mpPlaying);
    emit page().startMenu->aboutToShow();
    EXPECT_EQ(mode(), mpPaused);
    page().replay->click();
    EXPECT_EQ(mode(), mpPlaying);
    EXPECT_EQ(position(), 0);

    form->DelayEdit->setValue(200);
    EXPECT_EQ(form->Timer1.Interval(), 200u);
    form->frombeginning1->trigger();
    EXPECT_TRUE(form->Recording(4));
    wait(450);
    EXPECT_EQ(form->RecordedGIF->Count(), 2);
    EXPECT_EQ(form->RecordedGIF->Frames(1)->AnimateInterval(), 200);
    form->DelayEdit->setValue(0);  // a delay of 0: the capture timer does not fire
    wait(500);
    EXPECT_EQ(form->RecordedGIF->Count(), 2);
    EXPECT_TRUE(form->Recording(4));

    dialogs.Boxes.clear();
    page().preview->click();  // while recording: nothing at all
    EXPECT_TRUE(dialogs.Boxes.empty());
    EXPECT_TRUE(form->Recording(4));
    page().stop->click();
    EXPECT_FALSE(form->Recording(4));
    form->fromcurrentposition1->trigger();
    EXPECT_TRUE(form->Recording(4));
    EXPECT_EQ(position(), 0);  // it had stopped: from the start
    page().stop->click();

    form->StartVideoRecording(true);  // an empty recording
    form->StopVideoRecording();
    page().preview->click();
    EXPECT_EQ(texts(), std::vector<std::string>{"Cannot preview: there is no GIF recorded."});
    page().save->click();
    EXPECT_EQ(texts().back(),
              "GIF is empty. Please open video file, then click \"Start GIF Recording\"\r\nto create animated GIF.");
}

} // namespace
