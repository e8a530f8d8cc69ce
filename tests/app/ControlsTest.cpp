#include "Dialogs.h"
#include "controls/Anchors.h"
#include "controls/ColorBox.h"
#include "controls/FileField.h"
#include "controls/SpinEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(SpinEdit, BoundedFieldsClampEveryValue)
{
    TSpinEdit field;
    field.setRange(2, 10000);
    EXPECT_EQ(field.text(), "2");  // the minimum lifts the unset field
    struct Case {
        int set;
        const char* shown;
    };
    for (const Case& c : {Case{1, "2"}, Case{-7, "2"}, Case{440, "440"}, Case{10000, "10000"}, Case{20000, "10000"}}) {
        field.setValue(c.set);
        EXPECT_EQ(field.text(), c.shown) << c.set;
    }
}

TEST(SpinEdit, TypedTextIsReadClampedAndEmptyHoldsNoInteger)
{
    TSpinEdit field;
    field.setRange(2, 600);
    field.setText("1");
    EXPECT_EQ(field.value(), 2);
    field.setText("601");
    EXPECT_EQ(field.value(), 600);
    field.setText("");
    EXPECT_EQ(field.value(), std::nullopt);
    field.setText("-");
    EXPECT_EQ(field.value(), std::nullopt);

    // Leaving the field shows the clamped number.
    field.setText("9999");
    emit field.editingFinished();
    EXPECT_EQ(field.text(), "600");
}

TEST(SpinEdit, UnboundedWhenBothLimitsAreZero)
{
    TSpinEdit field;
    field.setRange(0, 0);
    EXPECT_FALSE(field.bounded());
    for (int value : {0, -5, 100, 2000000000}) {
        field.setValue(value);
        EXPECT_EQ(field.value(), value);
    }
    field.setText("99999999999");  // beyond 32 bits: not an integer
    EXPECT_EQ(field.value(), std::nullopt);
}

TEST(SpinEdit, ValidatorAcceptsOnlyDigitsWithAnOptionalMinus)
{
    TSpinEdit field;
    int pos = 0;
    struct Case {
        QString text;
        QValidator::State state;
    };
    for (Case c : {Case{"12", QValidator::Acceptable}, Case{"-3", QValidator::Acceptable},
                   Case{"", QValidator::Intermediate}, Case{"-", QValidator::Intermediate},
                   Case{"12a", QValidator::Invalid}, Case{"1-2", QValidator::Invalid},
                   Case{"1.5", QValidator::Invalid}, Case{"123456789012", QValidator::Invalid}})
        EXPECT_EQ(field.validate(c.text, pos), c.state) << c.text.toStdString();
}

TEST(SpinEdit, StepsByItsIncrementWithinTheRange)
{
    TSpinEdit field;
    field.setRange(2, 10000);
    field.setIncrement(5);
    field.stepBy(1);
    EXPECT_EQ(field.value(), 7);
    field.stepBy(-3);
    EXPECT_EQ(field.value(), 2);
    field.setValue(9998);
    field.stepBy(1);
    EXPECT_EQ(field.value(), 10000);
    field.setText("");
    field.stepBy(1);
    EXPECT_EQ(field.value(), 7);
}

TEST(SpinEdit, ChangingTheLimitsMovesTheValueAndSignalsTheChange)
{
    TSpinEdit field;
    field.setRange(1, 10000000);
    field.setValue(5);
    QSignalSpy changes(&field, &TSpinEdit::changed);
    field.setMaxValue(3);
    EXPECT_EQ(field.value(), 3);
    EXPECT_EQ(changes.count(), 1);
    field.setMaxValue(10);  // the value fits: nothing changes
    EXPECT_EQ(changes.count(), 1);
    field.setMinValue(8);
    EXPECT_EQ(field.value(), 8);
    EXPECT_EQ(changes.count(), 2);
    field.setValue(8);  // same text: no change
    EXPECT_EQ(changes.count(), 2);
}

TEST(ColorBox, OffersStandardExtendedAndCustomColours)
{
    TColorBox box;
    EXPECT_EQ(box.count(), int(TColorBox::entries().size()) + 1);
    EXPECT_EQ(box.itemText(box.count() - 1), "Custom...");
    QSignalSpy changes(&box, &TColorBox::changed);
    box.setSelected(clAqua);
    EXPECT_EQ(box.selected(), clAqua);
    EXPECT_EQ(box.currentText(), "Aqua");
    box.setSelected(RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(box.selected(), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(box.currentIndex(), box.count() - 1);
    box.setSelected(RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(changes.count(), 2);
    box.setSelected(clWhite);
    EXPECT_EQ(box.currentText(), "White");
    EXPECT_EQ(changes.count(), 3);
}

TEST(FileField, BrowseAsksTheDialogServiceAndKeepsTheTextWhenCancelled)
{
    ScriptedDialogService dialogs;
    ScopedDialogService installed(dialogs);
    FileField field("WAV 檔案|*.wav");
    dialogs.AnswerFile("/music/track.wav");
    field.browse();
    EXPECT_EQ(field.fileName(), "/music/track.wav");
    ASSERT_EQ(dialogs.DialogFilters.size(), 1u);
    EXPECT_EQ(dialogs.DialogFilters[0], "WAV 檔案|*.wav");
    dialogs.CancelFile();
    field.browse();
    EXPECT_EQ(field.fileName(), "/music/track.wav");
    EXPECT_TRUE(field.findChild<QLineEdit*>("edit")->isReadOnly());
}

TEST(Anchors, SidesKeepTheirDistanceToTheContainer)
{
    const QSize design(100, 80), actual(150, 100);
    const QRect r(10, 20, 30, 40);
    struct Case {
        unsigned anchors;
        QRect expected;
    };
    for (const Case& c : {Case{akTopLeft, QRect(10, 20, 30, 40)}, Case{akAll, QRect(10, 20, 80, 60)},
                          Case{akTop | akRight, QRect(60, 20, 30, 40)},
                          Case{akRight | akBottom, QRect(60, 40, 30, 40)},
                          Case{akLeft | akRight | akBottom, QRect(10, 40, 80, 40)}})
        EXPECT_EQ(AnchoredRect(r, c.anchors, design, actual), c.expected) << c.anchors;
    // Shrinking below the design never gives a negative size.
    EXPECT_EQ(AnchoredRect(r, akAll, design, QSize(50, 30)).size(), QSize(0, 0));
}
