#include "prev.h"

#include "FlashHostView.h"
#include "GIFCtrl.h"
#include "Guarded.h"
#include "controls/Anchors.h"

#include <QEvent>
#include <QPushButton>
#include <QResizeEvent>

Qt::WindowFlags PreviewWindowFlags()
{
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
           Qt::WindowCloseButtonHint;
}

namespace {

constexpr int BarHeight = 42;

QPushButton* barButton(QWidget& bar, const char* name, const QString& caption, const QRect& rect, unsigned anchors)
{
    auto* button = new QPushButton(caption, &bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    AnchorArea::of(bar, bar.size()).add(*button, rect, anchors);
    return button;
}

} // namespace

TForm2::TForm2(QWidget* owner) : QDialog(owner, PreviewWindowFlags())
{
    setObjectName(QStringLiteral("TForm2"));
    resize(DesignClientSize);
    AnchorArea& client = AnchorArea::of(*this, DesignClientSize);
    const int w = DesignClientSize.width(), h = DesignClientSize.height();

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->resize(w, h - BarHeight);
    client.add(*Panel1, QRect(0, 0, w, h - BarHeight), akAll);

    AnimatorView = new FlashHostView(Panel1);
    AnimatorView->setObjectName(QStringLiteral("AnimatorView"));
    AnimatorView->Host().SetColor(clBtnFace);
    AnchorArea::of(*Panel1, Panel1->size()).add(*AnimatorView, QRect(0, 0, w, h - BarHeight), akAll);
    AnimatorView->installEventFilter(this);

    // Fills the panel and draws the current frame centred.
    m_animator = std::make_unique<TRxGIFAnimator>();
    RxGIFAnimator1 = m_animator.get();
    RxGIFAnimator1->SetName("RxGIFAnimator1");
    RxGIFAnimator1->SetParent(&AnimatorView->Host());
    RxGIFAnimator1->SetAlign(alClient);
    RxGIFAnimator1->SetCenter(true);

    BottomBar = new QWidget(this);
    BottomBar->setObjectName(QStringLiteral("BottomBar"));
    BottomBar->setAttribute(Qt::WA_StyledBackground);
    BottomBar->resize(w, BarHeight);
    client.add(*BottomBar, QRect(0, h - BarHeight, w, BarHeight), akLeft | akRight | akBottom);

    PlayButton = barButton(*BottomBar, "PlayButton", QStringLiteral("播放"), QRect(5, 5, 73, 31), akTopLeft);
    PauseButton = barButton(*BottomBar, "PauseButton", QStringLiteral("暫停"), QRect(85, 5, 88, 31), akTopLeft);
    ReplayButton = barButton(*BottomBar, "ReplayButton", QStringLiteral("重放"), QRect(181, 5, 97, 31), akTopLeft);
    CloseButton = barButton(*BottomBar, "CloseButton", QStringLiteral("關閉"), QRect(425, 5, 95, 31), akTop | akRight);

    OnClick(*PlayButton, [this] { PlayButtonClick(); });
    OnClick(*PauseButton, [this] { PauseButtonClick(); });
    OnClick(*ReplayButton, [this] { ReplayButtonClick(); });
    OnClick(*CloseButton, [this] { CloseButtonClick(); });
}

// The animator goes before the window it paints on.
TForm2::~TForm2() { m_animator.reset(); }

void TForm2::Prepare(const QString& caption, bool loop, const TGIFImage& result)
{
    setWindowTitle(caption);
    RxGIFAnimator1->SetLoop(loop);
    RxGIFAnimator1->SetImage(&result);
}

void TForm2::ShowModal() { exec(); }

void TForm2::FormShow() { RxGIFAnimator1->SetFrameIndex(0); }

void TForm2::PlayButtonClick() { RxGIFAnimator1->SetAnimate(true); }

void TForm2::PauseButtonClick() { RxGIFAnimator1->SetAnimate(false); }

void TForm2::ReplayButtonClick()
{
    RxGIFAnimator1->SetAnimate(false);
    RxGIFAnimator1->SetFrameIndex(0);
    RxGIFAnimator1->SetAnimate(true);
}

void TForm2::CloseButtonClick()
{
    RxGIFAnimator1->SetAnimate(false);
    RxGIFAnimator1->SetImage(nullptr);
    reject();
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    RxGIFAnimator1->SetVisible(true);
    if (!event->spontaneous())  // not when the window comes back from its minimised state
        RunGuarded([this] { FormShow(); });
}

void TForm2::hideEvent(QHideEvent* event)
{
    // A hidden animator skips its steps: a preview closed from its caption bar while
    // playing costs nothing until it is shown again, which starts on frame 0 anyway.
    RxGIFAnimator1->SetVisible(false);
    QDialog::hideEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    // The animator fills its window; the view repaints the window after this.
    if (watched == AnimatorView && event->type() == QEvent::Resize) {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        RxGIFAnimator1->SetBounds(0, 0, size.width(), size.height());
    }
    return QDialog::eventFilter(watched, event);
}
