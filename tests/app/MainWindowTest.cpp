#include "AppFixture.h"
#include "Centring.h"
#include "FlashHostView.h"
#include "sf_flash.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

namespace {

QPoint PlayerPos(const TsfFlashPlayer* player) { return QPoint(player->Left(), player->Top()); }

struct PageExpectation {
    const char* tab;
    const char* boxName;
    const char* boxTitle;
    const char* panelName;
    int panelHeight;
    const char* viewName;
    QSize viewSize;
    bool viewVisible;
    const char* start;
    const char* stop;
    const char* open;
    const char* preview;
    const char* save;
    const char* firstEntry;
    const char* firstCaption;
    const char* secondEntry;
    const char* secondCaption;
    bool firstIsDefault;
    const char* settingsTitle;
};

const PageExpectation Pages[] = {
    {"Flash 轉換 GIF", "GroupBox1x", "預覽 Flash 影片", "PanelBx", 322, "FlashPlayer", {440, 316}, true,
     "開始錄製 GIF", "停止錄製 GIF", "開啟 Flash...", "預覽 GIF 動畫", "儲存 GIF 為檔案...", "withautomaticStop1",
     "自動停止", "withoutautomaticStop1", "不自動停止", true, "GIF 設定"},
    {"Flash 轉換 AVI", "GroupBox1y", "預覽 Flash 影片", "PanelBy", 322, "FlashPlayer2", {440, 316}, true,
     "開始錄製 AVI", "停止錄製 AVI", "開啟 Flash...", "預覽 AVI 視訊", "儲存 AVI 為檔案...", "withautomaticStop2",
     "自動停止", "withoutautomaticStop2", "不自動停止", false, "AVI 設定"},
    {"Flash 轉換 JPG", "GroupBox1z", "預覽 Flash 影片", "PanelBz", 322, "FlashPlayer3", {440, 316}, true,
     "開始錄製 JPG", "停止錄製 JPG", "開啟 Flash...", "預覽 JPG 圖像", "儲存 JPG 圖像", "MenuItem1", "自動停止",
     "MenuItem2", "不自動停止", true, "輸出設定"},
    {"AVI 轉換 GIF", "GroupBox1", "預覽(AVI)視訊", "PanelB", 323, "VideoPlayer", {480, 334}, false, "開始錄製 GIF",
     "停止錄製 GIF", "開啟視訊...", "預覽 GIF 動畫", "儲存 GIF 為檔案...", "fromcurrentposition1",
     "從現用的位置錄製", "frombeginning1", "從開始錄製", false, "GIF 設定"},
};

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST_F(MainWindowFixture, WindowTitleSizeAndPages)
{
    EXPECT_EQ(form->windowTitle(), u("Tovrane 2.3"));
    EXPECT_EQ(form->size(), QSize(687, 472));
    EXPECT_EQ(form->PageControl1->count(), 4);
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(form->PageControl1->tabText(i), u(Pages[i].tab));
    EXPECT_FALSE(form->SettingsHintShown);
}

TEST_F(MainWindowFixture, MinimumIsTheOuterSizeAndKeepsTheDesignSizeReachable)
{
    // Offscreen there is no frame: the design's own frame is assumed.
    EXPECT_EQ(form->minimumSize(), QSize(687, 472));
    EXPECT_EQ(TForm1::ClientMinimum(QSize(8, 20)), QSize(687, 472));  // 694 x 484 held at the design size
    EXPECT_EQ(TForm1::ClientMinimum(QSize(16, 39)), QSize(686, 465));
    EXPECT_EQ(TForm1::ClientMinimum(QSize(0, 37)), QSize(687, 467));
}

TEST_F(MainWindowFixture, EveryPageHasItsPreviewAreaAndButtons)
{
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(Pages[i].tab);
        const PageExpectation& want = Pages[i];
        const PreviewPage& page = form->Page(i + 1);
        EXPECT_EQ(page.box->objectName(), u(want.boxName));
        EXPECT_EQ(page.box->title(), u(want.boxTitle));
        EXPECT_EQ(page.panel->objectName(), u(want.panelName));
        if (i < 3) {
            // A Flash page's host fills the panel; the player inside has the view's size.
            const TsfFlashPlayer& player = *form->Flash(i + 1).player;
            EXPECT_EQ(QString::fromStdString(player.Name()), u(want.viewName));
            EXPECT_EQ(QSize(player.Width(), player.Height()), want.viewSize);
            EXPECT_EQ(page.view->geometry(), page.panel->rect());
            EXPECT_TRUE(player.Visible());
        } else {
            EXPECT_EQ(page.view->objectName(), u(want.viewName));
            EXPECT_EQ(page.view->size(), want.viewSize);
            EXPECT_EQ(page.view->isVisibleTo(page.panel), want.viewVisible);
        }
        EXPECT_TRUE(page.placeholder->isVisibleTo(page.panel));
        EXPECT_EQ(page.placeholder->pixmap().size(), QSize(442, 319));
        EXPECT_EQ(page.trackBar->minimum(), 0);
        EXPECT_EQ(page.trackBar->maximum(), 100);
        EXPECT_EQ(page.play->text(), u("播放"));
        EXPECT_EQ(page.pause->text(), u("暫停"));
        EXPECT_EQ(page.replay->text(), u("重放"));
        EXPECT_EQ(page.start->text(), u(want.start));
        EXPECT_EQ(page.stop->text(), u(want.stop));
        EXPECT_EQ(page.open->text(), u(want.open));
        EXPECT_EQ(page.preview->text(), u(want.preview));
        EXPECT_EQ(page.save->text(), u(want.save));
        EXPECT_EQ(page.settings->title(), u(want.settingsTitle));

        // The stop button lies over the start button, hidden until a recording runs.
        EXPECT_FALSE(page.stop->isVisibleTo(page.box));
        EXPECT_TRUE(page.start->isVisibleTo(page.box));
        EXPECT_EQ(page.stop->geometry(), page.start->geometry());
        const QObjectList& stack = page.box->children();
        EXPECT_GT(stack.indexOf(page.stop), stack.indexOf(page.start));

        ASSERT_EQ(page.start->menu(), page.startMenu);
        ASSERT_EQ(page.startMenu->actions().size(), 2);
        EXPECT_EQ(page.firstEntry->objectName(), u(want.firstEntry));
        EXPECT_EQ(page.firstEntry->text(), u(want.firstCaption));
        EXPECT_EQ(page.secondEntry->objectName(), u(want.secondEntry));
        EXPECT_EQ(page.secondEntry->text(), u(want.secondCaption));
        EXPECT_EQ(page.startMenu->defaultAction() == page.firstEntry, want.firstIsDefault);
    }
}

