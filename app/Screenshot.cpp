#include "Screenshot.h"

#include "Dialogs.h"
#include "Guarded.h"
#include "SaveFile.h"
#include "Scheduler.h"
#include "Unit1.h"
#include "look/AppFont.h"
#include "look/Skin.h"
#include "prev.h"
#include "prev_image_series.h"

#include <QApplication>
#include <QBuffer>
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

QImage RenderWindow(QWidget& window)
{
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QApplication::processEvents();
    QImage picture = window.grab().toImage();
    window.hide();
    return picture;
}

namespace {

QWidget& chosenWindow(const Windows& windows, const CommandLine& line)
{
    switch (line.window) {
    case ScreenshotWindow::Preview: return *windows.preview;
    case ScreenshotWindow::ImagePreview: return *windows.imagePreview;
    case ScreenshotWindow::Main: break;
    }
    windows.main->PageControl1->setCurrentIndex(line.page - 1);
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
    dialogs.AnswerFile(std::filesystem::absolute(line.screenshotOpen, ec).string());
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
    if (!line.screenshotOpen.empty() && !playOnPage(*windows.main, line))
        return 1;
    const QImage picture = RenderWindow(chosenWindow(windows, line));
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
