#include "FlashHostView.h"

#include "Centring.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

FlashHostView::FlashHostView(QWidget* panel) : QWidget(panel)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_host.SetColor(clBlack);
    m_host.SetBounds(0, 0, panel->width(), panel->height());
    m_host.OnSurfaceChanged = [this](TWinControl*) { update(); };
    setGeometry(panel->rect());
}

void FlashHostView::CentreChild(TControl& child)
{
    child.SetBounds(CentredOffset(m_host.Width(), child.Width()), CentredOffset(m_host.Height(), child.Height()),
                    child.Width(), child.Height());
    m_host.Repaint();
}

void FlashHostView::CentreChildHorizontally(TControl& child)
{
    child.SetLeft(CentredOffset(m_host.Width(), child.Width()));
    m_host.Repaint();
}

void FlashHostView::CentreChildVertically(TControl& child)
{
    child.SetTop(CentredOffset(m_host.Height(), child.Height()));
    m_host.Repaint();
}

void FlashHostView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TSurface surface = m_host.Surface();
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The surface's bytes are blue, green, red, alpha: Qt's RGB32 on little-endian.
    const QImage image(reinterpret_cast<const uchar*>(surface.pixels), surface.width, surface.height, surface.stride,
                       QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
}

void FlashHostView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_host.SetBounds(0, 0, width(), height());
    // Children keep their places until the form re-centres them; paint what there is.
    m_host.Repaint();
}

void FlashHostView::forward(uint32_t message, QMouseEvent& event)
{
    uintptr_t keys = 0;
    if (event.buttons() & Qt::LeftButton)
        keys |= 0x0001;
    if (event.buttons() & Qt::RightButton)
        keys |= 0x0002;
    if (event.modifiers() & Qt::ShiftModifier)
        keys |= 0x0004;
    if (event.modifiers() & Qt::ControlModifier)
        keys |= 0x0008;
    const QPoint at = event.position().toPoint();
    m_host.MouseMessage(message, keys, at.x(), at.y());
}

void FlashHostView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        forward(wm::LButtonDown, *event);
    else if (event->button() == Qt::RightButton)
        forward(wm::RButtonDown, *event);
}

void FlashHostView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        forward(wm::LButtonUp, *event);
    else if (event->button() == Qt::RightButton)
        forward(wm::RButtonUp, *event);
}

void FlashHostView::mouseMoveEvent(QMouseEvent* event) { forward(wm::MouseMove, *event); }

void FlashHostView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        forward(wm::LButtonDblClk, *event);
}
