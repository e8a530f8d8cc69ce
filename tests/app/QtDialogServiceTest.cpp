// The Qt dialogs answered from inside their own modal loops: a timer of the real-time
// clock fires while the box is open and closes it, which also shows that the program's
// timers keep running under a modal dialog.
#include "Dialogs.h"
#include "QtClock.h"
#include "QtDialogService.h"
#include "Timer.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Observed {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;
    int ticks = 0;
};

// Answers the modal widget of type Dialog from a timer tick of the real clock.
template <typename Dialog>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(Dialog&)> answer) : m_answer(std::move(answer))
    {
        m_timer.SetInterval(5);
        m_timer.SetOnTimer([this] {
            ++ticks;
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                m_timer.SetEnabled(false);
                m_answer(*dialog);
            }
        });
    }
    int ticks = 0;

private:
    std::function<void(Dialog&)> m_answer;
    TTimer m_timer;
};

class QtDialogs : public ::testing::Test {
protected:
    RealTimeClock clock;
    ScopedScheduler scheduler{clock};
    QtDialogService service;
    ScopedDialogService installed{service};
};

Observed showBox(const std::function<void()>& show)
{
    Observed seen;
    ModalAnswer<QMessageBox> answer([&](QMessageBox& box) {
        seen.caption = box.windowTitle();
        seen.text = box.text();
        seen.icon = box.icon();
        seen.buttons = box.buttons().size();
        box.button(QMessageBox::Ok)->click();
    });
    show();
    seen.ticks = answer.ticks;
    return seen;
}

} // namespace

TEST_F(QtDialogs, WarningBoxHasTheWarningCaptionAndOneOkButton)
{
    Observed seen = showBox([] { WarningBox("Open Flash file at first!"); });
    EXPECT_EQ(seen.caption, "Warning");
    EXPECT_EQ(seen.text, "Open Flash file at first!");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_GE(seen.ticks, 1);
}

TEST_F(QtDialogs, PlainBoxHasTheApplicationTitleAndNoIcon)
{
    SetApplicationTitle("Tovrane");
    Observed seen = showBox([] { PlainBox("GIF was successfully saved to a.gif\r\nsecond line"); });
    EXPECT_EQ(seen.caption, "Tovrane");
    EXPECT_EQ(seen.text, "GIF was successfully saved to a.gif\nsecond line");
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, 1);
}

TEST_F(QtDialogs, OpenDialogOffersTheFiltersAndReturnsTheChosenFile)
{
    QTemporaryDir dir;
    const QString movie = dir.filePath("movie.SWF");
    QFile(movie).open(QIODevice::WriteOnly);

    TOpenDialog dialog;
    dialog.Title = "開啟檔案";
    dialog.Filter = "Flash 檔案 (*.SWF, *.FLV)|*.FLV;*.SWF|Flash 視訊 (FLV)|*.FLV";
    dialog.InitialDir = dir.path().toStdString();
    QString title;
    QStringList filters;
    ModalAnswer<QFileDialog> answer([&](QFileDialog& box) {
        title = box.windowTitle();
        filters = box.nameFilters();
        box.selectFile(movie);
        static_cast<QDialog&>(box).accept();  // QFileDialog::accept checks the name as Open would
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(title, QString::fromUtf8("開啟檔案"));
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[1], "Flash 視訊 (FLV) (*.FLV *.flv)");
    EXPECT_EQ(QString::fromStdString(dialog.FileName), movie);
}

TEST_F(QtDialogs, SaveDialogAddsTheFiltersExtensionAndCancelReturnsFalse)
{
    QTemporaryDir dir;
    TSaveDialog dialog;
    dialog.Filter = "GIF 檔案|*.gif";
    dialog.InitialDir = dir.path().toStdString();
    ModalAnswer<QFileDialog> answer([&](QFileDialog& box) {
        box.selectFile(dir.filePath("result"));
        static_cast<QDialog&>(box).accept();  // QFileDialog::accept checks the name as Open would
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(QString::fromStdString(dialog.FileName), dir.filePath("result.gif"));

    ModalAnswer<QFileDialog> cancel([](QFileDialog& box) { box.reject(); });
    EXPECT_FALSE(dialog.Execute());
}
