#include "controls/SpinEdit.h"
#include "prev.h"
#include "prev_image_series.h"

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
    EXPECT_EQ(form.RxGIFAnimator1->geometry(), QRect(0, 0, 528, 389 - 42));
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
    EXPECT_EQ(form.RxGIFAnimator1->size(), QSize(628, 400 - 42));
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
