// The result preview: plays a recorded GIF or AVI result in an animator above a bar
// of player buttons. Created at start-up, hidden, shown modally by the Preview buttons.
#pragma once

#include <QDialog>
#include <memory>

class FlashHostView;
class QPushButton;
class TGIFImage;
class TRxGIFAnimator;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* owner = nullptr);
    ~TForm2() override;

    static constexpr QSize DesignClientSize{528, 389};

    QWidget* Panel1 = nullptr;
    // The toolkit window filling the panel, on which the animator paints.
    FlashHostView* AnimatorView = nullptr;
    TRxGIFAnimator* RxGIFAnimator1 = nullptr;
    QWidget* BottomBar = nullptr;
    QPushButton* PlayButton = nullptr;
    QPushButton* PauseButton = nullptr;
    QPushButton* ReplayButton = nullptr;
    QPushButton* CloseButton = nullptr;

    // What the Preview buttons do before showing: the caption, the animator's Loop,
    // and a copy of the result in the animator.
    void Prepare(const QString& caption, bool loop, const TGIFImage& result);
    // Shows the window modally; returns once it is closed.
    void ShowModal();

    void FormShow();
    void PlayButtonClick();
    void PauseButtonClick();
    void ReplayButtonClick();
    void CloseButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<TRxGIFAnimator> m_animator;
};

// Flags of the preview windows' caption bar: a system menu and a minimise button.
Qt::WindowFlags PreviewWindowFlags();
