// The Flash pages' source controls: the players in their panels, Open, Play, Pause,
// Replay, the track bar and the monitor tick, and the settings' change rules.
#include "Unit1.h"

#include "FlashHostView.h"
#include "Guarded.h"
#include "MovieFile.h"
#include "WideString.h"
#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"
#include "sf_flash.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace {

const char* const FlashFilter = "Flash 檔案 (*.SWF, *.FLV)|*.FLV;*.SWF|Flash 視訊 (FLV)|*.FLV|多媒體 Flash (SWF)|*.SWF";

// The text after the last path separator, either kind.
std::string FileNamePart(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

unsigned IntervalOf(int delay) { return delay > 0 ? unsigned(delay) : 0u; }

} // namespace

int FieldInteger(const TSpinEdit& field) { return field.value().value_or(field.lastValidValue()); }

void TForm1::createPlayers()
{
    const char* names[] = {"FlashPlayer", "FlashPlayer2", "FlashPlayer3"};
    TsfFlashPlayer** members[] = {&FlashPlayer, &FlashPlayer2, &FlashPlayer3};
    for (int i = 0; i < 3; ++i) {
        PreviewPage& common = m_pages[size_t(i)];
        auto* view = new FlashHostView(common.panel);
        view->setObjectName(QString::fromLatin1(names[i]) + QStringLiteral("Host"));
        view->stackUnder(common.placeholder);
        delete common.view;  // the design's stand-in
        common.view = view;

        auto player = std::make_unique<TsfFlashPlayer>(&view->Host());
        player->SetName(names[i]);
        player->SetColor(clWhite);
        player->SetTransparent(false);
        player->DisableFlashPopup = true;
        player->DisableFlashCursor = true;
        player->SetVolume(100);
        player->SetVolumeControl(false);
        player->FLVPlaybackSkin = flvclearskin;
        player->SetBounds(0, 0, 440, 316);
        *members[i] = player.get();
        m_players[size_t(i)] = std::move(player);
        view->CentreChild(*m_players[size_t(i)]);
    }

    struct Design {
        TOpenDialog* dialog;
        const char* title;
        TTimer *capture, *monitor;
        TSpinEdit *delay, *width, *height;
        TColorBox* background;
        int32_t* elapsed;
        bool* autoStop;
        const char* hint;
        const char* tooShort;
    };
    const Design designs[] = {
        {&OpenDialog1x, "開啟檔案", &Timer1x, &Timer2x, DelayEditx, WidthEditx, HeightEditx, BackColorx, &ElapsedGIF,
         &AutoStopGIF, "Please change GIF settings and window size before converting",
         "The GIF recording time is too short. It looks like this Flash file is not divided onto multiple frames.\r\n"
         "Please try to convert again using the \"without automatic Stop\" subitem of the \"Start GIF Recording\" "
         "button.\r\nThen you will have to manually click on the \"Stop GIF Recording\" button to stop converting."},
        {&OpenDialog1y, "開啟多媒體 Flash", &Timer1y, &Timer2y, DelayEdity, WidthEdity, HeightEdity, BackColory,
         &ElapsedAVI, &AutoStopAVI, "Please change AVI settings and window size before converting",
         "The AVI recording time is too short. It looks like this Flash file is not divided onto multiple frames.\r\n"
         "Please try to convert again using the \"without automatic Stop\" subitem of the \"Start AVI Recording\" "
         "button.\r\nThen you will have to manually click on the \"Stop AVI Recording\" button to stop converting."},
        {&OpenDialog1z, "開啟檔案", &Timer1z, &Timer2z, DelayEditz, WidthEditz, HeightEditz, nullptr, &ElapsedImages,
         &AutoStopImages, "Please change Output settings and window size before converting",
         "The recording time is too short. It looks like this Flash file is not divided onto multiple frames.\r\n"
         "Please try to convert again using the \"without automatic Stop\" subitem of the \"Start Recording\" "
         "button.\r\nThen you will have to manually click on the \"Stop Recording\" button to stop converting."},
    };
    for (int i = 0; i < 3; ++i) {
        const Design& d = designs[i];
        FlashPage& page = m_flash[size_t(i)];
        page.number = i + 1;
        page.player = m_players[size_t(i)].get();
        page.view = static_cast<FlashHostView*>(m_pages[size_t(i)].view);
        d.dialog->Title = d.title;
        d.dialog->Filter = FlashFilter;
        d.dialog->FilterIndex = 1;
        page.openDialog = d.dialog;
        page.capture = d.capture;
        page.monitor = d.monitor;
        page.delay = d.delay;
        page.width = d.width;
        page.height = d.height;
        page.background = d.background;
        page.elapsed = d.elapsed;
        page.autoStop = d.autoStop;
        page.hint = d.hint;
        page.tooShort = d.tooShort;
        wireFlashPage(page);
    }
    wireFlashSettings();
}

