// The image-series preview: steps through the captured still images one at a time.
// Created at start-up, hidden, shown modally by page 3's Preview button.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class TBitmap;
class TGraphic;
class TJPEGImage;
class TSpinEdit;
class TsfPngImage;

// The main window's three lists of captured images, which the preview reads.
struct ImageSeries {
    const std::vector<std::unique_ptr<TJPEGImage>>* jpg = nullptr;
    const std::vector<std::unique_ptr<TsfPngImage>>* png = nullptr;
    const std::vector<std::unique_ptr<TBitmap>>* bmp = nullptr;
};

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

    void SetSeries(const ImageSeries& series) { m_series = series; }
    // What page 3's Preview does before showing, for the first non-empty list (JPG,
    // then PNG, then BMP): the caption, its first image, the number's maximum. False
    // when every list is empty.
    bool Prepare();
    // Shows the window modally; returns once it is closed.
    void ShowModal();

    // Gives Image1 a copy of the picture.
    void ShowPicture(TGraphic& picture);

    // Back and Forward move the number by one; the field's range holds it in place.
    void BackClick();
    void ForwardClick();
    // Shows image n of the first list that has n images.
    void ImageNumberChange();

private:
    ImageSeries m_series;
};
