// Recording sessions of the Flash pages in virtual time: the states and transitions
// of a page, the automatic stop and its too-short warnings, page 2's Halted state,
// page 3's stop-after rule and format changes, and the shared animation.
#include "FlashAppFixture.h"

#include "Bitmap.h"
#include "Centring.h"
#include "FlashHostView.h"
#include "JPEGImage.h"
#include "RxGIF.h"
#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <fstream>

namespace {

const char* const TooShortGif =
    "The GIF recording time is too short. It looks like this Flash file is not divided onto multiple frames.\r\n"
    "Please try to convert again using the \"without automatic Stop\" subitem of the \"Start GIF Recording\" button.\r\n"
    "Then you will have to manually click on the \"Stop GIF Recording\" button to stop converting.";
const char* const TooShortImages =
    "The recording time is too short. It looks like this Flash file is not divided onto multiple frames.\r\n"
    "Please try to convert again using the \"without automatic Stop\" subitem of the \"Start Recording\" button.\r\n"
    "Then you will have to manually click on the \"Stop Recording\" button to stop converting.";

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

} // namespace

TEST_F(FlashAppFixture, OpenShowsTheMovieAtItsFirstFrameAndHintsOncePerRun)
{
    const std::string path = WriteTestMovie(dir, "clip.swf", 6, 12);
    open(1, path);
    EXPECT_EQ(dialogs.DialogTitles.back(), "開啟檔案");
    EXPECT_EQ(dialogs.DialogFilters.back(),
              "Flash 檔案 (*.SWF, *.FLV)|*.FLV;*.SWF|Flash 視訊 (FLV)|*.FLV|多媒體 Flash (SWF)|*.SWF");
    EXPECT_EQ(form->GroupBox1x->title(), QStringLiteral("Flash Movie Preview - clip.swf"));
    EXPECT_EQ(form->Page(1).trackBar->maximum(), 6);
    EXPECT_EQ(form->WidthEditx->value(), 440);
    EXPECT_EQ(form->HeightEditx->value(), 316);
    EXPECT_FALSE(form->FlashPlayer->Playing());
    EXPECT_EQ(form->FlashPlayer->CurrentFrame(), 0);
    EXPECT_TRUE(form->Page(1).placeholder->isHidden());
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].text, "Please change GIF settings and window size before converting");
    EXPECT_EQ(dialogs.Boxes[0].kind, MessageKind::Warning);

    open(2, path);  // another page: no second hint
    EXPECT_EQ(dialogs.DialogTitles.back(), "開啟多媒體 Flash");
    EXPECT_EQ(dialogs.Boxes.size(), 1u);

    dialogs.CancelFile();  // a cancelled dialog changes nothing; Replay reloads the last choice
    form->OpenFlash(1);
    form->ReplayFlash(1);
    EXPECT_TRUE(form->FlashPlayer->Playing());
    EXPECT_EQ(form->OpenDialog1x.FileName, path);
}

TEST_F(FlashAppFixture, PlayPauseAndTheMonitorFollowTheMovie)
{
    form->PlayFlash(1);  // nothing open: nothing happens
    open(1, WriteTestMovie(dir, "clip.swf", 12, 10));
    form->PlayFlash(1);
    clock.AdvanceBy(350);
    EXPECT_TRUE(form->FlashPlayer->Playing());
    EXPECT_EQ(form->Page(1).trackBar->value(), form->FlashPlayer->CurrentFrame());
    EXPECT_GT(form->FlashPlayer->CurrentFrame(), 1);
    EXPECT_FALSE(form->FlashPlayer->Loop());

    form->PauseFlash(1);
    const int paused = form->FlashPlayer->CurrentFrame();
    // Releasing the thumb of a paused movie leaves it; the thumb returns at the next tick.
    form->TrackBarPressed(1);
    EXPECT_FALSE(form->Timer2x.Enabled());
    form->Page(1).trackBar->setValue(9);
    form->TrackBarReleased(1);
    EXPECT_TRUE(form->Timer2x.Enabled());
    clock.AdvanceBy(20);
    EXPECT_EQ(form->FlashPlayer->CurrentFrame(), paused);
    EXPECT_EQ(form->Page(1).trackBar->value(), paused);
}

