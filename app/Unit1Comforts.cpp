// What people expect of a desktop window beyond the pages' own controls: files dropped
// on a page (or named on the command line) open there, closing asks before work is
// lost, a recording page counts its frames, and the main buttons have shortcut keys.
#include "Unit1.h"

#include "Dialogs.h"
#include "JPEGImage.h"
#include "RxGIF.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string lowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

// Answers the first open dialog with a file chosen beforehand and hands every other
// dialog and box to the service that was in place.
class ChosenFileDialogs : public DialogService {
public:
    ChosenFileDialogs(DialogService& next, std::string path) : m_next(next), m_path(std::move(path)) {}

    bool used() const { return m_used; }

    bool RunFileDialog(TOpenDialog& dialog) override
    {
        if (m_used || dialog.IsSave())
            return m_next.RunFileDialog(dialog);
        m_used = true;
        dialog.FileName = m_path;
        return true;
    }
    bool RunSelectDirectory(const std::string& caption, const std::string& root, std::string& directory) override
    {
        return m_next.RunSelectDirectory(caption, root, directory);
    }
    void RunMessageBox(MessageKind kind, const std::string& caption, const std::string& text) override
    {
        m_next.RunMessageBox(kind, caption, text);
    }
    bool RunQuestion(const std::string& caption, const std::string& text) override
    {
        return m_next.RunQuestion(caption, text);
    }

private:
    DialogService& m_next;
    std::string m_path;
    bool m_used = false;
};

// The single local file a drag carries, or empty.
std::string draggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return {};
    return data->urls().front().toLocalFile().toStdString();
}

QString withKey(const QString& what, const QKeySequence& key)
{
    return QStringLiteral("%1 (%2)").arg(what, key.toString(QKeySequence::NativeText));
}

} // namespace

int TForm1::PageForFile(const std::string& path, int shownPage)
{
    const std::string extension = lowerExtension(path);
    if (extension == ".swf" || extension == ".flv")
        return shownPage >= 1 && shownPage <= 3 ? shownPage : 1;
    static const char* const videos[] = {".avi", ".mp4", ".m4v", ".mkv", ".webm", ".mov", ".mpg", ".mpeg", ".wmv", ".ogv"};
    if (std::find(std::begin(videos), std::end(videos), extension) != std::end(videos))
        return 4;
    return 0;
}

bool TForm1::OpenOnPage(int number, const std::string& path)
{
    if (number < 1 || number > int(m_pages.size()))
        return false;
    PageControl1->setCurrentIndex(number - 1);
    ChosenFileDialogs dialogs(DialogService::Current(), path);
    ScopedDialogService scope(dialogs);
    m_pages.at(size_t(number - 1)).open->click();
    return dialogs.used();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    const std::string path = draggedFile(event->mimeData());
    const int shown = PageControl1->currentIndex() + 1;
    if (!path.empty() && PageForFile(path, shown) == shown)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const std::string path = draggedFile(event->mimeData());
    const int shown = PageControl1->currentIndex() + 1;
    if (path.empty() || PageForFile(path, shown) != shown) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opening may show a box; its loop must not run inside the drag's own.
    QTimer::singleShot(0, this, [this, shown, path] { OpenOnPage(shown, path); });
}

bool TForm1::UnsavedResult() const
{
    const bool gifUnsaved = RecordedGIF && RecordedGIF->Count() > 0 &&
                            (RecordedGIF.get() != m_savedGif || RecordedGIF->Count() != m_savedGifFrames);
    const bool imagesUnsaved = !(JpgImages.empty() && PngImages.empty() && BmpImages.empty()) && !m_imagesSaved;
    return gifUnsaved || imagesUnsaved;
}

void TForm1::ResultSaved(int number)
{
    if (number == 3) {
        m_imagesSaved = true;
    } else if (RecordedGIF) {
        m_savedGif = RecordedGIF.get();
        m_savedGifFrames = RecordedGIF->Count();
    }
}

bool TForm1::CloseQuestionAnswered()
{
    bool recording = false;
    for (int number = 1; number <= 4; ++number)
        recording = recording || Recording(number);
    if (recording)
        return WarningQuestion("A recording is still running. Close Tovrane and lose it?");
    if (UnsavedResult())
        return WarningQuestion("The last recording has not been saved. Close Tovrane and lose it?");
    return true;
}

void TForm1::ShowRecordingProgress(int number, size_t frames, int32_t elapsedMs)
{
    QGroupBox& box = *m_pages.at(size_t(number - 1)).box;
    QString& before = m_titleBeforeRecording[size_t(number - 1)];
    if (!Recording(number)) {
        if (!before.isEmpty()) {
            box.setTitle(before);
            before.clear();
        }
        return;
    }
    if (before.isEmpty())
        before = box.title();
    const QString title = QStringLiteral("%1 - recording: %2 %3, %4 s")
                              .arg(before)
                              .arg(frames)
                              .arg(frames == 1 ? QStringLiteral("frame") : QStringLiteral("frames"))
                              .arg(double(std::max(elapsedMs, 0)) / 1000.0, 0, 'f', 1);
    if (box.title() != title)
        box.setTitle(title);
}

void TForm1::showFlashProgress(int number)
{
    size_t frames = 0;
    if (number == 3)
        frames = JpgImages.size() + PngImages.size() + BmpImages.size();
    else if (RecordedGIF)
        frames = size_t(RecordedGIF->Count());
    ShowRecordingProgress(number, frames, *Flash(number).elapsed);
}

void TForm1::togglePlay(int number)
{
    // Space still presses a focused button or opens a focused list.
    QWidget* focus = QApplication::focusWidget();
    if (auto* button = qobject_cast<QAbstractButton*>(focus)) {
        button->click();
        return;
    }
    if (auto* list = qobject_cast<QComboBox*>(focus)) {
        list->showPopup();
        return;
    }
    const PreviewPage& page = m_pages.at(size_t(number - 1));
    const bool playing = number <= 3 ? Flash(number).player->Playing() : m_videoPlaying;
    (playing ? page.pause : page.play)->click();
}

void TForm1::setUpComforts()
{
    setAcceptDrops(true);
    const QKeySequence open(QKeySequence::Open), save(QKeySequence::Save), playPause(Qt::Key_Space);
    for (int number = 1; number <= 4; ++number) {
        const PreviewPage& page = m_pages[size_t(number - 1)];
        // Parented to the page's sheet, a key works only while that page is shown.
        auto bind = [&](const QKeySequence& key, std::function<void()> action) {
            auto* shortcut = new QShortcut(key, page.sheet);
            shortcut->setObjectName(QStringLiteral("Shortcut%1-%2").arg(number).arg(key.toString()));
            connect(shortcut, &QShortcut::activated, this, std::move(action));
        };
        QPushButton* openButton = page.open;
        QPushButton* saveButton = page.save;
        bind(open, [openButton] { openButton->click(); });
        bind(save, [saveButton] { saveButton->click(); });
        bind(playPause, [this, number] { togglePlay(number); });
        page.open->setToolTip(withKey(number == 4 ? QStringLiteral("Open a video") : QStringLiteral("Open a Flash movie"), open));
        page.play->setToolTip(withKey(QStringLiteral("Play"), playPause));
        page.pause->setToolTip(withKey(QStringLiteral("Pause"), playPause));
        page.save->setToolTip(withKey(QStringLiteral("Save the result"), save));
    }
    const PreviewPage& video = m_pages[3];
    connect(video.play, &QPushButton::clicked, this, [this] { m_videoPlaying = true; });
    connect(video.pause, &QPushButton::clicked, this, [this] { m_videoPlaying = false; });
}
