// Test entry for tests that need a Qt application object. Without a display the
// offscreen platform is chosen, so the tests run the same on a headless machine.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <unistd.h>
#include <QtGlobal>
#include <cstdlib>
#include <string>

#ifdef TOVRANE_TEST_GUI_ONLY
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        std::string dir = QDir::tempPath().toStdString() + "/tovrane-runtime-" + std::to_string(getuid());
        QDir().mkpath(QString::fromStdString(dir));
        QFile::setPermissions(QString::fromStdString(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.c_str());
    }
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
