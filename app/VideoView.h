// VideoPlayer, the video page's view: a white panel whose toolkit window the media
// player draws the video into and the capture copies from. The window always has the
// widget's size; the widget shows the window's surface.
#pragma once

#include "Controls.h"

#include <QWidget>

class VideoView : public QWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* panel);

    // The window, at the widget's current size.
    TWinControl& Window();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitWindow();

    TWinControl m_window;
};