TEST_F(MainWindowFixture, NamedMembersAreThePagesControls)
{
    EXPECT_EQ(form->GroupBox1x, form->Page(1).box);
    EXPECT_EQ(form->PanelBy, form->Page(2).panel);
    EXPECT_EQ(form->FlashPlayer3, form->Flash(3).player);
    EXPECT_EQ(form->Flash(3).view, form->Page(3).view);
    EXPECT_EQ(form->VideoPlayer, form->Page(4).view);
    EXPECT_EQ(form->withautomaticStop1, form->Page(1).firstEntry);
    EXPECT_EQ(form->MenuItem2, form->Page(3).secondEntry);
    EXPECT_EQ(form->frombeginning1, form->Page(4).secondEntry);
    EXPECT_EQ(find<QFrame>("PanelBz"), form->PanelBz);
    EXPECT_EQ(find<QWidget>("FlashPlayerHost"), form->Flash(1).view);
}

TEST_F(MainWindowFixture, DesignGeometryAtTheInitialSize)
{
    const PreviewPage& page = form->Page(1);
    EXPECT_EQ(page.box->geometry(), QRect(8, 11, 460, 427));
    EXPECT_EQ(page.panel->geometry(), QRect(8, 27, 441, 322));
    EXPECT_EQ(form->Page(4).panel->size(), QSize(441, 323));
    // The right column keeps its margin to the page's right and bottom edges.
    EXPECT_EQ(page.sheet->width() - (page.open->x() + page.open->width()), 8);
    EXPECT_EQ(page.sheet->height() - (page.save->y() + page.save->height()), 444 - 438);
    // The source view is centred in the panel (441 vs 440 gives 0).
    EXPECT_EQ(PlayerPos(form->FlashPlayer),
              QPoint(CentredOffset(page.panel->width(), 440), CentredOffset(page.panel->height(), 316)));
}

