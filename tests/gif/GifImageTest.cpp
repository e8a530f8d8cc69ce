#include "Canvas.h"
#include "Exceptions.h"
#include "GifTestSupport.h"
#include "RxGIF.h"

#include <gtest/gtest.h>

using namespace gif_test;

TEST(GifImage, NewImageIsEmpty)
{
    TGIFImage image;
    EXPECT_EQ(image.Count(), 0);
    EXPECT_EQ(image.FrameIndex(), -1);
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.RepeatCount(), 1);
    EXPECT_FALSE(image.Looping());
    EXPECT_EQ(image.BackgroundColor(), clNone);
    EXPECT_EQ(image.FormatVersion(), gvNone);
    EXPECT_FALSE(image.Transparent());
}

TEST(GifImage, AddFrameMovesTheVersionUp)
{
    TGIFImage image;
    TBitmap a = MakeBitmap(100, 10, [](int, int) { return clRed; });
    TBitmap b = MakeBitmap(120, 5, [](int, int) { return clBlue; });
    EXPECT_EQ(image.AddFrame(&a), 0);
    EXPECT_EQ(image.FormatVersion(), gv87a);
    EXPECT_EQ(image.AddFrame(&b), 1);
    EXPECT_EQ(image.FormatVersion(), gv89a);
    EXPECT_EQ(image.FrameIndex(), 1);
    EXPECT_EQ(image.LogicalScreenWidth(), 120);
    EXPECT_EQ(image.LogicalScreenHeight(), 10);
    EXPECT_EQ(image.Width(), 120);
}

TEST(GifImage, EmptyGraphicGivesAFrameWithoutBitmap)
{
    TGIFImage image;
    TBitmap empty;
    EXPECT_EQ(image.AddFrame(&empty), 0);
    EXPECT_FALSE(image.Frames(0)->HasBitmap());
    EXPECT_EQ(image.Frames(0)->AnimateInterval(), 0);
    EXPECT_TRUE(image.Empty());
}

TEST(GifImage, AnimateIntervalMovesTheVersionOnlyUp)
{
    TGIFImage image;
    TBitmap a = MakeBitmap(2, 2, [](int, int) { return clRed; });
    image.AddFrame(&a);
    int changes = 0;
    image.OnChange = [&](TGraphic*) { ++changes; };
    image.Frames(0)->SetAnimateInterval(0);
    EXPECT_EQ(image.FormatVersion(), gv87a);
    EXPECT_EQ(changes, 0);
    image.Frames(0)->SetAnimateInterval(100);
    EXPECT_EQ(image.FormatVersion(), gv89a);
    image.Frames(0)->SetAnimateInterval(0);
    EXPECT_EQ(image.FormatVersion(), gv89a);
    EXPECT_EQ(changes, 2);
}

TEST(GifImage, RepeatCountIsCapped)
{
    TGIFImage image;
    image.SetRepeatCount(40000);
    EXPECT_EQ(image.RepeatCount(), 30000);
    image.SetRepeatCount(0);
    EXPECT_EQ(image.RepeatCount(), 0);
}

TEST(GifImage, SizeCannotBeSet)
{
    TGIFImage image;
    for (auto set : {&TGIFImage::SetWidth, &TGIFImage::SetHeight}) {
        try {
            (image.*set)(5);
            FAIL();
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "無法調整 GIF 圖像");
        }
    }
}

TEST(GifImage, GrayscaleNeedsFramesAndConvertsOnce)
{
    TGIFImage image;
    try {
        image.Grayscale(false);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_STREQ(e.what(), "無 GIF 格式輸入資料");
    }
    TBitmap a = MakeBitmap(3, 1, [](int x, int) { return x == 0 ? clRed : x == 1 ? clLime : clAqua; });
    image.AddFrame(&a);
    image.Frames(0)->SetTransparentColor(clAqua);
    image.Grayscale(false);
    EXPECT_TRUE(image.Frames(0)->IsGrey);
    EXPECT_EQ(image.Frames(0)->TransparentColor(), RGB(178, 178, 178));
    EXPECT_EQ(image.Frames(0)->Bitmap()->GetPixel(0, 0), RGB(76, 76, 76));
    image.Grayscale(false);
    EXPECT_EQ(image.Frames(0)->Bitmap()->GetPixel(1, 0), RGB(149, 149, 149));
    EXPECT_EQ(image.Frames(0)->TransparentColor(), RGB(178, 178, 178));
}

