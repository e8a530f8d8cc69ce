// The image-series preview: steps through the captured still images one at a time.
// Created at start-up, hidden, shown modally by page 3's Preview button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TSpinEdit;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* owner = nullptr);

    static constexpr QSize DesignClientSize{424, 307};

    // Shows its picture centred at the picture's own size; larger ones are cut off.
    QLabel* Image1 = nullptr;
    QWidget* BottomBar = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* ForwardButton = nullptr;
    QLabel* JumpLabel = nullptr;
    TSpinEdit* ImageNumber = nullptr;
    QPushButton* CloseButton = nullptr;

    // Back and Forward move the number by one; the field's range holds it in place.
    void BackClick();
    void ForwardClick();
};
