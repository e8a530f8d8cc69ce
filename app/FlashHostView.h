// The Qt face of a toolkit window: a widget that fills a panel, owns the TWinControl
// of the panel's size into which a Flash player paints, shows that window's surface
// and hands it the mouse. The player is a child of the window, centred in it.
#pragma once

#include "Controls.h"

#include <QWidget>

class FlashHostView : public QWidget {
    Q_OBJECT
public:
    explicit FlashHostView(QWidget* panel);

    TWinControl& Host() { return m_host; }
    // Places child (of Host) centred in the window on both axes, or on one.
    void CentreChild(TControl& child);
    void CentreChildHorizontally(TControl& child);
    void CentreChildVertically(TControl& child);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void forward(uint32_t message, QMouseEvent& event);

    TWinControl m_host;
};
