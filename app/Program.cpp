#include "Program.h"

#include "CommandLine.h"
#include "QtClock.h"
#include "QtDialogService.h"
#include "Screenshot.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
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
    const int code = app.exec();
    windows = {};  // the windows and their timers go before the clock
    return code;
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
    case ProgramAction::Screenshot:
    case ProgramAction::Windows:
        break;
    }

    PrepareQtEnvironment(line.action == ProgramAction::Screenshot);
    int qtArgc = std::min(argc, 1);  // our options are not Qt's
    QApplication app(qtArgc, argv);
    PrepareApplication();
    if (line.action == ProgramAction::Screenshot)
        return WriteScreenshot(line);
    return runWindows(app);
}
