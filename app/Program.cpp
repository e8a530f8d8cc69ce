#include "Program.h"

#include "AudioOutput.h"
#include "sf_flash.h"

#include "CommandLine.h"
#include "Convert.h"
#include "ConvertBatch.h"
#include "Registration.h"
#include "player/RenderCommand.h"
#include "QtClock.h"
#include "QtDialogService.h"
#include "RenderGif.h"
#include "SaveFile.h"
#include "Screenshot.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Kept for the life of the program: Qt refuses a runtime folder others can read.
std::unique_ptr<QTemporaryDir>& runtimeFolder()
{
    static std::unique_ptr<QTemporaryDir> folder;
    return folder;
}

int runWindows(QApplication& app, const CommandLine& line)
{
    RealTimeClock clock;
    ScopedScheduler scheduler(clock);
    QtDialogService dialogs;
    ScopedDialogService dialogService(dialogs);

    Windows windows = CreateWindows();
    windows.main->show();
    TForm1& form = *windows.main;
    auto audio = std::make_unique<MovieAudioOutput>([&form] {
        std::vector<TsfFlashPlayer*> players;
        for (int page = 1; page <= 3; ++page)
            players.push_back(form.Flash(page).player);
        return players;
    });
    if (!line.openFile.empty()) {
        TForm1* main = windows.main.get();
        const std::string path = line.openFile;
        QTimer::singleShot(0, main, [main, path] { main->OpenOnPage(TForm1::PageForFile(path, 1), path); });
    }
    const int code = app.exec();
    audio.reset();
    windows = {};  // the windows and their timers go before the clock
    return code;
}

// The Flash control, registered for the life of the program: without it the players
// stay inert.
class FlashControlRegistration {
public:
    FlashControlRegistration() { m_registered = flashcontrol::RegisterFlashControlClass(&m_cookie) == S_OK; }
    ~FlashControlRegistration()
    {
        if (m_registered)
            CoRevokeClassObject(m_cookie);
    }

private:
    DWORD m_cookie = 0;
    bool m_registered = false;
};

int runConvert(const CommandLine& line, int argc, char** argv)
{
    std::string error;
    std::optional<ConvertRequest> request = ParseConvertArguments(line.subcommandArgs, error);
    if (!request) {
        std::fprintf(stderr, "tovrane convert: %s\nTry 'tovrane convert --help'.\n", error.c_str());
        return 2;
    }
    if (request->help) {
        std::fputs(ConvertUsageText().c_str(), stdout);
        return 0;
    }
    if (const std::string missing = MissingOutputFolder(*request); !missing.empty()) {
        std::fprintf(stderr, "tovrane convert: error: the output folder %s does not exist; nothing was converted\n",
                     missing.c_str());
        return 1;
    }
    // Nothing is shown: offscreen even where a display exists.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareQtEnvironment(true);
    int qtArgc = std::min(argc, 1);
    if (request->jobs.size() > 1 && BatchProcesses(*request) > 1) {
        QCoreApplication batch(qtArgc, argv);
        return RunConvertBatch(*request, QCoreApplication::applicationFilePath().toStdString(), std::cerr);
    }
    QApplication app(qtArgc, argv);
    PrepareApplication();
    FlashControlRegistration flashControl;
    return RunConvert(*request, std::cerr);
}

int runRender(const CommandLine& line, int argc, char** argv)
{
    PrepareQtEnvironment(true);
    int qtArgc = std::min(argc, 1);
    QGuiApplication app(qtArgc, argv);
    // The input's first bytes decide: GIF frames are composed as the preview shows them.
    const auto& args = line.subcommandArgs;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--frame" || args[i] == "--size")
            ++i;
        else if (args[i].rfind("-", 0) != 0)
            return LooksLikeGif(args[i]) ? RunGifRender(args, std::cout, std::cerr)
                                         : flash::RunRenderCommand(args, std::cout, std::cerr);
    }
    return flash::RunRenderCommand(line.subcommandArgs, std::cout, std::cerr);
}

// Why a file named on the command line cannot be opened, or empty.
std::string FileToOpenRefusal(const std::string& path)
{
    if (path.empty())
        return {};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return "cannot open " + path + ": no such file";
    if (TForm1::PageForFile(path, 1) == 0)
        return "cannot open " + path + ": neither a Flash movie (SWF, FLV) nor a video (AVI)";
    return {};
}

} // namespace

void PrepareQtEnvironment(bool offscreenWithoutDisplay)
{
    if (offscreenWithoutDisplay && !hasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tovrane-runtime-XXXXXX"));
        if (folder->isValid()) {
            QFile::setPermissions(folder->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder->path()));
            runtimeFolder() = std::move(folder);
        }
    }
}

int RunProgram(int argc, char** argv)
{
    // Ctrl-C, a closed terminal or a file-size limit never leave a half-written file.
    RemoveTemporaryFilesOnSignals();
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    switch (line.action) {
    case ProgramAction::Help:
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    case ProgramAction::Version:
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    case ProgramAction::UsageError:
        std::fprintf(stderr, "tovrane: %s\nTry 'tovrane --help'.\n", line.error.c_str());
        return 2;
    case ProgramAction::Convert:
        return runConvert(line, argc, argv);
    case ProgramAction::Render:
        return runRender(line, argc, argv);
    case ProgramAction::Screenshot:
    case ProgramAction::Windows:
        break;
    }

    if (const std::string refusal = FileToOpenRefusal(line.openFile); !refusal.empty()) {
        std::fprintf(stderr, "tovrane: %s\n", refusal.c_str());
        return 1;
    }
    PrepareQtEnvironment(line.action == ProgramAction::Screenshot);
    int qtArgc = std::min(argc, 1);  // our options are not Qt's
    QApplication app(qtArgc, argv);
    PrepareApplication();
    FlashControlRegistration flashControl;
    if (line.action == ProgramAction::Screenshot)
        return WriteScreenshot(line);
    return runWindows(app, line);
}