void TForm1::wireFlashPage(FlashPage& page)
{
    const int n = page.number;
    const PreviewPage& common = m_pages[size_t(n - 1)];
    OnClick(*common.open, [this, n] { OpenFlash(n); });
    OnClick(*common.play, [this, n] { PlayFlash(n); });
    OnClick(*common.pause, [this, n] { PauseFlash(n); });
    OnClick(*common.replay, [this, n] { ReplayFlash(n); });
    OnClick(*common.stop, [this, n] { StopRecording(n); });
    connect(common.trackBar, &QSlider::sliderPressed, this, [this, n] { RunGuarded([this, n] { TrackBarPressed(n); }); });
    connect(common.trackBar, &QSlider::sliderReleased, this, [this, n] { RunGuarded([this, n] { TrackBarReleased(n); }); });
    page.monitor->SetOnTimer([this, n] { RunGuarded([this, n] { MonitorTick(n); }); });

    // Delay, width and height: the change rules. A field without an integer changes
    // nothing, so the timer and the player keep the last valid value.
    connect(page.delay, &TSpinEdit::changed, this, [this, n] {
        FlashPage& p = Flash(n);
        if (std::optional<int> delay = p.delay->value())
            p.capture->SetInterval(IntervalOf(*delay));
    });
    connect(page.width, &TSpinEdit::changed, this, [this, n] {
        FlashPage& p = Flash(n);
        if (std::optional<int> width = p.width->value()) {
            p.player->SetWidth(*width);
            p.view->CentreChildHorizontally(*p.player);
        }
    });
    connect(page.height, &TSpinEdit::changed, this, [this, n] {
        FlashPage& p = Flash(n);
        if (std::optional<int> height = p.height->value()) {
            p.player->SetHeight(*height);
            p.view->CentreChildVertically(*p.player);
        }
    });
    if (page.background)
        connect(page.background, &TColorBox::changed, this,
                [this, n](TColor color) { RunGuarded([this, n, color] { applyBackground(Flash(n), color); }); });
}

void TForm1::wireFlashSettings()
{
    connect(FormatBoxz, &QComboBox::currentIndexChanged, this, [this] { RunGuarded([this] { applyImageFormat(); }); });
    const PreviewPage& gif = m_pages[0];
    const PreviewPage& avi = m_pages[1];
    const PreviewPage& images = m_pages[2];
    auto guard = [](std::function<void()> fn) { return [fn = std::move(fn)] { RunGuarded(fn); }; };
    connect(withautomaticStop1, &QAction::triggered, this, guard([this] { StartGIFRecording(true); }));
    connect(withoutautomaticStop1, &QAction::triggered, this, guard([this] { StartGIFRecording(false); }));
    connect(withautomaticStop2, &QAction::triggered, this, guard([this] { StartAVIRecording(true); }));
    connect(withoutautomaticStop2, &QAction::triggered, this, guard([this] { StartAVIRecording(false); }));
    connect(MenuItem1, &QAction::triggered, this, guard([this] { StartImagesRecording(true); }));
    connect(MenuItem2, &QAction::triggered, this, guard([this] { StartImagesRecording(false); }));
    OnClick(*gif.save, [this] { SaveGIF(); });
    OnClick(*avi.save, [this] { SaveAVI(); });
    OnClick(*images.save, [this] { SaveImages(); });
    OnClick(*gif.preview, [this] { PreviewGIF(); });
    OnClick(*avi.preview, [this] { PreviewAVI(); });
    OnClick(*images.preview, [this] { PreviewImages(); });
    Timer1x.SetOnTimer(guard([this] { CaptureGIFFrame(); }));
    Timer1y.SetOnTimer(guard([this] { CaptureAVIFrame(); }));
    Timer1z.SetOnTimer(guard([this] { CaptureImage(); }));
}

