#include "Screenshot.h"

#include "Bitmap.h"
#include "Dialogs.h"
#include "GIFCtrl.h"
#include "Guarded.h"
#include "JPEGImage.h"
#include "RxGIF.h"
#include "SaveFile.h"
#include "Scheduler.h"
#include "Unit1.h"
#include "sf_pngimage.h"
#include "look/AppFont.h"
#include "look/Skin.h"
#include "prev.h"
#include "prev_image_series.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QTabWidget>
#include <cstdio>
#include <filesystem>

void PrepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("tovrane"));
    UseCaptionFont();
    ApplySkin();
    SetApplicationTitle("Tovrane");
}

Windows CreateWindows()
{
    Windows windows;
    windows.main = std::make_unique<TForm1>();
    windows.preview = new TForm2(windows.main.get());
    windows.imagePreview = new TForm4(windows.main.get());
    windows.main->AttachPreviews(windows.preview, windows.imagePreview);
    return windows;
}

QImage RenderWindow(QWidget& window, const std::function<void()>& whileShown)
{
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QApplication::processEvents();
    if (whileShown) {
        whileShown();
        QApplication::processEvents();
    }
    QImage picture = window.grab().toImage();
    window.hide();
    return picture;
}

namespace {

// Fills list with folder/1.ext, folder/2.ext, ... up to the first number missing.
template <typename Image>
void loadSeries(std::vector<std::unique_ptr<Image>>& list, const std::string& folder, const char* extension)
{
    for (int n = 1;; ++n) {
        const std::string path = folder + "/" + std::to_string(n) + extension;
        if (!QFileInfo::exists(QString::fromStdString(path)))
            return;
        auto image = std::make_unique<Image>();
        image->LoadFromFile(path);
        list.push_back(std::move(image));
    }
}

// Puts what the command line opens into the preview window it shows, as the Preview
// buttons do; a message on stderr and false when there is nothing to show.
bool openInPreview(const Windows& windows, const CommandLine& line, std::function<void()>& whileShown)
{
    if (line.openPath.empty())
        return true;
    if (line.window == ScreenshotWindow::ImagePreview) {
        TForm1& main = *windows.main;
        try {
            loadSeries(main.JpgImages, line.openPath, ".jpg");
            loadSeries(main.PngImages, line.openPath, ".png");
            loadSeries(main.BmpImages, line.openPath, ".bmp");
        } catch (const std::exception& error) {
            std::fprintf(stderr, "tovrane: cannot read the images of %s: %s\n", line.openPath.c_str(), error.what());
            return false;
        }
        if (!windows.imagePreview->Prepare()) {
            std::fprintf(stderr, "tovrane: %s holds no 1.jpg, 1.png or 1.bmp\n", line.openPath.c_str());
            return false;
        }
        return true;
    }
    auto gif = std::make_shared<TGIFImage>();
    try {
        gif->LoadFromFile(line.openPath);
    } catch (const std::exception& error) {
        if (gif->Count() == 0) {
            std::fprintf(stderr, "tovrane: cannot read %s: %s\n", line.openPath.c_str(), error.what());
            return false;
        }
        std::fprintf(stderr, "tovrane: %s is damaged (%s); showing the %d frames read\n", line.openPath.c_str(),
                     error.what(), gif->Count());
    }
    if (line.frame > gif->Count()) {
        std::fprintf(stderr, "tovrane: %s has %d frames, not %d\n", line.openPath.c_str(), gif->Count(), line.frame);
        return false;
    }
    windows.preview->Prepare(QStringLiteral("Preview Animated GIF"), true, *gif);
    // Shown, the window is on frame 1; it steps on to the frame asked for as playing would.
    TRxGIFAnimator* animator = windows.preview->RxGIFAnimator1;
    whileShown = [animator, frame = line.frame] {
        for (int i = 1; i < frame; ++i)
            animator->SetFrameIndex(i);
    };
    return true;
}

QWidget& chosenWindow(const Windows& windows, const CommandLine& line)
{
    switch (line.window) {
    case ScreenshotWindow::Preview: return *windows.preview;
    case ScreenshotWindow::ImagePreview: return *windows.imagePreview;
    case ScreenshotWindow::Main: break;
    }
    const int page = line.openFile.empty() ? line.page : TForm1::PageForFile(line.openFile, line.page);
    windows.main->PageControl1->setCurrentIndex(page - 1);
    return *windows.main;
}

// Opens the file on the page with its Open button, answering the dialog, presses
// Play and lets it play in virtual time. False when the page reported an error.
bool playOnPage(TForm1& form, const CommandLine& line)
{
    ScriptedDialogService dialogs;
    ScopedDialogService useDialogs(dialogs);
    bool failed = false;
    dialogs.OnBox = [&](const ScriptedDialogService::Shown& box) {
        if (box.caption == ApplicationTitle()) {
            std::fprintf(stderr, "tovrane: %s\n", box.text.c_str());
            failed = true;
        }
    };
    form.SettingsHintShown = true;
    std::error_code ec;
    dialogs.AnswerFile(std::filesystem::absolute(line.openPath, ec).string());
    if (line.page == 4) {
        RunGuarded([&] { form.OpenVideo(); });
        if (!failed)
            RunGuarded([&] { form.PlayVideo(); });
    } else {
        RunGuarded([&] {
            form.OpenFlash(line.page);
            form.PlayFlash(line.page);
        });
    }
    if (auto* clock = dynamic_cast<VirtualClock*>(&Scheduler::Current()))
        clock->AdvanceBy(line.screenshotPlayMs);
    return !failed;
}

} // namespace

int WriteScreenshot(const CommandLine& line)
{
    Windows windows = CreateWindows();
    if (!line.openFile.empty()) {
        // The picture shows the page with the file open, without the settings hint.
        windows.main->SettingsHintShown = true;
        windows.main->OpenOnPage(TForm1::PageForFile(line.openFile, line.page), line.openFile);
    }
    if (line.window == ScreenshotWindow::Main && !line.openPath.empty() && !playOnPage(*windows.main, line))
        return 1;
    std::function<void()> whileShown;
    if (line.window != ScreenshotWindow::Main && !openInPreview(windows, line, whileShown))
        return 1;
    const QImage picture = RenderWindow(chosenWindow(windows, line), whileShown);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&buffer, "PNG")) {
        std::fprintf(stderr, "tovrane: could not render the window\n");
        return 1;
    }
    try {
        WriteFileSafely(line.screenshotFile, [&](TStream& stream) { stream.WriteBuffer(png.constData(), size_t(png.size())); });
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tovrane: %s\n", error.what());
        return 1;
    }
    return 0;
}