TEST_F(FlashAppFixture, StartWithoutAMovieDiscardsTheResultAndWarns)
{
    TBitmap picture(4, 4);
    form->RecordedGIF->AddFrame(&picture);
    form->AviWriter1.Bitmaps().Add(form->RecordedGIF->Frames(0)->Bitmap());
    form->StartGIFRecording(false);
    EXPECT_EQ(form->RecordedGIF->Count(), 0);
    EXPECT_EQ(form->AviWriter1.Bitmaps().Count(), 0);
    EXPECT_FALSE(form->Recording(1));
    EXPECT_FALSE(form->AutoStopGIF);
    EXPECT_EQ(texts(), std::vector<std::string>{"Open Flash file at first!"});
    form->StartImagesRecording(true);
    EXPECT_TRUE(form->AutoStopImages);
    EXPECT_FALSE(form->Recording(3));
}

TEST_F(FlashAppFixture, ASingleFrameMovieStopsAtOnceWithTheTooShortWarning)
{
    open(1, WriteTestMovie(dir, "still.swf", 1, 12));
    EXPECT_EQ(form->Page(1).trackBar->maximum(), 1);
    form->StartGIFRecording(true);
    EXPECT_TRUE(form->Recording(1));
    EXPECT_TRUE(form->Timer1x.Enabled());
    EXPECT_TRUE(runUntilStopped(1, 500));
    EXPECT_FALSE(form->Timer1x.Enabled());
    EXPECT_LT(form->ElapsedGIF, 1000);
    EXPECT_EQ(dialogs.Boxes.back().text, TooShortGif);
    EXPECT_EQ(dialogs.Boxes.back().caption, WarningCaption);
    // The ticks that follow neither stop again nor repeat the warning.
    const size_t shown = dialogs.Boxes.size();
    clock.AdvanceBy(200);
    EXPECT_EQ(dialogs.Boxes.size(), shown);
}

TEST_F(FlashAppFixture, ALongerMovieStopsAtItsEndWithoutWarning)
{
    // 30 frames at 12 fps: 2.5 s of movie.
    open(1, WriteTestMovie(dir, "clip.swf", 30, 12));
    form->DelayEditx->setValue(250);
    EXPECT_EQ(form->Timer1x.Interval(), 250u);
    form->StartGIFRecording(true);
    ASSERT_TRUE(runUntilStopped(1, 10000));
    EXPECT_GE(form->ElapsedGIF, 2400);
    EXPECT_EQ(dialogs.Boxes.size(), 1u);  // the hint only
    const int frames = form->RecordedGIF->Count();
    EXPECT_GE(frames, 9);
    EXPECT_LE(frames, 11);
    for (int i = 0; i < frames; ++i) {
        TGIFFrame* frame = form->RecordedGIF->Frames(i);
        EXPECT_EQ(frame->AnimateInterval(), 250);
        EXPECT_EQ(frame->TransparentColor(), clAqua);
        EXPECT_EQ(frame->Bitmap()->PixelFormat(), pf8bit);
        EXPECT_EQ(frame->Bitmap()->Width(), 440);
        EXPECT_EQ(frame->Bitmap()->Height(), 316);
    }
}

TEST_F(FlashAppFixture, ManualStopKeepsCapturingTheLastFrameUntilStopped)
{
    open(1, WriteTestMovie(dir, "clip.swf", 3, 12));
    form->StartGIFRecording(false);
    clock.AdvanceBy(2000);
    EXPECT_TRUE(form->Recording(1));
    EXPECT_FALSE(form->FlashPlayer->Playing());
    EXPECT_EQ(form->RecordedGIF->Count(), 20);
    form->Page(1).stop->click();
    EXPECT_FALSE(form->Recording(1));
    EXPECT_FALSE(form->Timer1x.Enabled());
    clock.AdvanceBy(500);
    EXPECT_EQ(form->RecordedGIF->Count(), 20);
}

TEST_F(FlashAppFixture, AnEmptiedDelayFieldKeepsItsLastValue)
{
    open(1, WriteTestMovie(dir, "clip.swf", 3, 12));
    form->DelayEditx->setValue(150);
    form->DelayEditx->setText(QString());
    EXPECT_EQ(form->Timer1x.Interval(), 150u);
    form->StartGIFRecording(false);
    clock.AdvanceBy(310);
    ASSERT_EQ(form->RecordedGIF->Count(), 2);
    EXPECT_EQ(form->RecordedGIF->Frames(1)->AnimateInterval(), 150);
    // Zero is a value: the capture timer stops firing.
    form->DelayEditx->setValue(0);
    clock.AdvanceBy(1000);
    EXPECT_EQ(form->RecordedGIF->Count(), 2);
    EXPECT_TRUE(form->Recording(1));
}

