#include "Unit1.h"

#include "prev_image_series.h"

#include "Bitmap.h"
#include "Centring.h"
#include "FlashHostView.h"
#include "JPEGImage.h"
#include "VideoView.h"
#include "WindowCanvas.h"
#include "RxGIF.h"
#include "controls/Anchors.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

TForm1::TForm1(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    resize(DesignClientSize);
    setMinimumSize(ClientMinimum(QSize()));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* client = new QVBoxLayout(this);
    client->setContentsMargins(0, 0, 0, 0);
    client->addWidget(PageControl1);

    buildGifPage();
    buildAviPage();
    buildImagesPage();
    buildVideoPage();
    PageControl1->setCurrentIndex(0);
    for (const PreviewPage& page : m_pages) {
        watchPanel(*page.panel);
        alignToDesignWindow(*page.sheet);
    }
    setUpTimers();
    createPlayers();
    setUpComforts();
    centreOnScreen();
    FormCreate();
    FormResize();
}

TForm1::~TForm1()
{
    // The players go before the windows they paint into.
    for (auto& player : m_players)
        player.reset();
}

void TForm1::setUpTimers()
{
    struct Design {
        TTimer& timer;
        unsigned interval;
        bool enabled;
    };
    const Design timers[] = {
        {Timer1x, 100, false}, {Timer2x, 10, true},  {Timer1y, 100, false}, {Timer2y, 10, true},
        {Timer1z, 1000, false}, {Timer2z, 10, true}, {Timer1, 150, false},  {Timer2, 10, true},
    };
    for (const Design& design : timers) {
        design.timer.SetEnabled(design.enabled);
        design.timer.SetInterval(design.interval);
    }
}

void TForm1::AttachPreviews(TForm2* preview, TForm4* imagePreview)
{
    Form2 = preview;
    Form4 = imagePreview;
    if (Form4)
        Form4->SetSeries({&JpgImages, &PngImages, &BmpImages});
}

QSize TForm1::ClientMinimum(QSize frameExtra)
{
    // Until the window manager tells us the frame, assume the one the design was made
    // with: the outer minimum then leaves exactly the design size as client minimum.
    if (!frameExtra.isValid() || frameExtra == QSize(0, 0))
        frameExtra = MinimumFrameSize - DesignClientSize;
    return (MinimumFrameSize - frameExtra).boundedTo(DesignClientSize).expandedTo(QSize(0, 0));
}

void TForm1::updateMinimumSize()
{
    setMinimumSize(ClientMinimum(frameGeometry().size() - geometry().size()));
}

void TForm1::centreOnScreen()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TForm1::alignToDesignWindow(QWidget& sheet)
{
    // The tabs' height comes from the style, so a page's size at the design window is
    // known only from the page itself: the window's chrome around it stays the same.
    AnchorArea::of(sheet, SheetDesignSize).setReference([this, &sheet] {
        return sheet.size() - (size() - DesignClientSize);
    });
}

void TForm1::watchPanel(QFrame& panel)
{
    panel.installEventFilter(this);
}

void TForm1::FormCreate()
{
    SettingsHintShown = false;
    RecordedGIF = std::make_unique<TGIFImage>();
    VideoCanvas = std::make_unique<TWindowCanvas>(VideoPlayer->Window());
    setWindowTitle(QStringLiteral("Tovrane 2.3"));
}

void TForm1::FormResize()
{
    for (size_t i = 0; i < m_pages.size(); ++i)
        centreView(i);
}

void TForm1::centreView(size_t index)
{
    const PreviewPage& page = m_pages[index];
    if (index < m_players.size() && m_players[index]) {
        // A Flash page's host fills the panel; the player is centred inside it.
        page.view->setGeometry(page.panel->rect());
        m_flash[index].view->CentreChild(*m_players[index]);
    } else {
        CentreInPanel(*page.view, *page.panel);
    }
}

void TForm1::FormClose()
{
    // Nothing is stored between runs; the captured images are the only thing to release.
    JpgImages.clear();
    PngImages.clear();
    BmpImages.clear();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!CloseQuestionAnswered()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateMinimumSize();
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    updateMinimumSize();  // the frame becomes known once the window manager placed us
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // A page that was hidden while the window changed size gets its panel's resize
    // only when it is shown; centre its view then.
    if (event->type() == QEvent::Resize) {
        for (size_t i = 0; i < m_pages.size(); ++i) {
            if (watched == m_pages[i].panel)
                centreView(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}
