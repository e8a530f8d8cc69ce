// The main window: four conversion pages (Flash to GIF, Flash to AVI, Flash to
// images, AVI to GIF) and the state they share. Component names are the form's own;
// each widget's objectName is the same, so tests and screenshots can find it.
#pragma once

#include "Timer.h"
#include "Unit1PreviewArea.h"

#include <QWidget>
#include <array>
#include <cstdint>

class FileField;
class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;
class TColorBox;
class TForm2;
class TForm4;
class TSpinEdit;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    static constexpr QSize DesignClientSize{687, 472};
    // The smallest outer size, title bar and borders included.
    static constexpr QSize MinimumFrameSize{702, 504};
    // The client minimum for a frame that adds frameExtra around the client area.
    // Never above the design size, which must stay reachable.
    static QSize ClientMinimum(QSize frameExtra);

    // The common controls of page 1 to 4.
    const PreviewPage& Page(int number) const { return m_pages.at(number - 1); }

    void FormCreate();
    void FormResize();
    void FormClose();

    // The preview windows, created after the main window.
    void AttachPreviews(TForm2* preview, TForm4* imagePreview);
    TForm2* Form2 = nullptr;
    TForm4* Form4 = nullptr;

    QTabWidget* PageControl1 = nullptr;

    // Page 1: Flash to GIF.
    QGroupBox* GroupBox1x = nullptr;
    QFrame* PanelBx = nullptr;
    QWidget* FlashPlayer = nullptr;  // the source view's place until the player arrives
    QAction* withautomaticStop1 = nullptr;
    QAction* withoutautomaticStop1 = nullptr;
    TSpinEdit* DelayEditx = nullptr;
    QComboBox* DepthBoxx = nullptr;
    TSpinEdit* WidthEditx = nullptr;
    TSpinEdit* HeightEditx = nullptr;
    QCheckBox* LoopBoxx = nullptr;
    TColorBox* TransColorx = nullptr;
    TColorBox* BackColorx = nullptr;

    // Page 2: Flash to AVI.
    QGroupBox* GroupBox1y = nullptr;
    QFrame* PanelBy = nullptr;
    QWidget* FlashPlayer2 = nullptr;
    QAction* withautomaticStop2 = nullptr;
    QAction* withoutautomaticStop2 = nullptr;
    TSpinEdit* DelayEdity = nullptr;
    QComboBox* DepthBoxy = nullptr;
    TSpinEdit* WidthEdity = nullptr;
    TSpinEdit* HeightEdity = nullptr;
    FileField* WavFiley = nullptr;
    TColorBox* BackColory = nullptr;

    // Page 3: Flash to JPG, PNG or BMP images.
    QGroupBox* GroupBox1z = nullptr;
    QFrame* PanelBz = nullptr;
    QWidget* FlashPlayer3 = nullptr;
    QAction* MenuItem1 = nullptr;
    QAction* MenuItem2 = nullptr;
    TSpinEdit* DelayEditz = nullptr;
    QComboBox* FormatBoxz = nullptr;
    TSpinEdit* QualityEditz = nullptr;
    QLabel* QualityLabelz = nullptr;
    QLabel* PercentLabelz = nullptr;
    TSpinEdit* WidthEditz = nullptr;
    TSpinEdit* HeightEditz = nullptr;
    QCheckBox* StopAtBoxz = nullptr;
    TSpinEdit* stopafter = nullptr;

    // Page 4: AVI to GIF.
    QGroupBox* GroupBox1 = nullptr;
    QFrame* PanelB = nullptr;
    QWidget* VideoPlayer = nullptr;
    QAction* fromcurrentposition1 = nullptr;
    QAction* frombeginning1 = nullptr;
    TSpinEdit* DelayEdit = nullptr;
    QComboBox* DepthBox = nullptr;
    TSpinEdit* WidthEdit = nullptr;
    TSpinEdit* HeightEdit = nullptr;
    QCheckBox* LoopBox = nullptr;
    TColorBox* TransColor = nullptr;

    // Capture timers (on while a page records) and monitor timers (always on).
    TTimer Timer1x, Timer2x, Timer1y, Timer2y, Timer1z, Timer2z, Timer1, Timer2;

    // Shared state of the pages.
    bool SettingsHintShown = false;
    int32_t ElapsedGIF = 0, ElapsedAVI = 0, ElapsedImages = 0;
    bool AutoStopGIF = false, AutoStopAVI = false, AutoStopImages = false;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGifPage();
    void buildAviPage();
    void buildImagesPage();
    void buildVideoPage();
    void buildGifSettings(QGroupBox& box);
    void buildAviSettings(QGroupBox& box);
    void buildImagesSettings(QGroupBox& box);
    void buildVideoSettings(QGroupBox& box);
    void setUpTimers();
    void watchPanel(QFrame& panel);
    void alignToDesignWindow(QWidget& sheet);
    void updateMinimumSize();
    void centreOnScreen();

    std::array<PreviewPage, 4> m_pages;
};
