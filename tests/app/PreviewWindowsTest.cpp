#include "Bitmap.h"
#include "Canvas.h"
#include "FlashHostView.h"
#include "GIFCtrl.h"
#include "JPEGImage.h"
#include "RxGIF.h"
#include "Scheduler.h"
#include "controls/SpinEdit.h"
#include "prev.h"
#include "prev_image_series.h"
#include "sf_pngimage.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

void layOut(QWidget& window)
{
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QApplication::processEvents();
}

struct ButtonRow {
    QPushButton* button;
    const char* caption;
    QRect rect;
};

void expectButtons(const std::vector<ButtonRow>& rows)
{
    for (const ButtonRow& row : rows) {
        EXPECT_EQ(row.button->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(row.button->geometry(), row.rect) << row.caption;
    }
}

} // namespace

TEST(ResultPreview, ControlsAtTheirPlaces)
{
    TForm2 form;
    layOut(form);
    EXPECT_EQ(form.size(), QSize(528, 389));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 528, 389 - 42));
    EXPECT_EQ(form.AnimatorView->geometry(), QRect(0, 0, 528, 389 - 42));
    EXPECT_EQ(form.RxGIFAnimator1->BoundsRect(), Rect(0, 0, 528, 389 - 42));
    EXPECT_TRUE(form.RxGIFAnimator1->Center());
    EXPECT_FALSE(form.RxGIFAnimator1->Animate());
    EXPECT_EQ(form.BottomBar->geometry(), QRect(0, 389 - 42, 528, 42));
    expectButtons({{form.PlayButton, "播放", {5, 5, 73, 31}},
                   {form.PauseButton, "暫停", {85, 5, 88, 31}},
                   {form.ReplayButton, "重放", {181, 5, 97, 31}},
                   {form.CloseButton, "關閉", {425, 5, 95, 31}}});
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);

    form.resize(628, 400);
    QApplication::processEvents();
    EXPECT_EQ(form.CloseButton->geometry(), QRect(525, 5, 95, 31));  // kept at the right edge
    EXPECT_EQ(form.PlayButton->geometry(), QRect(5, 5, 73, 31));
    EXPECT_EQ(form.AnimatorView->size(), QSize(628, 400 - 42));
    EXPECT_EQ(form.RxGIFAnimator1->BoundsRect(), Rect(0, 0, 628, 400 - 42));
}

TEST(ImageSeriesPreview, ControlsAtTheirPlaces)
{
    TForm4 form;
    layOut(form);
    EXPECT_EQ(form.size(), QSize(424, 307));
    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 424, 307 - 42));
    EXPECT_EQ(form.Image1->alignment(), Qt::AlignCenter);
    expectButtons({{form.BackButton, "<< 向後", {6, 5, 97, 31}},
                   {form.ForwardButton, "向前 >>", {110, 5, 97, 31}},
                   {form.CloseButton, "關閉", {321, 5, 95, 31}}});
    EXPECT_EQ(form.JumpLabel->text(), QString::fromUtf8("轉到"));
    EXPECT_EQ(form.JumpLabel->pos(), QPoint(215, 10));
    EXPECT_EQ(form.ImageNumber->geometry(), QRect(250, 9, 60, 22));
    EXPECT_EQ(form.ImageNumber->minValue(), 1);
    EXPECT_EQ(form.ImageNumber->maxValue(), 10000000);
    EXPECT_EQ(form.ImageNumber->increment(), 1);
    EXPECT_EQ(form.ImageNumber->value(), 1);
}

TEST(ImageSeriesPreview, BackAndForwardStayInTheRange)
{
    TForm4 form;
    form.BackButton->click();
    EXPECT_EQ(form.ImageNumber->value(), 1);
    form.ImageNumber->setMaxValue(3);
    form.ForwardButton->click();
    form.ForwardButton->click();
    EXPECT_EQ(form.ImageNumber->value(), 3);
    form.ForwardButton->click();
    EXPECT_EQ(form.ImageNumber->value(), 3);
    form.BackButton->click();
    EXPECT_EQ(form.ImageNumber->value(), 2);
}