TEST(GifImage, GrayscaleOfReadFramesGreysTheirTables)
{
    TGIFImage image;
    TBitmap a = MakeBitmap(3, 1, [](int x, int) { return x == 0 ? clRed : clLime; });
    image.AddFrame(&a);
    image.SetBackgroundColor(clRed);
    std::vector<uint8_t> bytes = SaveBytes(image);
    TGIFImage back;
    LoadBytes(back, bytes);
    back.Grayscale(true);
    EXPECT_EQ(back.Frames(0)->Bitmap()->GetPixel(0, 0), RGB(76, 76, 76));
    EXPECT_EQ(back.BackgroundColor(), RGB(76, 76, 76));
    // The frame uses the global table, which must be grey in the file as well.
    std::vector<uint8_t> grey = SaveBytes(back);
    TGIFImage again;
    LoadBytes(again, grey);
    EXPECT_EQ(again.Frames(0)->Bitmap()->GetPixel(1, 0), RGB(149, 149, 149));
}

TEST(GifImage, AssignSharesDataAndCopiesFrames)
{
    TGIFImage image;
    TBitmap a = MakeBitmap(8, 6, [](int x, int) { return x < 4 ? clRed : clBlue; });
    image.AddFrame(&a);
    image.AddFrame(&a);
    image.Frames(1)->SetAnimateInterval(70);
    image.SetLooping(true);
    SaveBytes(image);
    TGIFImage copy;
    copy.Assign(&image);
    EXPECT_TRUE(copy.Equals(&image));
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Frames(1)->SharedItemPtr(), image.Frames(1)->SharedItemPtr());
    EXPECT_EQ(copy.Frames(1)->UsesLocalTable, image.Frames(1)->UsesLocalTable);
    EXPECT_TRUE(copy.Looping());
    EXPECT_EQ(SaveBytes(copy), SaveBytes(image));

    TGIFImage other;
    EXPECT_FALSE(other.Equals(&image));
    other.Assign(image.Frames(1));
    EXPECT_EQ(other.Count(), 1);
    EXPECT_EQ(other.Frames(0)->AnimateInterval(), 70);
    EXPECT_EQ(other.SharedData().GlobalTable, image.SharedData().GlobalTable);

    // Copying a frame of this very image onto it.
    image.Assign(image.Frames(1));
    EXPECT_EQ(image.Count(), 1);
    EXPECT_EQ(image.Frames(0)->AnimateInterval(), 70);

    TBitmap out;
    out.Assign(&image);
    EXPECT_EQ(out.Width(), 8);
    EXPECT_EQ(out.GetPixel(7, 0), clBlue);
    image.Clear();
    EXPECT_EQ(image.Count(), 0);
    TExtension extension;
    EXPECT_THROW(image.Assign(&extension), EConvertError);
}

TEST(GifImage, DrawLeavesTheTransparentColourUndrawn)
{
    TGIFImage image;
    TBitmap a = MakeBitmap(2, 1, [](int x, int) { return x == 0 ? clRed : clLime; });
    image.AddFrame(&a);
    image.Frames(0)->SetTransparentColor(clLime);
    EXPECT_TRUE(image.Transparent());
    TBitmap target(4, 2, pf24bit);
    target.Canvas().Brush.Color = clBlue;
    target.Canvas().FillRect(Rect(0, 0, 4, 2));
    image.Draw(target.Canvas(), Rect(0, 0, 4, 2));
    EXPECT_EQ(target.GetPixel(0, 0), clRed);
    EXPECT_EQ(target.GetPixel(1, 1), clRed);
    EXPECT_EQ(target.GetPixel(2, 0), clBlue);
    EXPECT_EQ(target.GetPixel(3, 1), clBlue);
}

TEST(GifImage, EncodeProgressIsReported)
{
    TGIFImage image;
    TBitmap a = MakeBitmap(5, 4, [](int x, int) { return x ? clRed : clBlue; });
    image.AddFrame(&a);
    std::vector<std::pair<TProgressStage, int>> seen;
    image.OnProgress = [&](TGraphic*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        seen.emplace_back(stage, percent);
    };
    SaveBytes(image);
    const std::vector<std::pair<TProgressStage, int>> expected = {
        {psStarting, 0}, {psRunning, 25}, {psRunning, 50}, {psRunning, 75}, {psRunning, 100}, {psEnding, 100}};
    EXPECT_EQ(seen, expected);
}

TEST(GifImage, AbortDuringEncodingResetsTheFrame)
{
    TGIFImage image;
    TBitmap a = MakeBitmap(5, 4, [](int x, int) { return x ? clRed : clBlue; });
    image.AddFrame(&a);
    image.Frames(0)->SetAnimateInterval(40);
    std::string endMessage;
    image.OnProgress = [&](TGraphic*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string& message) {
        if (stage == psRunning)
            throw EAbort("stop");
        if (stage == psEnding)
            endMessage = message;
    };
    TMemoryStream stream;
    EXPECT_THROW(image.SaveToStream(stream), EAbort);
    EXPECT_EQ(endMessage, "stop");
    EXPECT_EQ(image.Frames(0)->AnimateInterval(), 0);
    EXPECT_FALSE(image.Frames(0)->SharedItem().HasCodedData());
}
