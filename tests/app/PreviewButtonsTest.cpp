// The Preview buttons of the Flash pages with real recordings in virtual time: what
// each hands to its preview window, and what the window shows while it is open.
#include "FlashAppFixture.h"

#include "GIFCtrl.h"
#include "RxGIF.h"
#include "controls/SpinEdit.h"
#include "prev.h"
#include "prev_image_series.h"
#include "sf_pngimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace {

class PreviewButtonsFixture : public FlashAppFixture {
protected:
    void SetUp() override
    {
        FlashAppFixture::SetUp();
        preview = new TForm2(form.get());
        images = new TForm4(form.get());
        form->AttachPreviews(preview, images);
    }

    // Runs whileOpen once the modal window is up, then closes it with its Close button;
    // false when no window opened.
    bool withModal(QDialog& window, const std::function<void()>& press, const std::function<void()>& whileOpen)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            opened = window.isVisible();
            if (!opened)
                return;
            whileOpen();
            window.findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
        });
        press();
        QApplication::processEvents();  // a window that never opened lets the check run here
        return opened;
    }

    TForm2* preview = nullptr;
    TForm4* images = nullptr;
};

bool isGrey(TColor c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }

// Whether every pixel of the picture is grey.
bool allGrey(const TBitmap& picture)
{
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (!isGrey(picture.GetPixel(x, y)))
                return false;
    return true;
}

} // namespace

TEST_F(PreviewButtonsFixture, PreviewDuringARecordingEndsItAndPlaysWhatWasRecorded)
{
    open(1, WriteTestMovie(dir, "clip.swf", 48, 12));
    form->DelayEditx->setValue(100);
    form->LoopBoxx->setChecked(false);
    form->StartGIFRecording(false);
    clock.AdvanceBy(500);
    ASSERT_TRUE(form->Recording(1));
    const size_t boxes = dialogs.Boxes.size();
    int frames = 0;
    std::vector<int> shown;
    const bool opened = withModal(*preview, [&] { form->Page(1).preview->click(); }, [&] {
        EXPECT_FALSE(form->Recording(1));
        EXPECT_EQ(preview->windowTitle(), QStringLiteral("Preview Animated GIF"));
        TRxGIFAnimator& animator = *preview->RxGIFAnimator1;
        frames = animator.Image().Count();
        EXPECT_FALSE(animator.Loop());
        EXPECT_FALSE(animator.Animate());
        preview->PlayButton->click();
        for (int i = 0; i < frames + 1; ++i) {
            shown.push_back(animator.FrameIndex());
            clock.AdvanceBy(100);
        }
        EXPECT_FALSE(animator.Animate());  // played once, back on frame 0
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(frames, form->RecordedGIF->Count());
    EXPECT_EQ(frames, 5);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 0}));
    EXPECT_EQ(form->RecordedGIF->Count(), 5);  // clock time while open added nothing
    EXPECT_EQ(dialogs.Boxes.size(), boxes);
}

TEST_F(PreviewButtonsFixture, GreyPreviewTurnsTheRecordingGreyForTheSave)
{
    open(1, WriteTestMovie(dir, "clip.swf", 48, 12));
    form->DelayEditx->setValue(100);
    form->DepthBoxx->setCurrentText(QStringLiteral("灰階"));
    form->StartGIFRecording(false);
    clock.AdvanceBy(300);
    form->StopGIFRecording();
    ASSERT_FALSE(allGrey(*form->RecordedGIF->Frames(0)->Bitmap()));  // a red square
    withModal(*preview, [&] { form->PreviewGIF(); }, [&] {
        const TBitmap* picture = preview->RxGIFAnimator1->ComposedFrame(0);
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(allGrey(*picture));
    });
    EXPECT_TRUE(allGrey(*form->RecordedGIF->Frames(0)->Bitmap()));
    const std::string file = dir.filePath("grey.gif").toStdString();
    dialogs.AnswerFile(file);
    form->SaveGIF();
    TGIFImage saved;
    saved.LoadFromFile(file);
    ASSERT_GT(saved.Count(), 0);
    EXPECT_TRUE(allGrey(*saved.Frames(0)->Bitmap()));
}

TEST_F(PreviewButtonsFixture, AviPreviewAfterTheSaveFindsNothingButPageOneStillShowsTheFrames)
{
    open(2, WriteTestMovie(dir, "clip.swf", 48, 12));
    form->DelayEdity->setValue(100);
    form->StartAVIRecording(false);
    clock.AdvanceBy(400);
    // While the page records, its Preview does nothing and says nothing.
    const size_t boxes = dialogs.Boxes.size();
    bool opened = withModal(*preview, [&] { form->PreviewAVI(); }, [] {});
    EXPECT_FALSE(opened);
    EXPECT_EQ(dialogs.Boxes.size(), boxes);
    form->StopAVIRecording();
    opened = withModal(*preview, [&] { form->PreviewAVI(); }, [&] {
        EXPECT_EQ(preview->windowTitle(), QStringLiteral("Preview Video (AVI)"));
        EXPECT_FALSE(preview->RxGIFAnimator1->Loop());
        EXPECT_EQ(preview->RxGIFAnimator1->Image().Count(), 4);
    });
    EXPECT_TRUE(opened);
    dialogs.AnswerFile(dir.filePath("movie.avi").toStdString());
    form->SaveAVI();
    clock.AdvanceBy(10);  // the monitor ends the halted recording
    form->PreviewAVI();
    EXPECT_EQ(dialogs.Boxes.back().text, "Cannot preview: there is no AVI recorded.");
    opened = withModal(*preview, [&] { form->PreviewGIF(); },
                       [&] { EXPECT_EQ(preview->RxGIFAnimator1->Image().Count(), 4); });
    EXPECT_TRUE(opened);
}

TEST_F(PreviewButtonsFixture, ImagesPreviewShowsTheFirstListWithItsCount)
{
    open(3, WriteTestMovie(dir, "clip.swf", 48, 12));
    form->DelayEditz->setValue(100);
    form->FormatBoxz->setCurrentText(QStringLiteral("PNG"));
    form->StartImagesRecording(false);
    clock.AdvanceBy(300);
    const bool opened = withModal(*images, [&] { form->PreviewImages(); }, [&] {
        EXPECT_FALSE(form->Recording(3));
        EXPECT_EQ(images->windowTitle(), QStringLiteral("Preview PNG Images"));
        EXPECT_EQ(images->ImageNumber->maxValue(), 3);
        EXPECT_FALSE(images->Image1->pixmap().isNull());
        EXPECT_EQ(images->Image1->pixmap().size(), QSize(form->PngImages[0]->Width(), form->PngImages[0]->Height()));
    });
    EXPECT_TRUE(opened);
}

TEST_F(PreviewButtonsFixture, VideoPagePreviewDoesNothingWhileItRecords)
{
    form->Page(4).stop->show();
    const bool opened = withModal(*preview, [&] { form->PreviewVideoGIF(); }, [] {});
    EXPECT_FALSE(opened);
    EXPECT_TRUE(dialogs.Boxes.empty());
    form->Page(4).stop->hide();
    form->PreviewVideoGIF();
    EXPECT_EQ(dialogs.Boxes.back().text, "Cannot preview: there is no GIF recorded.");
}
