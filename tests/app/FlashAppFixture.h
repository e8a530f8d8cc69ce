// The main window with the real Flash control on a virtual clock, its dialogs
// answered from a script, and movies of known pictures made by the SWF builder.
#pragma once

#include "Registration.h"
#include "Scheduler.h"
#include "Unit1.h"
#include "swf/Writer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// Colour of the square in frame f of a test movie (distinct, saturated).
inline swf::Rgba FrameColour(int f)
{
    static const swf::Rgba colours[] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}};
    return colours[f % 4];
}

// A movie of frames pictures at fps: a white stage under a 40x40 square at (10, 10)
// whose colour changes every frame (red, green, blue, yellow, ...).
inline std::string WriteTestMovie(const QTemporaryDir& dir, const std::string& name, int frames, double fps,
                                  int width = 100, int height = 80)
{
    swf::MovieBuilder b(width, height, fps);
    b.setBackground(swf::Rgba{255, 255, 255, 255});
    std::vector<uint16_t> squares;
    for (int f = 0; f < std::min(frames, 4); ++f)
        squares.push_back(b.addRectangle(swf::Rect{0, 40 * 20, 0, 40 * 20}, FrameColour(f)));
    for (int f = 0; f < frames; ++f) {
        if (f > 0)
            b.remove(1);
        b.place(squares[size_t(f % 4)], 1, swf::Matrix::translate(10 * 20, 10 * 20));
        b.showFrame();
    }
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    EXPECT_TRUE(b.save(path).ok());
    return path;
}

class FlashAppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(flashcontrol::RegisterFlashControlClass(&cookie), S_OK);
        SetApplicationTitle("Tovrane");
        form = std::make_unique<TForm1>();
    }
    void TearDown() override
    {
        form.reset();
        CoRevokeClassObject(cookie);
    }

    void open(int page, const std::string& path)
    {
        dialogs.AnswerFile(path);
        form->OpenFlash(page);
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> all;
        for (const auto& box : dialogs.Boxes)
            all.push_back(box.text);
        return all;
    }
    bool runUntilStopped(int page, int64_t limitMs)
    {
        return clock.RunUntil([&] { return !form->Recording(page); }, limitMs);
    }

    VirtualClock clock;
    ScopedScheduler scheduler{clock};
    ScriptedDialogService dialogs;
    ScopedDialogService useDialogs{dialogs};
    DWORD cookie = 0;
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
};