bool TForm1::Recording(int number) const { return !m_pages.at(size_t(number - 1)).stop->isHidden(); }

void TForm1::OpenFlash(int number)
{
    FlashPage& page = Flash(number);
    const std::string previous = page.openDialog->FileName;
    if (!page.openDialog->Execute())
        return;
    const std::string path = page.openDialog->FileName;
    // A file that is not a movie would load as an empty player and record blank
    // pictures; the page keeps what it had.
    if (std::optional<std::string> why = WhyNotAFlashMovie(path)) {
        page.openDialog->FileName = previous;  // Replay and Start go on with the movie shown
        WarningBox(NotAFlashMovieMessage(path, *why));
        return;
    }
    page.player->SetMovie(u"");
    page.player->LoadMovie(0, Utf8ToWide(path));
    m_pages[size_t(number - 1)].box->setTitle(QStringLiteral("Flash Movie Preview - ") +
                                               QString::fromStdString(FileNamePart(path)));
    m_pages[size_t(number - 1)].trackBar->setMaximum(page.player->TotalFrames());
    page.width->setValue(page.player->Width());
    page.height->setValue(page.player->Height());
    page.player->Stop();
    page.player->Rewind();
    if (!SettingsHintShown)
        WarningBox(page.hint);
    SettingsHintShown = true;
    m_pages[size_t(number - 1)].placeholder->hide();
}

void TForm1::PlayFlash(int number)
{
    FlashPage& page = Flash(number);
    if (!page.player->Movie().empty())
        page.player->Play();
}

void TForm1::PauseFlash(int number)
{
    FlashPage& page = Flash(number);
    if (!page.player->Movie().empty())
        page.player->Stop();
}

void TForm1::ReloadMovie(FlashPage& page)
{
    page.player->StopPlay();
    page.player->Stop();
    page.player->SetMovie(u"");
    page.player->LoadMovie(0, Utf8ToWide(page.openDialog->FileName));
    page.player->Play();
}

void TForm1::ReplayFlash(int number)
{
    FlashPage& page = Flash(number);
    if (!page.player->Movie().empty())
        ReloadMovie(page);
}

void TForm1::TrackBarPressed(int number) { Flash(number).monitor->SetEnabled(false); }

void TForm1::TrackBarReleased(int number)
{
    FlashPage& page = Flash(number);
    if (page.player->Playing()) {
        page.player->Stop();
        page.player->GotoFrame(m_pages[size_t(number - 1)].trackBar->value());
        page.player->Play();
    }
    page.monitor->SetEnabled(true);
}

void TForm1::MonitorTick(int number)
{
    FlashPage& page = Flash(number);
    page.player->SetLoop(false);
    *page.elapsed += int32_t(page.monitor->Interval());
    m_pages[size_t(number - 1)].trackBar->setValue(page.player->CurrentFrame());
    if (Recording(number) && !page.player->Playing() && *page.autoStop) {
        StopRecording(number);
        if (*page.elapsed / 1000 < 1)
            WarningBox(page.tooShort);
    }
    showFlashProgress(number);
}

void TForm1::StopRecording(int number)
{
    switch (number) {
    case 1: StopGIFRecording(); break;
    case 2: StopAVIRecording(); break;
    default: StopImagesRecording(); break;
    }
}

void TForm1::applyBackground(FlashPage& page, TColor color)
{
    page.player->SetColor(color);
    page.player->SetBackgroundColor(int(color));
    if (!page.player->Movie().empty())
        ReloadMovie(page);
}

void TForm1::applyImageFormat()
{
    const QString format = FormatBoxz->currentText();
    const bool jpg = format == QStringLiteral("JPG");
    QualityEditz->setEnabled(jpg);
    QualityLabelz->setEnabled(jpg);
    PercentLabelz->setEnabled(jpg);
    const PreviewPage& page = m_pages[2];
    page.stop->setText(QStringLiteral("Stop %1s Recording").arg(format));
    page.start->setText(QStringLiteral("Start %1s Recording").arg(format));
    page.save->setText(QStringLiteral("Save %1 images").arg(format));
    page.preview->setText(QStringLiteral("Preview %1 images").arg(format));
}