TEST_F(FlashAppFixture, SizeFieldsResizeAndRecentreThePlayer)
{
    open(1, WriteTestMovie(dir, "clip.swf", 3, 12));
    const int panelWidth = form->PanelBx->width();
    form->WidthEditx->setValue(1000);
    EXPECT_EQ(form->FlashPlayer->Width(), 1000);
    EXPECT_EQ(form->FlashPlayer->Left(), CentredOffset(panelWidth, 1000));
    EXPECT_EQ(form->FlashPlayer->Height(), 316);
    form->HeightEditx->setValue(100);
    EXPECT_EQ(form->FlashPlayer->Height(), 100);
    EXPECT_EQ(form->FlashPlayer->Width(), 1000);
    form->StartGIFRecording(false);
    clock.AdvanceBy(100);
    ASSERT_EQ(form->RecordedGIF->Count(), 1);
    EXPECT_EQ(form->RecordedGIF->Frames(0)->Bitmap()->Width(), 1000);
    EXPECT_EQ(form->RecordedGIF->Frames(0)->Bitmap()->Height(), 100);
}

TEST_F(FlashAppFixture, AFileThatIsNotAMovieIsRefusedAndThePageKeepsItsMovie)
{
    const std::string movie = WriteTestMovie(dir, "clip.swf", 6, 12);
    open(1, movie);
    const std::string junk = dir.filePath("junk.swf").toStdString();
    std::ofstream(junk, std::ios::binary) << "\x89PNG\r\n\x1a\n not a movie";
    dialogs.Boxes.clear();
    open(1, junk);
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].kind, MessageKind::Warning);
    EXPECT_EQ(dialogs.Boxes[0].text, junk + ": not a Flash movie (a PNG picture, not a movie)");
    EXPECT_EQ(form->GroupBox1x->title(), QStringLiteral("Flash Movie Preview - clip.swf"));
    EXPECT_EQ(form->OpenDialog1x.FileName, movie);
    form->StartGIFRecording(false);
    clock.AdvanceBy(250);
    form->StopGIFRecording();
    ASSERT_TRUE(form->RecordedGIF);
    EXPECT_GE(form->RecordedGIF->Count(), 2);  // the movie shown, not a blank player
}

TEST_F(FlashAppFixture, ABackgroundColourChangeReloadsTheMovie)
{
    open(2, WriteTestMovie(dir, "clip.swf", 30, 12));
    form->PlayFlash(2);
    clock.AdvanceBy(1000);
    EXPECT_GT(form->FlashPlayer2->CurrentFrame(), 5);
    form->BackColory->setSelected(clRed);
    EXPECT_EQ(form->FlashPlayer2->Color(), clRed);
    EXPECT_EQ(form->FlashPlayer2->BackgroundColor(), int(clRed));
    EXPECT_TRUE(form->FlashPlayer2->Playing());
    EXPECT_LE(form->FlashPlayer2->CurrentFrame(), 1);
}

TEST_F(FlashAppFixture, SaveOnPageTwoLeavesItHaltedUntilTheNextMonitorTick)
{
    open(2, WriteTestMovie(dir, "clip.swf", 36, 12));
    form->StartAVIRecording(true);
    EXPECT_EQ(form->AviWriter1.Width(), 440);
    EXPECT_EQ(form->AviWriter1.Height(), 316);
    clock.AdvanceBy(1500);
    const int recorded = form->AviWriter1.Bitmaps().Count();
    EXPECT_EQ(recorded, 15);
    EXPECT_EQ(recorded, form->RecordedGIF->Count());
    EXPECT_EQ(form->AviWriter1.Bitmaps()[0], form->RecordedGIF->Frames(0)->Bitmap());

    const std::string file = dir.filePath("movie").toStdString();
    dialogs.AnswerFile(file);
    form->Page(2).save->click();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(file + ".avi")));
    EXPECT_EQ(dialogs.Boxes.back().text, "AVI was successfully saved to " + file + ".avi");
    EXPECT_EQ(dialogs.Boxes.back().kind, MessageKind::Plain);
    EXPECT_EQ(dialogs.DialogTitles.back(), "儲存檔案");
    EXPECT_EQ(dialogs.DialogFilters.back(),
              "音訊視訊交錯格式 (AVI)|*.avi|MP4 影片 (H.264)|*.mp4|WebM 影片 (VP9)|*.webm|MKV 影片 (H.264)|*.mkv");
    EXPECT_EQ(form->AviWriter1.Bitmaps().Count(), 0);
    // Halted: stop button shown, capture off, movie stopped.
    EXPECT_TRUE(form->Recording(2));
    EXPECT_FALSE(form->Timer1y.Enabled());
    EXPECT_FALSE(form->FlashPlayer2->Playing());
    const size_t shown = dialogs.Boxes.size();
    clock.AdvanceBy(10);
    EXPECT_FALSE(form->Recording(2));
    EXPECT_EQ(dialogs.Boxes.size(), shown);  // the counter had passed 1000: no warning

    form->Page(2).save->click();  // the save consumed the frames
    EXPECT_EQ(dialogs.Boxes.back().text,
              "AVI is empty. Please open Flash file, then click \"Start AVI Recording\"\r\nto create AVI.");
}

