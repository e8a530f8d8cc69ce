// The main window's video page on a virtual clock, its dialogs answered from a
// script, and videos of known pictures made by ffmpeg.
#pragma once

#include "Bitmap.h"
#include "RxGIF.h"
#include "Scheduler.h"
#include "TestVideos.h"
#include "Unit1.h"
#include "Unit1PreviewArea.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

class VideoPageFixture : public ::testing::Test {
protected:
    static constexpr int W = 64, H = 48, Frames = 20, Fps = 10;

    void SetUp() override
    {
        SetApplicationTitle("Tovrane");
        form = std::make_unique<TForm1>();
    }
    void TearDown() override { form.reset(); }

    std::string video(const std::string& name, const char* codecArgs = testvideo::Kinds[0].codecArgs, int w = W,
                      int h = H, int frames = Frames, int fps = Fps)
    {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        EXPECT_TRUE(testvideo::Make(path, codecArgs, w, h, frames, fps)) << name;
        return path;
    }
    void open(const std::string& path)
    {
        dialogs.AnswerFile(path);
        form->OpenVideo();
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> all;
        for (const auto& box : dialogs.Boxes)
            all.push_back(box.text);
        return all;
    }
    const PreviewPage& page() const { return form->Page(4); }
    TMPModes mode() const { return form->MediaPlayer1.Mode(); }
    int position() const { return form->MediaPlayer1.Position(); }
    // Runs the monitor (and everything else) for ms of virtual time.
    void wait(int64_t ms) { clock.AdvanceBy(ms); }

    // Which frame of a W x H test video a recorded frame shows.
    static std::pair<int, double> frameShown(TGIFFrame& frame, int frames = Frames)
    {
        TBitmap& bitmap = *frame.Bitmap();
        return testvideo::NearestFrame(W, H, frames, [&](int x, int y) {
            const TColor c = bitmap.GetPixel(x, y);  // red in the low byte
            return uint32_t(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
        });
    }

    VirtualClock clock;
    ScopedScheduler scheduler{clock};
    ScriptedDialogService dialogs;
    ScopedDialogService useDialogs{dialogs};
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
};
