// Page 4: AVI video to animated GIF. MediaPlayer1 plays the video into VideoPlayer;
// a recording copies VideoPlayer's pixels at every tick of Timer1, and the monitor
// Timer2 follows the position and ends the recording when the device stops.
#include "Unit1.h"
#include "Unit1SettingsRows.h"

#include "Bitmap.h"
#include "Centring.h"
#include "Guarded.h"
#include "OutputName.h"
#include "RxGIF.h"
#include "VideoView.h"
#include "WindowCanvas.h"
#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"
#include "prev.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace {

const char* const VideoFilter =
    "視訊檔案 (AVI)|*.avi|其他視訊 (MP4, MKV, WebM, MOV, MPG)|*.mp4;*.mkv;*.webm;*.mov;*.mpg;*.mpeg";

const char* const SizeWarning = "Video size may be too big for convertion\r\nIt is strongly recommended to decrease "
                                "GIF output width, height and color depth\r\nin the settings.";

// The depth list's entries as pixel formats; greyscale keeps the bitmap as it is.
std::optional<TPixelFormat> VideoDepthFormat(const QString& entry)
{
    struct Entry {
        const char* text;
        TPixelFormat format;
    };
    static const Entry entries[] = {
        {"8 bit(位)(256 色)", pf8bit}, {"4 bit(位)(16 色)", pf4bit}, {"黑色/白色", pf1bit}, {"如源檔案", pfDevice}};
    for (const Entry& e : entries) {
        if (entry == QString::fromUtf8(e.text))
            return e.format;
    }
    return std::nullopt;
}