namespace {

TBitmap solid(int width, int height, TColor colour)
{
    TBitmap bitmap(width, height, pf24bit);
    bitmap.Canvas().Brush.Color = colour;
    bitmap.Canvas().FillRect(Rect(0, 0, width, height));
    return bitmap;
}

// A recording of frames of the given colours, 40 x 30, 100 ms each.
std::unique_ptr<TGIFImage> recording(const std::vector<TColor>& colours)
{
    auto gif = std::make_unique<TGIFImage>();
    for (TColor colour : colours) {
        TBitmap frame = solid(40, 30, colour);
        gif->AddFrame(&frame);
        gif->Frames(gif->Count() - 1)->SetAnimateInterval(100);
    }
    return gif;
}

TColor shownAt(QWidget& view, QPoint at)
{
    const QRgb p = view.grab().toImage().pixel(at);
    return RGB(uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p)));
}

struct ResultPreviewFixture : ::testing::Test {
    VirtualClock clock;
    ScopedScheduler useClock{clock};
    TForm2 form;
    std::unique_ptr<TGIFImage> gif = recording({clRed, clLime, clBlue});

    void show()
    {
        form.setAttribute(Qt::WA_DontShowOnScreen);
        form.show();
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(ResultPreviewFixture, ShowingStartsOnTheFirstFrameWithoutPlaying)
{
    form.Prepare(QStringLiteral("Preview Animated GIF"), true, *gif);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview Animated GIF"));
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 2);  // the recording's last frame, until shown
    show();
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 0);
    clock.AdvanceBy(1000);
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 0);
    // Centred in the panel: (528 - 40) / 2, (347 - 30) / 2.
    EXPECT_EQ(shownAt(*form.AnimatorView, QPoint(244, 158)), clRed);
    EXPECT_EQ(shownAt(*form.AnimatorView, QPoint(243, 158)), ColorToRGB(clBtnFace));
}

TEST_F(ResultPreviewFixture, PlayPauseReplayAndClose)
{
    form.Prepare(QStringLiteral("Preview Animated GIF"), true, *gif);
    show();
    form.PlayButton->click();
    EXPECT_TRUE(form.RxGIFAnimator1->Animate());
    clock.AdvanceBy(100);
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 1);
    EXPECT_EQ(shownAt(*form.AnimatorView, QPoint(264, 173)), clLime);
    form.PauseButton->click();
    clock.AdvanceBy(1000);
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 1);  // the current frame stays
    form.PlayButton->click();
    clock.AdvanceBy(300);  // looping: 2, 0, 1
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 1);
    form.ReplayButton->click();
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 0);
    EXPECT_TRUE(form.RxGIFAnimator1->Animate());
    clock.AdvanceBy(100);
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 1);

    form.CloseButton->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.RxGIFAnimator1->Animate());
    EXPECT_EQ(form.RxGIFAnimator1->Image().Count(), 0);
    EXPECT_EQ(gif->Count(), 3);  // the recording itself is untouched
}

TEST_F(ResultPreviewFixture, ClosingFromTheCaptionBarKeepsPlayingState)
{
    form.Prepare(QStringLiteral("Preview Animated GIF"), true, *gif);
    show();
    form.PlayButton->click();
    form.close();
    EXPECT_TRUE(form.RxGIFAnimator1->Animate());
    EXPECT_EQ(form.RxGIFAnimator1->Image().Count(), 3);
    clock.AdvanceBy(100);  // hidden, it does not step
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 0);
    // The next showing animates at once, from frame 0, with the new image.
    auto other = recording({clYellow, clAqua});
    form.Prepare(QStringLiteral("Preview Animated GIF"), true, *other);
    show();
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 0);
    clock.AdvanceBy(100);
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 1);
}

TEST_F(ResultPreviewFixture, AviPreviewPlaysOnce)
{
    form.Prepare(QStringLiteral("Preview Video (AVI)"), false, *gif);
    show();
    form.PlayButton->click();
    clock.AdvanceBy(1000);
    EXPECT_FALSE(form.RxGIFAnimator1->Animate());
    EXPECT_EQ(form.RxGIFAnimator1->FrameIndex(), 0);
}

