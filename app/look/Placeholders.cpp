#include "Placeholders.h"

#include <QLinearGradient>
#include <cmath>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

const QColor Ink(232, 240, 250);
const QColor Accent(255, 196, 64);
const QColor FrameFace(40, 58, 84);

void drawBackground(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, PlaceholderHeight);
    sky.setColorAt(0, QColor(24, 42, 70));
    sky.setColorAt(1, QColor(12, 82, 104));
    p.fillRect(0, 0, PlaceholderWidth, PlaceholderHeight, sky);
    QRadialGradient glow(PlaceholderWidth / 2.0, 130, 190);
    glow.setColorAt(0, QColor(255, 255, 255, 36));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(0, 0, PlaceholderWidth, PlaceholderHeight, glow);
}

void drawCaption(QPainter& p, const QRect& area, const QString& text, int pixels, bool bold = true)
{
    QFont font = p.font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(Ink);
    p.drawText(area, Qt::AlignCenter, text);
}

// A little scene (sun and hill) with the ball at step 0..2, inside one frame.
void drawScene(QPainter& p, const QRectF& r, int step)
{
    p.fillRect(r, QColor(120, 190, 235));
    QPainterPath hill;
    hill.moveTo(r.left(), r.bottom());
    hill.quadTo(r.center().x(), r.top() + r.height() * 0.45, r.right(), r.bottom());
    p.fillPath(hill, QColor(76, 160, 90));
    const double x = r.left() + r.width() * (0.25 + 0.25 * step);
    const double y = r.top() + r.height() * (step == 1 ? 0.25 : 0.45);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 70, 60));
    p.drawEllipse(QPointF(x, y), r.height() * 0.13, r.height() * 0.13);
}

void drawFilmStrip(QPainter& p, const QRect& area, const QString& label)
{
    const QRectF strip(area.left(), area.top() + 30, area.width(), 120);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 24));
    p.drawRoundedRect(strip, 6, 6);
    p.setBrush(QColor(210, 214, 220));
    for (double x = strip.left() + 6; x + 8 < strip.right(); x += 14) {
        p.drawRoundedRect(QRectF(x, strip.top() + 6, 8, 8), 2, 2);
        p.drawRoundedRect(QRectF(x, strip.bottom() - 14, 8, 8), 2, 2);
    }
    const double frameW = (strip.width() - 16) / 3.0;
    for (int i = 0; i < 3; ++i)
        drawScene(p, QRectF(strip.left() + 4 + i * (frameW + 4), strip.top() + 20, frameW, strip.height() - 40), i);
    drawCaption(p, QRect(area.left(), int(strip.bottom()) + 12, area.width(), 28), label, 20);
}