std::string FileNamePart(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace

void TForm1::buildVideoPage()
{
    const PageDesign design{
        QString(),
        QStringLiteral("AVI 轉換 GIF"),
        QStringLiteral("預覽(AVI)視訊"),
        QStringLiteral("開始錄製 GIF"),
        QStringLiteral("停止錄製 GIF"),
        QStringLiteral("開啟視訊..."),
        QStringLiteral("預覽 GIF 動畫"),
        QStringLiteral("儲存 GIF 為檔案..."),
        QStringLiteral("GIF 設定"),
        {"fromcurrentposition1", QStringLiteral("從現用的位置錄製"), false},
        {"frombeginning1", QStringLiteral("從開始錄製"), false},
        QStringLiteral("VideoPlayer"),
        QSize(480, 334),
        false,  // shown once a video is opened
        323,
        PlaceholderKind::VideoToGif,
    };
    PreviewPage& page = m_pages[3] = BuildPreviewPage(*PageControl1, design);
    GroupBox1 = page.box;
    PanelB = page.panel;
    fromcurrentposition1 = page.firstEntry;
    frombeginning1 = page.secondEntry;
    createVideoPlayer();
    buildVideoSettings(*page.settings);
    wireVideoPage();
}

void TForm1::createVideoPlayer()
{
    PreviewPage& page = m_pages[3];
    auto* view = new VideoView(page.panel);
    view->setObjectName(page.view->objectName());
    view->setGeometry(page.view->geometry());
    view->setVisible(false);
    view->stackUnder(page.placeholder);
    delete page.view;  // the design's stand-in
    page.view = VideoPlayer = view;

    OpenDialog1.Title = "開啟視訊";
    OpenDialog1.Filter = VideoFilter;
    OpenDialog1.FilterIndex = 1;
    MediaPlayer1.SetDisplay(&VideoPlayer->Window());
}

void TForm1::buildVideoSettings(QGroupBox& box)
{
    SettingsRows rows(box);
    DelayEdit = rows.number(QStringLiteral("DelayEdit"), QStringLiteral("畫幀延遲"), QStringLiteral("毫秒"),
                            {150, 0, 0, 1});
    // Its entries name the colour counts too: the list gets the box's width.
    DepthBox = rows.wideList(QStringLiteral("DepthBox"), QStringLiteral("彩色深度:"),
                         {QStringLiteral("8 bit(位)(256 色)"), QStringLiteral("4 bit(位)(16 色)"),
                          QStringLiteral("黑色/白色"), QStringLiteral("灰階"), QStringLiteral("如源檔案")},
                         4);
    WidthEdit = rows.number(QStringLiteral("WidthEdit"), QStringLiteral("GIF 寬度:"), QStringLiteral("像素"),
                            {std::nullopt, 2, 10000, 5});
    HeightEdit = rows.number(QStringLiteral("HeightEdit"), QStringLiteral("GIF 高度:"), QStringLiteral("像素"),
                             {std::nullopt, 2, 10000, 5});
    LoopBox = rows.check(QStringLiteral("LoopBox"), QStringLiteral("迴圈 GIF 動畫"), false);
    TransColor = rows.colour(QStringLiteral("TransColor"), QStringLiteral("透明色:"), clAqua);
}

void TForm1::wireVideoPage()
{
    const PreviewPage& page = m_pages[3];
    auto guard = [](std::function<void()> fn) { return [fn = std::move(fn)] { RunGuarded(fn); }; };
    OnClick(*page.open, [this] { OpenVideo(); });
    OnClick(*page.play, [this] { PlayVideo(); });
    OnClick(*page.replay, [this] { PlayVideo(); });
    OnClick(*page.pause, [this] { PauseVideo(); });
    OnClick(*page.stop, [this] { StopVideoRecording(); });
    OnClick(*page.save, [this] { SaveVideoGIF(); });
    OnClick(*page.preview, [this] { PreviewVideoGIF(); });
    connect(page.trackBar, &QSlider::sliderPressed, this, guard([this] { VideoTrackBarPressed(); }));
    connect(page.trackBar, &QSlider::sliderReleased, this, guard([this] { VideoTrackBarReleased(); }));
    connect(page.startMenu, &QMenu::aboutToShow, this, guard([this] { VideoStartMenuOpened(); }));
    connect(page.startMenu, &QMenu::aboutToHide, this, guard([this] { VideoStartMenuClosed(); }));
    connect(fromcurrentposition1, &QAction::triggered, this, guard([this] { StartVideoRecording(false); }));
    connect(frombeginning1, &QAction::triggered, this, guard([this] { StartVideoRecording(true); }));
    Timer1.SetOnTimer(guard([this] { CaptureVideoFrame(); }));
    Timer2.SetOnTimer(guard([this] { VideoMonitorTick(); }));

    // A field without an integer changes nothing: the timer and the view keep the
    // last valid values.
    connect(DelayEdit, &TSpinEdit::changed, this, [this] {
        if (std::optional<int> delay = DelayEdit->value())
            Timer1.SetInterval(*delay > 0 ? unsigned(*delay) : 0u);
    });
    connect(WidthEdit, &TSpinEdit::changed, this, [this] { applyVideoSize(); });
    connect(HeightEdit, &TSpinEdit::changed, this, [this] { applyVideoSize(); });
}

void TForm1::applyVideoSize()
{
    // Either field gives VideoPlayer both sizes; the video keeps its rectangle until
    // the next open, play or start fits it.
    VideoPlayer->resize(FieldInteger(*WidthEdit), FieldInteger(*HeightEdit));
    VideoPlayer->Window();
    CentreInPanel(*VideoPlayer, *PanelB);
}

void TForm1::fitVideoToView()
{
    MediaPlayer1.SetDisplayRect(Rect(0, 0, VideoPlayer->width(), VideoPlayer->height()));
}

void TForm1::OpenVideo()
{
    if (OpenDialog1.Execute()) {
        const std::string path = OpenDialog1.FileName;
        MediaPlayer1.FileName = path;
        MediaPlayer1.Open();
        GroupBox1->setTitle(QStringLiteral("Video (AVI) Preview - ") + QString::fromStdString(FileNamePart(path)));
        m_pages[3].trackBar->setMaximum(MediaPlayer1.Length());
        const TRect own = MediaPlayer1.DisplayRect();
        const int width = own.Right - own.Left, height = own.Bottom - own.Top;
        if (width >= PanelB->width() || height >= PanelB->height())
            WarningBox(SizeWarning);
        WidthEdit->setValue(width);
        HeightEdit->setValue(height);
        if (!SettingsHintShown)
            WarningBox("Please change GIF settings and window size before converting");
        SettingsHintShown = true;
    }
    VideoPlayer->show();
    m_pages[3].placeholder->hide();
    fitVideoToView();
}

void TForm1::PlayVideo()
{
    fitVideoToView();
    if (VideoChosen()) {
        MediaPlayer1.Open();
        MediaPlayer1.Play();
        fitVideoToView();
    }
}

void TForm1::PauseVideo()
{
    if (MediaPlayer1.Mode() == mpPlaying)
        MediaPlayer1.Pause();
}

void TForm1::VideoTrackBarPressed() { Timer2.SetEnabled(false); }

void TForm1::VideoTrackBarReleased()
{
    if (MediaPlayer1.Mode() == mpPlaying) {
        MediaPlayer1.Pause();
        MediaPlayer1.SetPosition(m_pages[3].trackBar->value());
        MediaPlayer1.Play();
    }
    Timer2.SetEnabled(true);
}

void TForm1::VideoStartMenuOpened()
{
    if (VideoChosen() && MediaPlayer1.Mode() == mpPlaying)
        MediaPlayer1.Pause();
}

void TForm1::VideoStartMenuClosed()
{
    // A device that failed to open has nothing to play; the entry chosen, if any,
    // opens it again and says why it cannot.
    const TMPModes mode = MediaPlayer1.Mode();
    if (VideoChosen() && mode != mpPlaying && mode != mpNotReady)
        MediaPlayer1.Play();
}

void TForm1::StartVideoRecording(bool fromBeginning)
{
    replaceRecordedGif();
    if (Image1.Picture)
        Image1.Picture->SetSize(VideoPlayer->width(), VideoPlayer->height());
    VideoCanvas = std::make_unique<TWindowCanvas>(VideoPlayer->Window());
    fitVideoToView();
    Image1.Width = VideoPlayer->width();
    Image1.Height = VideoPlayer->height();
    if (!fromBeginning) {
        // A device that failed to open is opened again, like a stopped one.
        if (VideoChosen() && (MediaPlayer1.Mode() == mpStopped || MediaPlayer1.Mode() == mpNotReady))
            MediaPlayer1.Open();
        if (VideoChosen() && MediaPlayer1.Mode() != mpPlaying)
            MediaPlayer1.Play();
    } else if (VideoChosen()) {
        MediaPlayer1.Stop();
        MediaPlayer1.Open();
        MediaPlayer1.Play();
    }
    fitVideoToView();
    if (VideoChosen()) {
        m_pages[3].stop->show();
        Timer1.SetEnabled(true);
    } else {
        WarningBox("Open video file at first!");
    }
}

void TForm1::CaptureVideoFrame()
{
    const TRect area = Rect(0, 0, VideoPlayer->width(), VideoPlayer->height());
    TBitmap& surface = Image1.Bitmap();
    VideoCanvas->CopyTo(surface.Canvas(), area);
    RecordedGIF->AddFrame(&surface);
    TGIFFrame* frame = RecordedGIF->Frames(RecordedGIF->FrameIndex());
    frame->SetAnimateInterval(uint16_t(std::clamp(FieldInteger(*DelayEdit), 0, 65535)));
    frame->SetTransparentColor(TransColor->selected());
    if (std::optional<TPixelFormat> format = VideoDepthFormat(DepthBox->currentText()))
        frame->Bitmap()->SetPixelFormat(*format);
    ShowRecordingProgress(4, size_t(RecordedGIF->Count()), int32_t(RecordedGIF->Count()) * int32_t(Timer1.Interval()));
}

void TForm1::VideoMonitorTick()
{
    if (!VideoChosen())
        return;
    const TMPModes mode = MediaPlayer1.Mode();
    if (mode == mpPlaying)
        m_pages[3].trackBar->setValue(MediaPlayer1.Position());
    else if (mode == mpStopped)
        StopVideoRecording();
}

void TForm1::StopVideoRecording()
{
    Timer1.SetEnabled(false);
    if (VideoChosen() && MediaPlayer1.Mode() == mpPlaying)
        MediaPlayer1.Stop();
    m_pages[3].stop->hide();
    ShowRecordingProgress(4, 0, 0);  // the box gets its title back
}

void TForm1::SaveVideoGIF()
{
    // A running recording goes on: the monitor ends it once the device stopped.
    if (!RecordedGIF || RecordedGIF->Count() == 0) {
        WarningBox("GIF is empty. Please open video file, then click \"Start GIF Recording\"\r\nto create animated GIF.");
        return;
    }
    Timer1.SetEnabled(false);
    if (VideoChosen() && MediaPlayer1.Mode() == mpPlaying)
        MediaPlayer1.Stop();
    RecordedGIF->SetLooping(false);
    if (LoopBox->isChecked()) {
        RecordedGIF->SetLooping(true);
        RecordedGIF->SetRepeatCount(0);
    }
    if (DepthBox->currentText() == QStringLiteral("灰階"))
        RecordedGIF->Grayscale(true);
    SaveDialog1.Title = "儲存 GIF";
    SaveDialog1.Filter = "GIF 檔案|*.gif";
    SaveDialog1.FileName.clear();
    if (SaveDialog1.Execute() && !SaveDialog1.FileName.empty()) {
        const std::string name = ApplyOutputName(SaveDialog1.FileName, ".gif");
        RecordedGIF->SaveToFile(name);
        ResultSaved(4);
        PlainBox("GIF was successfully saved to " + name);
    }
    VideoPlayer->Window().Repaint();
}