namespace {

// Five JPG images and three PNG images of distinct colours, as a recording whose
// format changed on the way leaves them.
struct SeriesFixture : ::testing::Test {
    std::vector<std::unique_ptr<TJPEGImage>> jpg;
    std::vector<std::unique_ptr<TsfPngImage>> png;
    std::vector<std::unique_ptr<TBitmap>> bmp;
    TForm4 form;
    const std::vector<TColor> jpgColours{clRed, clLime, clBlue, clYellow, clFuchsia};
    const std::vector<TColor> pngColours{clAqua, clMaroon, clNavy};

    SeriesFixture()
    {
        for (TColor c : jpgColours) {
            TBitmap b = solid(30, 20, c);
            jpg.push_back(std::make_unique<TJPEGImage>());
            jpg.back()->Assign(&b);
        }
        for (TColor c : pngColours) {
            TBitmap b = solid(30, 20, c);
            png.push_back(std::make_unique<TsfPngImage>());
            png.back()->Assign(&b);
        }
        form.SetSeries({&jpg, &png, &bmp});
    }

    // The colour in the middle of the picture shown.
    TColor shown() const
    {
        const QImage image = form.Image1->pixmap().toImage();
        if (image.isNull())
            return clNone;
        const QRgb p = image.pixel(15, 10);
        return RGB(uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p)));
    }
};

bool near(TColor a, TColor b)
{
    auto close = [](int x, int y) { return std::abs(x - y) <= 8; };
    return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

} // namespace

TEST_F(SeriesFixture, JpgImagesComeFirstAndHideThePngOnes)
{
    ASSERT_TRUE(form.Prepare());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview JPEG Images"));
    EXPECT_EQ(form.ImageNumber->maxValue(), 5);
    EXPECT_TRUE(near(shown(), clRed));
    for (int n = 1; n <= 5; ++n) {
        form.ImageNumber->setValue(n);
        EXPECT_TRUE(near(shown(), jpgColours[size_t(n - 1)])) << n;
    }
    form.ForwardButton->click();  // held at 5: no PNG image can be reached
    EXPECT_EQ(form.ImageNumber->value(), 5);
    EXPECT_TRUE(near(shown(), clFuchsia));
    form.BackButton->click();
    EXPECT_TRUE(near(shown(), clYellow));
}

TEST_F(SeriesFixture, NumberKeptBetweenShowingsUnlessAboveTheNewCount)
{
    ASSERT_TRUE(form.Prepare());
    form.ImageNumber->setValue(4);
    jpg.clear();  // next recording: PNG only
    ASSERT_TRUE(form.Prepare());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview PNG Images"));
    EXPECT_EQ(form.ImageNumber->value(), 3);  // lowered to the count, which shows image 3
    EXPECT_EQ(shown(), clNavy);
    png.resize(2);
    form.ImageNumber->setMaxValue(10);
    form.ImageNumber->setValue(1);
    png.push_back(std::make_unique<TsfPngImage>());
    TBitmap b = solid(30, 20, clTeal);
    png.back()->Assign(&b);
    form.ImageNumber->setValue(2);
    ASSERT_TRUE(form.Prepare());  // the number stays 2, the picture is image 1
    EXPECT_EQ(form.ImageNumber->value(), 2);
    EXPECT_EQ(shown(), clAqua);
}

TEST_F(SeriesFixture, BmpOnlyAndNothing)
{
    jpg.clear();
    png.clear();
    EXPECT_FALSE(form.Prepare());
    TBitmap b = solid(30, 20, clOlive);
    bmp.push_back(std::make_unique<TBitmap>(b));
    ASSERT_TRUE(form.Prepare());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preview BMP Images"));
    EXPECT_EQ(shown(), clOlive);
    form.ImageNumber->setValue(7);  // beyond every list: nothing changes
    EXPECT_EQ(shown(), clOlive);
}

TEST_F(SeriesFixture, TransparentPngShowsTheWindowBehindIt)
{
    jpg.clear();
    png.resize(1);
    png[0]->AddAlpha();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 15; ++x)
            png[0]->AlphaRow(y)[x] = 0;
    ASSERT_TRUE(form.Prepare());
    const QImage image = form.Image1->pixmap().toImage();
    EXPECT_EQ(qAlpha(image.pixel(5, 10)), 0);
    EXPECT_EQ(qAlpha(image.pixel(25, 10)), 255);
    EXPECT_EQ(QColor(image.pixel(25, 10)), QColor(0, 255, 255));
}
