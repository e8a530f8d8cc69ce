// The main window: four conversion pages (Flash to GIF, Flash to AVI, Flash to
// images, AVI to GIF) and the state they share. Component names are the form's own;
// each widget's objectName is the same, so tests and screenshots can find it.
#pragma once

#include "AviWriter.h"
#include "Dialogs.h"
#include "MediaPlayer.h"
#include "Timer.h"
#include "Unit1PreviewArea.h"
#include "VideoView.h"
#include "VideoSave.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FileField;
class FlashHostView;
class TBitmap;
class TGIFImage;
class TJPEGImage;
class TsfFlashPlayer;
class TsfPngImage;
class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;
class TColorBox;
class TForm2;
class TForm4;
class TSpinEdit;
class TWindowCanvas;

// The hidden picture holder whose bitmap is the capture surface of pages 1, 2 and 4:
// the bitmap is made on first use at the holder's size.
struct TImageHolder {
    int Width = 0, Height = 0;
    std::unique_ptr<TBitmap> Picture;
    TBitmap& Bitmap();
};

// What a Flash page's source controls and recording work with.
struct FlashPage {
    int number = 0;
    TsfFlashPlayer* player = nullptr;
    FlashHostView* view = nullptr;
    TOpenDialog* openDialog = nullptr;
    TTimer* capture = nullptr;
    TTimer* monitor = nullptr;
    TSpinEdit* delay = nullptr;
    TSpinEdit* width = nullptr;
    TSpinEdit* height = nullptr;
    TColorBox* background = nullptr;  // none on page 3
    int32_t* elapsed = nullptr;
    bool* autoStop = nullptr;
    std::string hint;
    std::string tooShort;
};

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
    TsfFlashPlayer* FlashPlayer = nullptr;
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
    TsfFlashPlayer* FlashPlayer2 = nullptr;
    QAction* withautomaticStop2 = nullptr;
    QAction* withoutautomaticStop2 = nullptr;
    TSpinEdit* DelayEdity = nullptr;
    QComboBox* DepthBoxy = nullptr;
    TSpinEdit* WidthEdity = nullptr;
    TSpinEdit* HeightEdity = nullptr;
    FileField* WavFiley = nullptr;
    QCheckBox* RecordSoundy = nullptr;
    TColorBox* BackColory = nullptr;
    // The movie's sound of the last AVI recording, 44,100 Hz stereo 16-bit.
    std::vector<int16_t> RecordedSound;

    // Page 3: Flash to JPG, PNG or BMP images.
    QGroupBox* GroupBox1z = nullptr;
    QFrame* PanelBz = nullptr;
    TsfFlashPlayer* FlashPlayer3 = nullptr;
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
    VideoView* VideoPlayer = nullptr;
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

    // The dialogs of the Flash pages; each open dialog keeps the path last chosen.
    TOpenDialog OpenDialog1x, OpenDialog1y, OpenDialog1z;
    TSaveDialog SaveDialog1x, SaveDialog1y;
    // Page 4: the video's dialogs, its invisible media player drawing into
    // VideoPlayer, and the canvas on VideoPlayer's window that captures copy from.
    TOpenDialog OpenDialog1;
    TSaveDialog SaveDialog1;
    TMediaPlayer MediaPlayer1;
    std::unique_ptr<TWindowCanvas> VideoCanvas;
    std::string SelectDirectoryTitle = "選取資料夾";

    // The results: one animation for pages 1, 2 and 4, the AVI writer whose Bitmaps
    // refer to that animation's frames, and the three image lists of page 3.
    TImageHolder Image1;
    std::unique_ptr<TGIFImage> RecordedGIF;
    TAviWriter AviWriter1;
    std::vector<std::unique_ptr<TJPEGImage>> JpgImages;
    std::vector<std::unique_ptr<TsfPngImage>> PngImages;
    std::vector<std::unique_ptr<TBitmap>> BmpImages;
    // How MP4, WebM, MKV and WebP saves encode, and who hears of each encoded frame.
    VideoSettings VideoOptions;
    std::function<void(size_t done, size_t total)> VideoProgress;

    // Source controls of Flash page 1, 2 or 3.
    FlashPage& Flash(int number) { return m_flash.at(size_t(number - 1)); }
    bool Recording(int number) const;
    void OpenFlash(int number);
    void PlayFlash(int number);
    void PauseFlash(int number);
    void ReplayFlash(int number);
    void TrackBarPressed(int number);
    void TrackBarReleased(int number);
    void MonitorTick(int number);
    // Unload, load the path last chosen in the page's open dialog, play.
    void ReloadMovie(FlashPage& page);

    // Recording sessions.
    void StartGIFRecording(bool automaticStop);
    void StartAVIRecording(bool automaticStop);
    void StartImagesRecording(bool automaticStop);
    void StopGIFRecording();
    void StopAVIRecording();
    void StopImagesRecording();
    void CaptureGIFFrame();
    void CaptureAVIFrame();
    void CaptureImage();
    void StopRecording(int number);

    // The video page: a video is chosen once the media player has a file name.
    bool VideoChosen() const { return !MediaPlayer1.FileName.empty(); }
    void OpenVideo();
    void PlayVideo();  // Play and Replay alike
    void PauseVideo();
    void VideoTrackBarPressed();
    void VideoTrackBarReleased();
    void VideoStartMenuOpened();
    void VideoStartMenuClosed();
    void StartVideoRecording(bool fromBeginning);
    void CaptureVideoFrame();
    void VideoMonitorTick();
    void StopVideoRecording();
    void SaveVideoGIF();

    // Saving and previews.
    void SaveGIF();
    void SaveAVI();
    // The movie's sound of the AVI recording alone, as a WAV file (the command line).
    void SaveAVISound();
    void SaveImages();
    // Page 1 (WebP, APNG) or page 2 (MP4, WebM, MKV) to a compressed file.
    void saveVideo(int number, VideoFormat format, const std::string& name);
    void PreviewGIF();
    void PreviewAVI();
    void PreviewImages();
    // Page 4's Preview: nothing while the page records.
    void PreviewVideoGIF();

    // Comforts beyond the pages' own controls (Unit1Comforts.cpp). A file dropped on a
    // page, or named on the command line, opens there as the page's Open button would.
    // Closing asks first while a page records or a result has not been saved. While a
    // page records, its preview box counts the frames and the movie time.
    static int PageForFile(const std::string& path, int shownPage);  // 0: none
    bool OpenOnPage(int number, const std::string& path);
    bool UnsavedResult() const;
    void ResultSaved(int number);  // a save command of page number wrote the result
    bool CloseQuestionAnswered();
    void ShowRecordingProgress(int number, size_t frames, int32_t elapsedMs);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildGifPage();
    void buildAviPage();
    void buildImagesPage();
    void buildVideoPage();
    void buildGifSettings(QGroupBox& box);
    void buildAviSettings(QGroupBox& box);
    void buildImagesSettings(QGroupBox& box);
    void buildVideoSettings(QGroupBox& box);
    void createVideoPlayer();
    void wireVideoPage();
    void applyVideoSize();
    void fitVideoToView();
    void setUpTimers();
    void createPlayers();
    void centreView(size_t index);
    void wireFlashPage(FlashPage& page);
    void wireFlashSettings();
    void applyImageFormat();
    void applyBackground(FlashPage& page, TColor color);
    void stopPlayer(FlashPage& page);
    bool startFlashRecording(FlashPage& page, bool automaticStop);
    void prepareCaptureSurface(FlashPage& page);
    void replaceRecordedGif();
    bool captureGifFrame(FlashPage& page);
    void endSoundCapture(FlashPage& page);
    std::vector<int16_t> recordedSpan(size_t frames) const;
    bool m_soundCapture = false;
    void watchPanel(QFrame& panel);
    void alignToDesignWindow(QWidget& sheet);
    void updateMinimumSize();
    void centreOnScreen();
    void showGifPreview(const QCheckBox& loop, const QComboBox& depth);
    void setUpComforts();
    void togglePlay(int number);
    void showFlashProgress(int number);

    std::array<PreviewPage, 4> m_pages;
    std::array<FlashPage, 3> m_flash;
    std::array<std::unique_ptr<TsfFlashPlayer>, 3> m_players;
    std::array<QString, 4> m_titleBeforeRecording;  // empty while a page shows no count
    const TGIFImage* m_savedGif = nullptr;  // RecordedGIF and its length at the last save
    int m_savedGifFrames = 0;
    bool m_imagesSaved = false;
    bool m_videoPlaying = false;  // page 4: Play clicked last, for the play/pause key
};

// Integer of a field, or its last valid value when the text holds none.
int FieldInteger(const TSpinEdit& field);