TEST(MainWindowTimers, CaptureTimersOffMonitorTimersOnAtTenMilliseconds)
{
    VirtualClock clock;
    ScopedScheduler scheduler(clock);
    TForm1 form;
    struct Expect {
        const char* name;
        TTimer& timer;
        unsigned interval;
        bool enabled;
    };
    const Expect timers[] = {
        {"Timer1x", form.Timer1x, 100, false}, {"Timer2x", form.Timer2x, 10, true},
        {"Timer1y", form.Timer1y, 100, false}, {"Timer2y", form.Timer2y, 10, true},
        {"Timer1z", form.Timer1z, 1000, false}, {"Timer2z", form.Timer2z, 10, true},
        {"Timer1", form.Timer1, 150, false},   {"Timer2", form.Timer2, 10, true},
    };
    for (const Expect& t : timers) {
        EXPECT_EQ(t.timer.Interval(), t.interval) << t.name;
        EXPECT_EQ(t.timer.Enabled(), t.enabled) << t.name;
        EXPECT_EQ(&t.timer.Owner(), &clock) << t.name;
    }
}

TEST_F(MainWindowFixture, ResizingKeepsTheRightColumnAtTheEdgeAndGrowsThePreview)
{
    const PreviewPage& page = form->Page(1);
    const int openFromRight = page.sheet->width() - page.open->geometry().right();
    const int saveFromBottom = page.sheet->height() - page.save->geometry().bottom();
    const QSize box = page.box->size(), panel = page.panel->size();
    const QPoint settings = page.settings->pos();

    form->resize(900, 700);
    QApplication::processEvents();
    const QSize grown(900 - 687, 700 - 472);
    EXPECT_EQ(page.sheet->width() - page.open->geometry().right(), openFromRight);
    EXPECT_EQ(page.sheet->height() - page.save->geometry().bottom(), saveFromBottom);
    EXPECT_EQ(page.settings->pos(), settings + QPoint(grown.width(), 0));
    EXPECT_EQ(page.box->size(), box + grown);
    EXPECT_EQ(page.panel->size(), panel + grown);
    EXPECT_EQ(page.trackBar->y() + page.trackBar->height(), page.play->y() - 6);
    EXPECT_EQ(PlayerPos(form->FlashPlayer),
              QPoint(CentredOffset(page.panel->width(), 440), CentredOffset(page.panel->height(), 316)));
}

TEST_F(MainWindowFixture, AShrunkenPanelGivesNegativeOffsets)
{
    form->PanelBx->resize(300, 200);
    EXPECT_EQ(PlayerPos(form->FlashPlayer), QPoint(150 - 220, 100 - 158));
    form->PanelBx->resize(441, 322);
    EXPECT_EQ(PlayerPos(form->FlashPlayer), QPoint(0, 3));
    // A wide view (a width of 1000 chosen in the settings) is centred the same way.
    form->FlashPlayer->SetWidth(1000);
    form->FormResize();
    EXPECT_EQ(PlayerPos(form->FlashPlayer), QPoint(220 - 500, 3));
}

TEST_F(MainWindowFixture, HiddenPagesAreCentredWhenShown)
{
    form->resize(800, 600);
    QApplication::processEvents();
    form->PageControl1->setCurrentIndex(3);
    QApplication::processEvents();
    const PreviewPage& page = form->Page(4);
    EXPECT_EQ(page.panel->size(), QSize(441 + 113, 323 + 128));
    EXPECT_EQ(page.view->pos(), QPoint(CentredOffset(441 + 113, 480), CentredOffset(323 + 128, 334)));
}
