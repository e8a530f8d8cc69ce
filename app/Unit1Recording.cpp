// Recording sessions of the Flash pages: start, capture tick and stop.
#include "Unit1.h"

#include "Bitmap.h"
#include "JPEGImage.h"
#include "RxGIF.h"
#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <algorithm>

TBitmap& TImageHolder::Bitmap()
{
    if (!Picture)
        Picture = std::make_unique<TBitmap>(Width, Height);
    return *Picture;
}

namespace {

// The depth lists' entries as pixel formats; greyscale keeps the bitmap as it is.
std::optional<TPixelFormat> DepthFormat(const QString& entry)
{
    struct Entry {
        const char16_t* text;
        TPixelFormat format;
    };
    static const Entry entries[] = {
        {u"24 bit(位)", pf24bit}, {u"8 bit(位)", pf8bit}, {u"4 bit(位)", pf4bit},
        {u"黑色/白色", pf1bit},   {u"如源檔案", pfDevice},
    };
    for (const Entry& e : entries) {
        if (entry == QString::fromUtf16(e.text))
            return e.format;
    }
    return std::nullopt;
}

uint16_t FrameDelay(const TSpinEdit& field) { return uint16_t(std::clamp(FieldInteger(field), 0, 65535)); }

} // namespace

void TForm1::prepareCaptureSurface(FlashPage& page)
{
    if (Image1.Picture)
        Image1.Picture->SetSize(page.player->Width(), page.player->Height());
    Image1.Width = page.player->Width();
    Image1.Height = page.player->Height();
}

void TForm1::replaceRecordedGif()
{
    if (RecordedGIF)
        RecordedGIF->Clear();
    RecordedGIF.reset();
    AviWriter1.Bitmaps().Clear();
    RecordedGIF = std::make_unique<TGIFImage>();
    m_savedGif = nullptr;  // the new animation may reuse the old one's address
}

bool TForm1::startFlashRecording(FlashPage& page, bool automaticStop)
{
    const bool open = !page.player->Movie().empty();
    if (open)
        ReloadMovie(page);
    if (open) {
        m_pages[size_t(page.number - 1)].stop->show();
        page.capture->SetEnabled(true);
        *page.elapsed = 0;
    } else {
        WarningBox("Open Flash file at first!");
    }
    *page.autoStop = automaticStop;
    return open;
}

void TForm1::StartGIFRecording(bool automaticStop)
{
    FlashPage& page = Flash(1);
    prepareCaptureSurface(page);
    replaceRecordedGif();
    startFlashRecording(page, automaticStop);
}

void TForm1::StartAVIRecording(bool automaticStop)
{
    FlashPage& page = Flash(2);
    prepareCaptureSurface(page);
    if (RecordedGIF)
        RecordedGIF->Clear();
    RecordedGIF.reset();
    AviWriter1.Bitmaps().Clear();
    AviWriter1.SetHeight(page.player->Height());
    AviWriter1.SetWidth(page.player->Width());
    RecordedGIF = std::make_unique<TGIFImage>();
    m_savedGif = nullptr;
    startFlashRecording(page, automaticStop);
}

void TForm1::StartImagesRecording(bool automaticStop)
{
    JpgImages.clear();
    PngImages.clear();
    BmpImages.clear();
    m_imagesSaved = false;
    startFlashRecording(Flash(3), automaticStop);
}

bool TForm1::captureGifFrame(FlashPage& page)
{
    page.player->CopyFrameTo(Image1.Bitmap().Canvas());
    RecordedGIF->AddFrame(&Image1.Bitmap());
    RecordedGIF->Frames(RecordedGIF->FrameIndex())->SetAnimateInterval(FrameDelay(*page.delay));
    return true;
}

void TForm1::CaptureGIFFrame()
{
    FlashPage& page = Flash(1);
    captureGifFrame(page);
    TGIFFrame* frame = RecordedGIF->Frames(RecordedGIF->FrameIndex());
    frame->SetTransparentColor(TransColorx->selected());
    if (std::optional<TPixelFormat> format = DepthFormat(DepthBoxx->currentText()))
        frame->Bitmap()->SetPixelFormat(*format);
}

void TForm1::CaptureAVIFrame()
{
    FlashPage& page = Flash(2);
    // The sound track starts with the first picture, so the two stay in step.
    if (AviWriter1.Bitmaps().Count() == 0) {
        RecordedSound.clear();
        m_soundCapture = RecordSoundy->isChecked();
        if (m_soundCapture)
            page.player->SetSoundCapture(true);
    }
    captureGifFrame(page);
    TGIFFrame* frame = RecordedGIF->Frames(RecordedGIF->FrameIndex());
    if (std::optional<TPixelFormat> format = DepthFormat(DepthBoxy->currentText()))
        frame->Bitmap()->SetPixelFormat(*format);
    AviWriter1.Bitmaps().Add(frame->Bitmap());
}

void TForm1::CaptureImage()
{
    FlashPage& page = Flash(3);
    const QString format = FormatBoxz->currentText();
    // A player without a picture yet gives no snapshot: that tick captures nothing.
    auto append = [](auto& list, auto image) -> size_t {
        if (image)
            list.push_back(std::move(image));
        return list.size();
    };
    size_t count = 0;
    if (format == QStringLiteral("JPG"))
        count = append(JpgImages, page.player->SnapshotJPEG());
    else if (format == QStringLiteral("PNG"))
        count = append(PngImages, page.player->SnapshotPNG());
    else
        count = append(BmpImages, page.player->SnapshotBitmap());
    if (StopAtBoxz->isChecked() && count >= size_t(std::max(FieldInteger(*stopafter), 0)))
        StopImagesRecording();
}

void TForm1::stopPlayer(FlashPage& page)
{
    if (page.player->Playing()) {
        page.player->StopPlay();
        page.player->Stop();
    }
}

void TForm1::StopGIFRecording()
{
    FlashPage& page = Flash(1);
    page.capture->SetEnabled(false);
    stopPlayer(page);
    m_pages[0].stop->hide();
}

void TForm1::endSoundCapture(FlashPage& page)
{
    if (!m_soundCapture)
        return;
    m_soundCapture = false;
    page.player->SetSoundCapture(false);
    RecordedSound = page.player->TakeCapturedSound();
}

// The recorded sound cut or padded with silence to the length of `frames` pictures.
std::vector<int16_t> TForm1::recordedSpan(size_t frames) const
{
    const uint64_t ms = uint64_t(frames) * uint64_t(std::max(FieldInteger(*DelayEdity), 1));
    std::vector<int16_t> span = RecordedSound;
    span.resize(size_t(ms * 441 / 10) * 2, 0);
    return span;
}

void TForm1::StopAVIRecording()
{
    FlashPage& page = Flash(2);
    page.capture->SetEnabled(false);
    endSoundCapture(page);
    stopPlayer(page);
    m_pages[1].stop->hide();
}

void TForm1::StopImagesRecording()
{
    FlashPage& page = Flash(3);
    page.capture->SetEnabled(false);
    stopPlayer(page);
    m_pages[2].stop->hide();
    if (FormatBoxz->currentText() == QStringLiteral("JPG")) {
        const uint8_t quality = uint8_t(std::clamp(FieldInteger(*QualityEditz), 1, 100));
        for (const std::unique_ptr<TJPEGImage>& image : JpgImages) {
            image->SetQuality(quality);
            image->Compress();
        }
    }
}
