// libFuzzer target: read a movie, play and draw its first three frames into a small
// view, click in the middle, and let it play half a second more with its sound mixed.
#include "Player.h"

#include "Scheduler.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    VirtualClock clock;
    flash::PlayerLimits limits;
    limits.maxActionsPerFrame = 20000;
    flash::Player player(&clock, limits);
    player.setSoundCapture(true);
    if (!player.load(std::vector<uint8_t>(data, data + size)))
        return 0;
    player.setViewSize(64, 64);
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    for (int frame = 0; frame < 3; ++frame) {
        if (frame)
            player.advanceFrame();
        player.render({image.bits(), 64, 64, int(image.bytesPerLine())});
    }
    player.mouseDown(32, 32);
    player.mouseUp(32, 32);
    clock.AdvanceBy(500);
    (void)player.takeCapturedSound();
    return 0;
}