TEST_F(FlashAppFixture, PageTwoSavesCompressedVideoByTheChosenFilterOrExtension)
{
    struct Case {
        const char* name;
        int filter;
        const char* written;
        const char* codec;
        const char* says;
    };
    const Case cases[] = {{"movie", 2, "movie.mp4", "codec_name=h264", "MP4"},
                          {"movie", 3, "movie.webm", "codec_name=vp9", "WebM"},
                          {"clip.mkv", 1, "clip.mkv", "codec_name=h264", "MKV"}};
    open(2, WriteTestMovie(dir, "clip.swf", 36, 12));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        form->StartAVIRecording(false);
        clock.AdvanceBy(500);
        form->StopAVIRecording();
        const int recorded = form->AviWriter1.Bitmaps().Count();
        ASSERT_GT(recorded, 0);
        const std::string written = dir.filePath(c.written).toStdString();
        dialogs.AnswerFile(dir.filePath(c.name).toStdString(), c.filter);
        form->SaveAVI();
        EXPECT_EQ(dialogs.Boxes.back().text, std::string(c.says) + " was successfully saved to " + written);
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                "stream=codec_name,nb_read_frames", "-of", "default=nw=1", QString::fromStdString(written)});
        ASSERT_TRUE(probe.waitForFinished(30000));
        const std::string out = probe.readAllStandardOutput().toStdString();
        EXPECT_NE(out.find(c.codec), std::string::npos) << out;
        EXPECT_NE(out.find("nb_read_frames=" + std::to_string(recorded)), std::string::npos) << out;
        EXPECT_EQ(form->AviWriter1.Bitmaps().Count(), 0);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("movie.avi")));
}

TEST_F(FlashAppFixture, PageOneSavesAnimatedWebpAndApng)
{
    open(1, WriteTestMovie(dir, "clip.swf", 12, 12));
    form->StartGIFRecording(false);
    clock.AdvanceBy(500);
    form->StopGIFRecording();
    const int recorded = form->RecordedGIF->Count();
    ASSERT_GT(recorded, 0);
    for (const char* name : {"anim.webp", "anim.apng"}) {
        SCOPED_TRACE(name);
        const std::string file = dir.filePath(name).toStdString();
        dialogs.AnswerFile(file);
        form->SaveGIF();
        EXPECT_EQ(dialogs.DialogFilters.back(), "GIF 檔案|*.gif|動畫 WebP|*.webp|動畫 PNG (APNG)|*.apng");
        EXPECT_NE(dialogs.Boxes.back().text.find("was successfully saved to " + file), std::string::npos)
            << dialogs.Boxes.back().text;
        QProcess pillow;
        pillow.start("/usr/bin/python3", {"-c", "import sys\nfrom PIL import Image\nprint(Image.open(sys.argv[1]).n_frames)",
                                          QString::fromStdString(file)});
        ASSERT_TRUE(pillow.waitForFinished(30000));
        EXPECT_EQ(pillow.readAllStandardOutput().trimmed().toInt(), recorded);
    }
    // The third filter without an extension: APNG.
    dialogs.AnswerFile(dir.filePath("picked").toStdString(), 3);
    form->SaveGIF();
    EXPECT_TRUE(QFile::exists(dir.filePath("picked.apng")));
}

TEST_F(FlashAppFixture, FramesRecordedOnPageTwoSaveAsAGifOnPageOne)
{
    open(2, WriteTestMovie(dir, "clip.swf", 12, 12));
    form->StartAVIRecording(false);
    clock.AdvanceBy(500);
    form->StopAVIRecording();
    ASSERT_EQ(form->RecordedGIF->Count(), 5);
    form->LoopBoxx->setChecked(false);
    const std::string file = dir.filePath("a.gi").toStdString();
    dialogs.AnswerFile(file);
    form->SaveGIF();
    EXPECT_EQ(dialogs.Boxes.back().text, "GIF was successfully saved to " + file + ".gif");
    EXPECT_FALSE(form->RecordedGIF->Looping());
    QFile gif(QString::fromStdString(file + ".gif"));
    ASSERT_TRUE(gif.open(QIODevice::ReadOnly));
    EXPECT_TRUE(gif.read(6) == "GIF89a");

    // A new recording on page 1 leaves nothing of page 2's.
    open(1, WriteTestMovie(dir, "other.swf", 12, 12));
    form->StartGIFRecording(false);
    EXPECT_EQ(form->RecordedGIF->Count(), 0);
    EXPECT_EQ(form->AviWriter1.Bitmaps().Count(), 0);
}

