#include "VideoView.h"

#include <QImage>
#include <QPainter>

VideoView::VideoView(QWidget* panel) : QWidget(panel)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_window.SetColor(clWhite);
    m_window.OnSurfaceChanged = [this](TWinControl*) { update(); };
}

TWinControl& VideoView::Window()
{
    fitWindow();
    return m_window;
}

void VideoView::fitWindow()
{
    // A hidden widget hears of its new size only when shown; its window must not wait.
    if (m_window.Width() != width() || m_window.Height() != height()) {
        m_window.SetBounds(0, 0, width(), height());
        m_window.Repaint();
    }
}

void VideoView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitWindow();
}

void VideoView::paintEvent(QPaintEvent*)
{
    fitWindow();
    QPainter painter(this);
    const TSurface surface = m_window.Surface();
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0)
        return;
    // Bytes blue, green, red, alpha: Qt's RGB32 on little-endian.
    const QImage image(reinterpret_cast<const uchar*>(surface.pixels), surface.width, surface.height, surface.stride,
                       QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
}