void drawArrow(QPainter& p, QPointF from, QPointF to)
{
    p.setPen(QPen(Accent, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, QPointF(to.x() - 12, to.y()));
    QPolygonF head;
    head << QPointF(to.x(), to.y()) << QPointF(to.x() - 18, to.y() - 12) << QPointF(to.x() - 18, to.y() + 12);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawPolygon(head);
}

void drawFramedPicture(QPainter& p, const QRectF& r, int step)
{
    p.setPen(QPen(QColor(250, 250, 250), 3));
    p.setBrush(FrameFace);
    p.drawRoundedRect(r, 4, 4);
    drawScene(p, r.adjusted(5, 5, -5, -5), step);
}

void drawGifStack(QPainter& p, const QRect& area)
{
    for (int i = 0; i < 3; ++i)
        drawFramedPicture(p, QRectF(area.left() + 8 + i * 14, area.top() + 30 + i * 14, 100, 76), i);
    drawCaption(p, QRect(area.left(), area.top() + 162, area.width(), 28), QStringLiteral("GIF"), 22);
}

void drawAviReel(QPainter& p, const QRect& area)
{
    const QPointF centre(area.left() + 62, area.top() + 88);
    p.setPen(QPen(QColor(250, 250, 250), 3));
    p.setBrush(QColor(52, 60, 72));
    p.drawEllipse(centre, 56, 56);
    p.setBrush(QColor(20, 34, 54));
    for (int i = 0; i < 6; ++i) {
        const double angle = i * 3.14159265 / 3;
        p.drawEllipse(QPointF(centre.x() + 32 * std::cos(angle), centre.y() + 32 * std::sin(angle)), 12, 12);
    }
    p.setBrush(Accent);
    p.drawEllipse(centre, 8, 8);
    // The sound track beside the reel.
    p.setPen(QPen(Accent, 3, Qt::SolidLine, Qt::RoundCap));
    const int heights[] = {10, 26, 16, 34, 22, 12, 28, 18};
    for (int i = 0; i < 8; ++i) {
        const double x = area.left() + 128 + i * 8;
        p.drawLine(QPointF(x, centre.y() - heights[i] / 2.0), QPointF(x, centre.y() + heights[i] / 2.0));
    }
    drawCaption(p, QRect(area.left(), area.top() + 162, area.width(), 28), QStringLiteral("AVI + WAV"), 20);
}

void drawImageSeries(QPainter& p, const QRect& area)
{
    static const char* const names[] = {"1.jpg", "2.png", "3.bmp"};
    for (int i = 0; i < 3; ++i) {
        const QRectF card(area.left() + 4 + i * 54, area.top() + 40 + (i % 2) * 10, 50, 96);
        p.setPen(QPen(QColor(250, 250, 250), 2));
        p.setBrush(FrameFace);
        p.drawRoundedRect(card, 3, 3);
        drawScene(p, QRectF(card.left() + 4, card.top() + 4, card.width() - 8, 56), i);
        drawCaption(p, QRect(int(card.left()), int(card.top()) + 64, int(card.width()), 26),
                    QString::fromLatin1(names[i]), 12, false);
    }
    drawCaption(p, QRect(area.left(), area.top() + 162, area.width(), 28), QStringLiteral("JPG · PNG · BMP"), 18);
}

void drawVideoScreen(QPainter& p, const QRect& area)
{
    const QRectF screen(area.left() + 6, area.top() + 34, area.width() - 12, 100);
    p.setPen(QPen(QColor(250, 250, 250), 3));
    p.setBrush(QColor(16, 16, 20));
    p.drawRoundedRect(screen, 6, 6);
    drawScene(p, screen.adjusted(8, 8, -8, -8), 1);
    QPolygonF play;
    const QPointF c = screen.center();
    play << QPointF(c.x() - 12, c.y() - 16) << QPointF(c.x() - 12, c.y() + 16) << QPointF(c.x() + 16, c.y());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawPolygon(play);
    drawCaption(p, QRect(area.left(), int(screen.bottom()) + 24, area.width(), 28), QStringLiteral("AVI"), 22);
}

} // namespace

QPixmap PlaceholderPicture(PlaceholderKind kind)
{
    QPixmap picture(PlaceholderWidth, PlaceholderHeight);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    drawBackground(p);
    const QRect source(28, 50, 170, 200);
    const QRect output(262, 50, 160, 200);
    if (kind == PlaceholderKind::VideoToGif)
        drawVideoScreen(p, source);
    else
        drawFilmStrip(p, source, QStringLiteral("SWF · FLV"));
    drawArrow(p, QPointF(206, 150), QPointF(252, 150));
    switch (kind) {
    case PlaceholderKind::FlashToGif:
    case PlaceholderKind::VideoToGif: drawGifStack(p, output); break;
    case PlaceholderKind::FlashToAvi: drawAviReel(p, output); break;
    case PlaceholderKind::FlashToImages: drawImageSeries(p, output); break;
    }
    drawCaption(p, QRect(0, 262, PlaceholderWidth, 30), QStringLiteral("Tovrane"), 16, false);
    return picture;
}
