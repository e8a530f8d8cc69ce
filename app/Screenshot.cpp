#include "Screenshot.h"

#include "Dialogs.h"
#include "SaveFile.h"
#include "Unit1.h"
#include "look/AppFont.h"
#include "look/Skin.h"
#include "prev.h"
#include "prev_image_series.h"

#include <QApplication>
#include <QBuffer>
#include <QTabWidget>
#include <cstdio>

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
    const int page = line.openFile.empty() ? line.page : TForm1::PageForFile(line.openFile, line.page);
    windows.main->PageControl1->setCurrentIndex(page - 1);
    return *windows.main;
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
