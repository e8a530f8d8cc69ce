// Saving the Flash pages' results, and their Preview buttons.
#include "Unit1.h"

#include "Bitmap.h"
#include "FlashHostView.h"
#include "GIFCtrl.h"
#include "JPEGImage.h"
#include "OutputName.h"
#include "RxGIF.h"
#include "VideoChoice.h"
#include "WavFile.h"
#include "controls/FileField.h"
#include "controls/SpinEdit.h"
#include "prev.h"
#include "prev_image_series.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <algorithm>
#include <string>

namespace {

const char* const Grey = "灰階";

// Writes every image of a list to folder/1.ext, folder/2.ext, ...
template <typename List>
void WriteSeries(const List& images, const std::string& folder, const std::string& extension)
{
    // The folder's own separator: a backslash here would be part of a file name.
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (size_t i = 0; i < images.size(); ++i)
        images[i]->SaveToFile(base + std::to_string(i + 1) + extension);
}

} // namespace

void TForm1::SaveGIF()
{
    FlashPage& page = Flash(1);
    if (Recording(1))
        StopGIFRecording();
    if (!RecordedGIF || RecordedGIF->Count() == 0) {
        WarningBox("GIF is empty. Please open Flash file, then click \"Start GIF Recording\"\r\nto create animated GIF.");
        return;
    }
    Timer1x.SetEnabled(false);
    if (!page.player->Movie().empty())
        stopPlayer(page);
    RecordedGIF->SetLooping(false);
    if (LoopBoxx->isChecked()) {
        RecordedGIF->SetLooping(true);
        RecordedGIF->SetRepeatCount(0);
    }
    if (DepthBoxx->currentText() == QString::fromUtf8(Grey))
        RecordedGIF->Grayscale(true);
    SaveDialog1x.Title = "儲存檔案";
    static const std::vector<VideoFormat> animations = {VideoFormat::WebP, VideoFormat::Apng};
    SaveDialog1x.Filter = "GIF 檔案|*.gif|" + VideoFilters(animations);
    SaveDialog1x.FileName.clear();
    SaveDialog1x.FilterIndex = 1;
    if (SaveDialog1x.Execute() && !SaveDialog1x.FileName.empty()) {
        const std::string& chosen = SaveDialog1x.FileName;
        if (auto format = ChosenVideoFormat(chosen, SaveDialog1x.FilterIndex, animations, ".gif")) {
            saveVideo(1, *format, VideoOutputName(chosen, *format));
            page.view->Host().Repaint();
            return;
        }
        const std::string name = ApplyOutputName(SaveDialog1x.FileName, ".gif");
        RecordedGIF->SaveToFile(name);
        ResultSaved(1);
        PlainBox("GIF was successfully saved to " + name);
    }
    page.view->Host().Repaint();
}

void TForm1::SaveAVI()
{
    FlashPage& page = Flash(2);
    if (AviWriter1.Bitmaps().Count() < 1) {
        WarningBox("AVI is empty. Please open Flash file, then click \"Start AVI Recording\"\r\nto create AVI.");
        return;
    }
    Timer1y.SetEnabled(false);
    page.capture->SetEnabled(false);
    endSoundCapture(page);
    if (!page.player->Movie().empty())
        stopPlayer(page);
    const std::string wav = WavFiley->fileName().toStdString();
    if (!wav.empty())
        AviWriter1.SetWavFileName(wav);
    AviWriter1.MovieSound().clear();
    // A movie that made no sound in the span gets no sound track.
    const bool heard = std::any_of(RecordedSound.begin(), RecordedSound.end(), [](int16_t s) { return s != 0; });
    if (RecordSoundy->isChecked() && heard)
        AviWriter1.MovieSound() = recordedSpan(size_t(AviWriter1.Bitmaps().Count()));
    AviWriter1.SetFrameTime(FieldInteger(*DelayEdity));
    static const std::pair<const char*, TPixelFormat> depths[] = {
        {"24 bit(位)", pf24bit}, {"8 bit(位)", pf8bit}, {"4 bit(位)", pf4bit}, {"黑色/白色", pf1bit}};
    for (const auto& [entry, format] : depths) {
        if (DepthBoxy->currentText() == QString::fromUtf8(entry))
            AviWriter1.SetDepth(format);
    }
    AviWriter1.Bitmaps().Pack();
    SaveDialog1y.Title = "儲存檔案";
    static const std::vector<VideoFormat> videos = {VideoFormat::Mp4, VideoFormat::WebM, VideoFormat::Mkv};
    SaveDialog1y.Filter = "音訊視訊交錯格式 (AVI)|*.avi|" + VideoFilters(videos);
    SaveDialog1y.FileName.clear();
    SaveDialog1y.FilterIndex = 1;
    if (SaveDialog1y.Execute() && !SaveDialog1y.FileName.empty()) {
        const std::string& chosen = SaveDialog1y.FileName;
        if (auto format = ChosenVideoFormat(chosen, SaveDialog1y.FilterIndex, videos, ".avi")) {
            saveVideo(2, *format, VideoOutputName(chosen, *format));
            AviWriter1.Bitmaps().Clear();
            page.view->Host().Repaint();
            return;
        }
        const std::string name = ApplyOutputName(SaveDialog1y.FileName, ".avi");
        AviWriter1.SetFileName(name);
        AviWriter1.WriteAvi();
        ResultSaved(2);
        PlainBox("AVI was successfully saved to " + name);
        AviWriter1.Bitmaps().Clear();
    }
    page.view->Host().Repaint();
}

