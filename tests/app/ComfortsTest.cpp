// The window's comforts with the real Flash control in virtual time: a file dropped on
// a page opens there, closing asks before a recording or an unsaved result is lost, a
// recording page counts frames and movie time in its box, and the main buttons have
// shortcut keys named in their tool tips.
//
// TOVRANE_SCREENSHOT_DIR=folder keeps pictures of the window at the moments tested.
#include "FlashAppFixture.h"

#include "QtDialogService.h"
#include "controls/SpinEdit.h"
#include "RxGIF.h"
#include "sf_flash.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <fstream>

namespace {

void keepPicture(QWidget& window, const char* name)
{
    if (const char* folder = std::getenv("TOVRANE_SCREENSHOT_DIR"))
        window.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/") + QString::fromLatin1(name));
}

// Sends the drag's enter and drop events as a file manager's drag would; true when the
// window took the drop.
bool dropFile(QWidget& window, const std::string& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at(window.width() / 3, window.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    QApplication::processEvents();  // the page opens the file once the drop is over
    return drop.isAccepted();
}

class ComfortsTest : public FlashAppFixture {
protected:
    void show()
    {
        form->setAttribute(Qt::WA_DontShowOnScreen);
        form->show();
        QApplication::processEvents();
    }
    void record(int page, int64_t ms)
    {
        if (page == 1)
            form->StartGIFRecording(false);
        else if (page == 3)
            form->StartImagesRecording(false);
        clock.AdvanceBy(ms);
    }
};

} // namespace

TEST_F(ComfortsTest, ADroppedMovieOpensOnTheShownPageAsItsOpenButtonWould)
{
    show();
    const std::string movie = WriteTestMovie(dir, "dropped.swf", 6, 12);
    form->PageControl1->setCurrentIndex(1);
    ASSERT_TRUE(dropFile(*form, movie));
    EXPECT_EQ(form->PageControl1->currentIndex(), 1);
    EXPECT_EQ(form->GroupBox1y->title(), QStringLiteral("Flash Movie Preview - dropped.swf"));
    EXPECT_EQ(form->FlashPlayer2->TotalFrames(), 6);
    EXPECT_TRUE(form->FlashPlayer->Movie().empty());  // page 1 untouched
    EXPECT_EQ(form->Flash(2).openDialog->FileName, movie);  // Replay and Start reload this file
    // The open showed its usual settings hint, through the dialogs in place.
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].text, "Please change AVI settings and window size before converting");
    keepPicture(*form, "drop.png");

    // A later Open click asks again, as before: the drop answered only its own dialog.
    form->Page(2).open->click();
    EXPECT_EQ(dialogs.DialogTitles.back(), "開啟多媒體 Flash");
}

TEST_F(ComfortsTest, DropsThatDoNotSuitThePageAreRefused)
{
    show();
    const std::string movie = WriteTestMovie(dir, "m.swf", 2, 12);
    const std::string text = dir.filePath("notes.txt").toStdString();
    std::ofstream(text) << "hello";
    const std::string video = dir.filePath("clip.avi").toStdString();
    std::ofstream(video) << "RIFF";
    form->PageControl1->setCurrentIndex(0);
    EXPECT_FALSE(dropFile(*form, text));
    EXPECT_FALSE(dropFile(*form, video));  // a video belongs on page 4
    form->PageControl1->setCurrentIndex(3);
    EXPECT_FALSE(dropFile(*form, movie));  // a movie on the video page
    EXPECT_TRUE(dialogs.DialogTitles.empty());
    EXPECT_TRUE(form->FlashPlayer->Movie().empty());

    // Two files at once, or something that is not a local file, are refused too.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(QString::fromStdString(movie)), QUrl::fromLocalFile(QString::fromStdString(movie))});
    form->PageControl1->setCurrentIndex(0);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("http://example.invalid/m.swf"))});
    QDragEnterEvent far(QPoint(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &far);
    EXPECT_FALSE(far.isAccepted());
}

