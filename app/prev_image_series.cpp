#include "prev_image_series.h"

#include "controls/Anchors.h"
#include "controls/SpinEdit.h"
#include "prev.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int BarHeight = 42;

template <typename Widget>
Widget* place(Widget* widget, const char* name, QWidget& bar, const QRect& rect, unsigned anchors = akTopLeft)
{
    widget->setObjectName(QString::fromLatin1(name));
    AnchorArea::of(bar, bar.size()).add(*widget, rect, anchors);
    return widget;
}

QPushButton* barButton(QWidget& bar, const char* name, const QString& caption, const QRect& rect,
                       unsigned anchors = akTopLeft)
{
    auto* button = place(new QPushButton(caption, &bar), name, bar, rect, anchors);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TForm4::TForm4(QWidget* owner) : QDialog(owner, PreviewWindowFlags())
{
    setObjectName(QStringLiteral("TForm4"));
    resize(DesignClientSize);
    AnchorArea& client = AnchorArea::of(*this, DesignClientSize);
    const int w = DesignClientSize.width(), h = DesignClientSize.height();

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    client.add(*Image1, QRect(0, 0, w, h - BarHeight), akAll);

    BottomBar = new QWidget(this);
    BottomBar->setObjectName(QStringLiteral("BottomBar"));
    BottomBar->setAttribute(Qt::WA_StyledBackground);
    BottomBar->resize(w, BarHeight);
    client.add(*BottomBar, QRect(0, h - BarHeight, w, BarHeight), akLeft | akRight | akBottom);

    BackButton = barButton(*BottomBar, "BackButton", QStringLiteral("<< 向後"), QRect(6, 5, 97, 31));
    ForwardButton = barButton(*BottomBar, "ForwardButton", QStringLiteral("向前 >>"), QRect(110, 5, 97, 31));
    JumpLabel = place(new QLabel(QStringLiteral("轉到"), BottomBar), "JumpLabel", *BottomBar, QRect(215, 10, 32, 20));
    ImageNumber = place(new TSpinEdit(BottomBar), "ImageNumber", *BottomBar, QRect(250, 9, 60, 22));
    ImageNumber->setRange(1, 10000000);
    ImageNumber->setIncrement(1);
    ImageNumber->setValue(1);
    CloseButton = barButton(*BottomBar, "CloseButton", QStringLiteral("關閉"), QRect(321, 5, 95, 31), akTop | akRight);

    connect(BackButton, &QPushButton::clicked, this, &TForm4::BackClick);
    connect(ForwardButton, &QPushButton::clicked, this, &TForm4::ForwardClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm4::BackClick()
{
    if (std::optional<int> n = ImageNumber->value())
        ImageNumber->setValue(*n - 1);
}

void TForm4::ForwardClick()
{
    if (std::optional<int> n = ImageNumber->value())
        ImageNumber->setValue(*n + 1);
}