void TForm1::SaveAVISound()
{
    FlashPage& page = Flash(2);
    page.capture->SetEnabled(false);
    endSoundCapture(page);
    if (AviWriter1.Bitmaps().Count() < 1 || RecordedSound.empty()) {
        WarningBox("There is no movie sound recorded. Please open Flash file, then click \"Start AVI Recording\".");
        return;
    }
    if (!page.player->Movie().empty())
        stopPlayer(page);
    SaveDialog1y.Title = "儲存檔案";
    SaveDialog1y.Filter = "WAV 檔案|*.wav";
    SaveDialog1y.FileName.clear();
    if (SaveDialog1y.Execute() && !SaveDialog1y.FileName.empty()) {
        const std::string name = ApplyOutputName(SaveDialog1y.FileName, ".wav");
        const std::vector<int16_t> span = recordedSpan(size_t(AviWriter1.Bitmaps().Count()));
        std::vector<uint8_t> bytes(span.size() * 2);
        for (size_t i = 0; i < span.size(); ++i) {
            bytes[2 * i] = uint8_t(uint16_t(span[i]));
            bytes[2 * i + 1] = uint8_t(uint16_t(span[i]) >> 8);
        }
        WriteWavFile(name, PcmFormatBlock(2, 44100, 16), bytes.data(), bytes.size());
        PlainBox("WAV was successfully saved to " + name);
    }
}

void TForm1::SaveImages()
{
    FlashPage& page = Flash(3);
    if (Recording(3))
        StopImagesRecording();
    if (JpgImages.empty() && PngImages.empty() && BmpImages.empty()) {
        WarningBox("Images are not recorded yet. Please open Flash file, then click \"Start Recording\".");
        return;
    }
    Timer1z.SetEnabled(false);
    if (!page.player->Movie().empty())
        stopPlayer(page);
    std::string folder;
    if (!SelectDirectoryDialog(SelectDirectoryTitle, "", folder))
        return;
    if (!JpgImages.empty()) {
        WriteSeries(JpgImages, folder, ".jpg");
        ResultSaved(3);
        PlainBox("JPG images where successfully saved to " + folder + " as 1.jpg, 2.jpg ... etc.");
    }
    if (!PngImages.empty()) {
        WriteSeries(PngImages, folder, ".png");
        ResultSaved(3);
        PlainBox("PNG images where successfully saved to " + folder + " as 1.png, 2.png ... etc.");
    }
    if (!BmpImages.empty()) {
        WriteSeries(BmpImages, folder, ".bmp");
        ResultSaved(3);
        PlainBox("BMP images where successfully saved to " + folder + " as 1.bmp, 2.bmp ... etc.");
    }
}

void TForm1::PreviewGIF()
{
    if (Recording(1))
        StopGIFRecording();
    showGifPreview(*LoopBoxx, *DepthBoxx);
}

void TForm1::PreviewVideoGIF()
{
    if (Recording(4))
        return;
    showGifPreview(*LoopBox, *DepthBox);
}

void TForm1::showGifPreview(const QCheckBox& loop, const QComboBox& depth)
{
    if (!RecordedGIF || RecordedGIF->Count() == 0) {
        WarningBox("Cannot preview: there is no GIF recorded.");
        return;
    }
    if (!Form2)
        return;
    Form2->setWindowTitle(QStringLiteral("Preview Animated GIF"));
    Form2->RxGIFAnimator1->SetLoop(loop.isChecked());
    // Grey is applied to the recording itself, and stays.
    if (depth.currentText() == QString::fromUtf8(Grey))
        RecordedGIF->Grayscale(false);
    Form2->RxGIFAnimator1->SetImage(RecordedGIF.get());
    Form2->ShowModal();
}

void TForm1::PreviewAVI()
{
    if (Recording(2))
        return;
    if (AviWriter1.Bitmaps().Count() < 1) {
        WarningBox("Cannot preview: there is no AVI recorded.");
        return;
    }
    if (Form2) {
        // Played once, each frame for its own delay, in the depth it was captured at.
        Form2->Prepare(QStringLiteral("Preview Video (AVI)"), false, *RecordedGIF);
        Form2->ShowModal();
    }
}

void TForm1::PreviewImages()
{
    if (Recording(3))
        StopImagesRecording();
    if (JpgImages.empty() && PngImages.empty() && BmpImages.empty()) {
        WarningBox("Cannot preview: there are no images recorded.");
        return;
    }
    if (Form4 && Form4->Prepare())
        Form4->ShowModal();
}