TEST_F(FlashAppFixture, EmptyResultsAreRefusedWithTheirWarnings)
{
    form->SaveGIF();
    form->SaveImages();
    form->PreviewGIF();
    form->PreviewAVI();
    form->PreviewImages();
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "GIF is empty. Please open Flash file, then click \"Start GIF Recording\"\r\nto create animated GIF.",
                           "Images are not recorded yet. Please open Flash file, then click \"Start Recording\".",
                           "Cannot preview: there is no GIF recorded.",
                           "Cannot preview: there is no AVI recorded.",
                           "Cannot preview: there are no images recorded.",
                       }));
}

TEST_F(FlashAppFixture, StopAfterEndsAnImageRecordingAtTheCount)
{
    open(3, WriteTestMovie(dir, "clip.swf", 48, 12));
    form->DelayEditz->setValue(100);
    form->StopAtBoxz->setChecked(true);
    form->stopafter->setValue(2);
    form->StartImagesRecording(false);
    clock.AdvanceBy(199);
    EXPECT_TRUE(form->Recording(3));
    clock.AdvanceBy(1);
    EXPECT_FALSE(form->Recording(3));
    EXPECT_EQ(form->JpgImages.size(), 2u);
    // The stop compressed them at the field's quality.
    EXPECT_EQ(form->JpgImages[0]->Quality(), 95);
    clock.AdvanceBy(500);
    EXPECT_EQ(form->JpgImages.size(), 2u);
}

TEST_F(FlashAppFixture, AFormatChangeDuringARecordingSavesTwoSeries)
{
    open(3, WriteTestMovie(dir, "clip.swf", 48, 12));
    form->DelayEditz->setValue(100);
    form->StartImagesRecording(false);
    clock.AdvanceBy(250);
    form->FormatBoxz->setCurrentText(QStringLiteral("PNG"));
    EXPECT_FALSE(form->QualityEditz->isEnabled());
    EXPECT_FALSE(form->QualityLabelz->isEnabled());
    EXPECT_EQ(form->Page(3).stop->text(), QStringLiteral("Stop PNGs Recording"));
    EXPECT_EQ(form->Page(3).start->text(), QStringLiteral("Start PNGs Recording"));
    EXPECT_EQ(form->Page(3).save->text(), QStringLiteral("Save PNG images"));
    EXPECT_EQ(form->Page(3).preview->text(), QStringLiteral("Preview PNG images"));
    clock.AdvanceBy(200);
    EXPECT_EQ(form->JpgImages.size(), 2u);
    EXPECT_EQ(form->PngImages.size(), 2u);

    const std::string folder = dir.filePath("series").toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    dialogs.AnswerDirectory(folder);
    form->SaveImages();
    EXPECT_FALSE(form->Recording(3));
    EXPECT_EQ(dialogs.DialogTitles.back(), "選取資料夾");
    const std::vector<std::string> all = texts();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "JPG images where successfully saved to " + folder + " as 1.jpg, 2.jpg ... etc.");
    EXPECT_EQ(all.back(), "PNG images where successfully saved to " + folder + " as 1.png, 2.png ... etc.");
    for (const char* name : {"1.jpg", "2.jpg", "1.png", "2.png"})
        EXPECT_TRUE(QFile::exists(QString::fromStdString(folder + "/" + name))) << name;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(folder + "/3.jpg")));
    // PNG was shown at the stop: the JPG images were not given the field's quality.
    EXPECT_EQ(form->JpgImages[0]->Quality(), 90);

    form->FormatBoxz->setCurrentText(QStringLiteral("JPG"));
    EXPECT_TRUE(form->QualityEditz->isEnabled());
    EXPECT_EQ(form->Page(3).save->text(), QStringLiteral("Save JPG images"));
}

TEST_F(FlashAppFixture, AnAutomaticImageRecordingOfAStillWarnsWithPageThreeText)
{
    open(3, WriteTestMovie(dir, "still.swf", 1, 12));
    form->StartImagesRecording(true);
    ASSERT_TRUE(runUntilStopped(3, 500));
    EXPECT_TRUE(Contains(texts(), TooShortImages));
    EXPECT_TRUE(form->JpgImages.empty());  // stopped before the first capture interval
}
