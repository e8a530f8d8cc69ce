// The result preview: plays a recorded GIF or AVI result in an animator above a bar
// of player buttons. Created at start-up, hidden, shown modally by the Preview buttons.
#pragma once

#include <QDialog>

class QPushButton;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* owner = nullptr);

    static constexpr QSize DesignClientSize{528, 389};

    QWidget* Panel1 = nullptr;
    // The animator's place until the GIF animator control joins it.
    QWidget* RxGIFAnimator1 = nullptr;
    QWidget* BottomBar = nullptr;
    QPushButton* PlayButton = nullptr;
    QPushButton* PauseButton = nullptr;
    QPushButton* ReplayButton = nullptr;
    QPushButton* CloseButton = nullptr;
};

// Flags of the preview windows' caption bar: a system menu and a minimise button.
Qt::WindowFlags PreviewWindowFlags();
