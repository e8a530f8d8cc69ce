#include "Program.h"

#include "AudioOutput.h"
#include "sf_flash.h"

#include "CommandLine.h"
#include "Convert.h"
#include "Registration.h"
#include "player/RenderCommand.h"
#include "QtClock.h"
#include "QtDialogService.h"
#include "Screenshot.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
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

int runWindows(QApplication& app)
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
    // Nothing is shown: offscreen even where a display exists.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareQtEnvironment(true);
    int qtArgc = std::min(argc, 1);
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
    return flash::RunRenderCommand(line.subcommandArgs, std::cout, std::cerr);
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

    PrepareQtEnvironment(line.action == ProgramAction::Screenshot);
    int qtArgc = std::min(argc, 1);  // our options are not Qt's
    QApplication app(qtArgc, argv);
    PrepareApplication();
    FlashControlRegistration flashControl;
    if (line.action == ProgramAction::Screenshot)
        return WriteScreenshot(line);
    return runWindows(app);
}
