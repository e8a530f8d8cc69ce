#include "prev_image_series.h"

#include "Bitmap.h"
#include "Canvas.h"
#include "Guarded.h"
#include "JPEGImage.h"
#include "controls/Anchors.h"
#include "controls/SpinEdit.h"
#include "prev.h"
#include "sf_pngimage.h"

#include <QImage>
#include <algorithm>
#include <QLabel>
#include <QPixmap>
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

    OnClick(*BackButton, [this] { BackClick(); });
    OnClick(*ForwardButton, [this] { ForwardClick(); });
    OnClick(*CloseButton, [this] { reject(); });
    connect(ImageNumber, &TSpinEdit::changed, this, [this] { RunGuarded([this] { ImageNumberChange(); }); });
}

namespace {

template <typename List>
int countOf(const List* list)
{
    return list ? int(list->size()) : 0;
}

} // namespace

bool TForm4::Prepare()
{
    auto show = [this](const char* caption, TGraphic& first, int count) {
        setWindowTitle(QString::fromLatin1(caption));
        ShowPicture(first);
        ImageNumber->setMaxValue(count);
        return true;
    };
    if (const int n = countOf(m_series.jpg))
        return show("Preview JPEG Images", *m_series.jpg->front(), n);
    if (const int n = countOf(m_series.png))
        return show("Preview PNG Images", *m_series.png->front(), n);
    if (const int n = countOf(m_series.bmp))
        return show("Preview BMP Images", *m_series.bmp->front(), n);
    return false;
}

void TForm4::ShowModal() { exec(); }

namespace {

TBitmap drawnOver(TGraphic& picture, TColor background)
{
    const int w = picture.Width(), h = picture.Height();
    TBitmap copy(w, h, pf32bit);
    copy.Canvas().Brush.Color = background;
    copy.Canvas().FillRect(Rect(0, 0, w, h));
    copy.Canvas().StretchDraw(Rect(0, 0, w, h), picture);
    return copy;
}

} // namespace

void TForm4::ShowPicture(TGraphic& picture)
{
    const int w = picture.Width(), h = picture.Height();
    if (w <= 0 || h <= 0) {
        Image1->setPixmap(QPixmap());
        return;
    }
    // Drawn over black and over white, the picture gives its colours and its opacity,
    // so that a transparent PNG shows the window behind it, whatever the skin paints.
    const TBitmap overBlack = drawnOver(picture, clBlack), overWhite = drawnOver(picture, clWhite);
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        const uint8_t* b = overBlack.ScanLine(y);
        const uint8_t* white = overWhite.ScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int lift = std::max({white[4 * x] - b[4 * x], white[4 * x + 1] - b[4 * x + 1], white[4 * x + 2] - b[4 * x + 2], 0});
            const int alpha = std::clamp(255 - lift * 256 / 255, 0, 255);
            auto channel = [&](int i) { return std::min<int>(b[4 * x + i], alpha); };
            out[x] = qRgba(channel(2), channel(1), channel(0), alpha);
        }
    }
    Image1->setPixmap(QPixmap::fromImage(image));
}

void TForm4::ImageNumberChange()
{
    const std::optional<int> value = ImageNumber->value();
    if (!value || *value < 1)
        return;
    const size_t n = size_t(*value);
    if (n <= size_t(countOf(m_series.jpg)))
        ShowPicture(*(*m_series.jpg)[n - 1]);
    else if (n <= size_t(countOf(m_series.png)))
        ShowPicture(*(*m_series.png)[n - 1]);
    else if (n <= size_t(countOf(m_series.bmp)))
        ShowPicture(*(*m_series.bmp)[n - 1]);
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