TEST_F(ComfortsTest, PagesForFilesNamedOnTheCommandLineOrDropped)
{
    struct Case {
        const char* path;
        int shown, page;
    };
    const Case cases[] = {
        {"a.swf", 1, 1}, {"a.SWF", 3, 3}, {"a.flv", 2, 2}, {"a.swf", 4, 1}, {"dir.x/a.avi", 1, 4},
        {"a.AVI", 4, 4}, {"a.mp4", 2, 4}, {"a.gif", 1, 0}, {"swf", 1, 0},   {"a.swf.txt", 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TForm1::PageForFile(c.path, c.shown), c.page) << c.path << " on page " << c.shown;
}

TEST_F(ComfortsTest, ClosingAsksWhileRecordingAndCancelKeepsTheWindowAndTheRecording)
{
    show();
    open(1, WriteTestMovie(dir, "long.swf", 40, 12));
    record(1, 500);
    ASSERT_TRUE(form->Recording(1));
    const size_t before = dialogs.Boxes.size();

    dialogs.AnswerQuestion(false);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(dialogs.Boxes.size(), before + 1);
    EXPECT_EQ(dialogs.Boxes.back().kind, MessageKind::Warning);
    EXPECT_EQ(dialogs.Boxes.back().caption, WarningCaption);
    EXPECT_EQ(dialogs.Boxes.back().text, "A recording is still running. Close Tovrane and lose it?");
    EXPECT_TRUE(form->Recording(1));
    const int frames = form->RecordedGIF->Count();
    clock.AdvanceBy(300);
    EXPECT_GT(form->RecordedGIF->Count(), frames);  // still capturing

    dialogs.AnswerQuestion(true);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ComfortsTest, ClosingAsksAboutAnUnsavedResultUntilItIsSaved)
{
    show();
    // Nothing recorded: closes without a word.
    dialogs.AnswerQuestion(false);  // would keep it open, were it asked
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.Boxes.empty());
    show();

    open(1, WriteTestMovie(dir, "short.swf", 8, 12));
    record(1, 400);
    form->StopRecording(1);
    ASSERT_GT(form->RecordedGIF->Count(), 0);
    dialogs.AnswerQuestion(false);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(dialogs.Boxes.back().text, "The last recording has not been saved. Close Tovrane and lose it?");

    const std::string gif = dir.filePath("short.gif").toStdString();
    dialogs.AnswerFile(gif);
    form->SaveGIF();
    ASSERT_TRUE(QFile::exists(QString::fromStdString(gif)));
    const size_t boxes = dialogs.Boxes.size();
    dialogs.AnswerQuestion(false);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(dialogs.Boxes.size(), boxes);  // no question

    // A new recording is unsaved again, even at the same length; images likewise.
    show();
    form->StartGIFRecording(false);
    clock.AdvanceBy(400);
    form->StopRecording(1);
    EXPECT_TRUE(form->UnsavedResult());
    dialogs.AnswerFile(gif);
    form->SaveGIF();
    EXPECT_FALSE(form->UnsavedResult());

    open(3, WriteTestMovie(dir, "images.swf", 30, 12));
    form->FlashPlayer3->SetWidth(60);
    form->DelayEditz->setValue(100);
    record(3, 350);
    form->StopRecording(3);
    EXPECT_TRUE(form->UnsavedResult());
    const std::string folder = dir.filePath("series").toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    dialogs.AnswerDirectory(folder);
    form->SaveImages();
    EXPECT_FALSE(form->UnsavedResult());
}

TEST_F(ComfortsTest, TheCloseQuestionIsAWarningWithOkAndCancelWhereCancelIsTheDefault)
{
    show();
    QtDialogService qt;
    bool answered = true;
    QString shownText;
    QMessageBox::StandardButtons buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        buttons = box->standardButtons();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
        keepPicture(*box, "close-question.png");
        box->button(QMessageBox::Cancel)->click();
    });
    answered = qt.RunQuestion(WarningCaption, "A recording is still running. Close Tovrane and lose it?");
    EXPECT_FALSE(answered);
    EXPECT_EQ(shownText, QStringLiteral("A recording is still running. Close Tovrane and lose it?"));
    EXPECT_EQ(buttons, QMessageBox::Ok | QMessageBox::Cancel);

    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    EXPECT_TRUE(qt.RunQuestion(WarningCaption, "again"));
}

