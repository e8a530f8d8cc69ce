#include "prev.h"

#include "controls/Anchors.h"

#include <QPushButton>

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

    RxGIFAnimator1 = new QWidget(Panel1);
    RxGIFAnimator1->setObjectName(QStringLiteral("RxGIFAnimator1"));
    AnchorArea::of(*Panel1, Panel1->size()).add(*RxGIFAnimator1, QRect(0, 0, w, h - BarHeight), akAll);

    BottomBar = new QWidget(this);
    BottomBar->setObjectName(QStringLiteral("BottomBar"));
    BottomBar->setAttribute(Qt::WA_StyledBackground);
    BottomBar->resize(w, BarHeight);
    client.add(*BottomBar, QRect(0, h - BarHeight, w, BarHeight), akLeft | akRight | akBottom);

    PlayButton = barButton(*BottomBar, "PlayButton", QStringLiteral("播放"), QRect(5, 5, 73, 31), akTopLeft);
    PauseButton = barButton(*BottomBar, "PauseButton", QStringLiteral("暫停"), QRect(85, 5, 88, 31), akTopLeft);
    ReplayButton = barButton(*BottomBar, "ReplayButton", QStringLiteral("重放"), QRect(181, 5, 97, 31), akTopLeft);
    CloseButton = barButton(*BottomBar, "CloseButton", QStringLiteral("關閉"), QRect(425, 5, 95, 31), akTop | akRight);
}
