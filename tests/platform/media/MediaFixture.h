// A media player on a virtual clock drawing into a white toolkit window, and videos
// of known pictures made by ffmpeg in a temporary folder.
#pragma once

#include "Controls.h"
#include "MediaPlayer.h"
#include "Scheduler.h"
#include "TestVideos.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

class MediaFixture : public ::testing::Test {
protected:
    static constexpr int W = 64, H = 48;

    static std::string folder()
    {
        const auto path = std::filesystem::temp_directory_path() / ("tovrane-media-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }
    static void TearDownTestSuite()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder(), ec);
    }

    // A video of frames pictures at fps, made once per name.
    static std::string video(const std::string& name, const char* codecArgs, int frames, int fps, int w = W, int h = H)
    {
        const std::string path = folder() + "/" + name;
        if (!std::filesystem::exists(path)) {
            EXPECT_TRUE(testvideo::Make(path, codecArgs, w, h, frames, fps)) << name;
        }
        return path;
    }

    void SetUp() override
    {
        window.SetColor(clWhite);
        window.SetBounds(0, 0, 200, 150);
        window.Repaint();
        player.SetDisplay(&window);
    }

    uint32_t pixel(int x, int y)
    {
        const TSurface s = window.Surface();
        return s.pixels[size_t(y) * size_t(s.width) + size_t(x)] & 0xFFFFFFu;
    }
    // Which frame the top-left w x h of the window shows, and how far from it.
    std::pair<int, double> shown(int frames, int w = W, int h = H)
    {
        return testvideo::NearestFrame(w, h, frames, [this](int x, int y) { return pixel(x, y); });
    }

    VirtualClock clock;
    TWinControl window;
    TMediaPlayer player{&clock};
};