TEST_F(ComfortsTest, ARecordingPageCountsFramesAndMovieTimeInItsBox)
{
    show();
    open(1, WriteTestMovie(dir, "counted.swf", 40, 12));
    form->DelayEditx->setValue(100);
    const QString idle = form->GroupBox1x->title();
    form->StartGIFRecording(false);
    clock.AdvanceBy(1000);
    const int frames = form->RecordedGIF->Count();
    ASSERT_GE(frames, 9);
    EXPECT_EQ(form->GroupBox1x->title(),
              idle + QStringLiteral(" - recording: %1 frames, %2 s").arg(frames).arg(double(form->ElapsedGIF) / 1000.0, 0, 'f', 1));
    EXPECT_TRUE(form->GroupBox1x->title().endsWith(QStringLiteral(", 1.0 s")));
    keepPicture(*form, "frame-counter.png");

    form->StopRecording(1);
    clock.AdvanceBy(20);
    EXPECT_EQ(form->GroupBox1x->title(), idle);
    EXPECT_EQ(form->GroupBox1y->title(), QStringLiteral("預覽 Flash 影片"));  // other pages untouched

    // Page 3 counts its images.
    open(3, WriteTestMovie(dir, "series.swf", 40, 12));
    form->DelayEditz->setValue(200);
    const QString idle3 = form->GroupBox1z->title();
    form->StartImagesRecording(false);
    clock.AdvanceBy(1000);
    const size_t images = form->JpgImages.size();
    ASSERT_GE(images, 4u);
    EXPECT_TRUE(form->GroupBox1z->title().startsWith(idle3 + QStringLiteral(" - recording: %1 frames").arg(images)))
        << form->GroupBox1z->title().toStdString();
    form->StopRecording(3);
    clock.AdvanceBy(20);
    EXPECT_EQ(form->GroupBox1z->title(), idle3);
}

TEST_F(ComfortsTest, ShortcutKeysWorkOnTheShownPageAndAreNamedInToolTips)
{
    // Keys go to the active window: shown on the (offscreen) screen this time.
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QString open = QKeySequence(QKeySequence::Open).toString(QKeySequence::NativeText);
    const QString save = QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText);
    for (int page = 1; page <= 4; ++page) {
        const PreviewPage& p = form->Page(page);
        EXPECT_TRUE(p.open->toolTip().contains(open)) << page;
        EXPECT_TRUE(p.save->toolTip().contains(save)) << page;
        EXPECT_TRUE(p.play->toolTip().contains(QStringLiteral("Space"))) << page;
        EXPECT_TRUE(p.pause->toolTip().contains(QStringLiteral("Space"))) << page;
    }

    // Each page's keys belong to that page: the shown one's fire, the hidden ones' do not.
    form->PageControl1->setCurrentIndex(2);
    form->PageControl1->setFocus();
    QApplication::processEvents();
    const std::string movie = WriteTestMovie(dir, "keys.swf", 40, 12);
    dialogs.AnswerFile(movie);
    QTest::keyClick(form->PageControl1, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.DialogTitles.size(), 1u);
    EXPECT_FALSE(form->FlashPlayer3->Movie().empty());
    EXPECT_TRUE(form->FlashPlayer->Movie().empty());

    // Space plays, and pauses again.
    ASSERT_FALSE(form->FlashPlayer3->Playing());
    QTest::keyClick(form->PageControl1, Qt::Key_Space);
    EXPECT_TRUE(form->FlashPlayer3->Playing());
    QTest::keyClick(form->PageControl1, Qt::Key_Space);
    EXPECT_FALSE(form->FlashPlayer3->Playing());

    // Save on a page with nothing recorded says so, as the button does.
    QTest::keyClick(form->PageControl1, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Boxes.back().text,
              "Images are not recorded yet. Please open Flash file, then click \"Start Recording\".");
}
