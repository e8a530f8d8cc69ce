// The host with our real Flash control: movies made by the SWF writer load through
// the bind service, play on the virtual clock and are captured as pictures.
#include "Bitmap.h"
#include "Canvas.h"
#include "Registration.h"
#include "Scheduler.h"
#include "Stream.h"
#include "WideString.h"
#include "swf/Writer.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kW = 100, kH = 80;

// Five frames at 10 fps: an opaque red square moving right by 10 px a frame, and a
// half-transparent red bar that stays.
std::string writeMovie()
{
    swf::MovieBuilder b(kW, kH, 10.0);
    b.setBackground(swf::Rgba{0, 0, 255, 255});
    auto square = b.addRectangle(swf::Rect{0, 20 * 20, 0, 20 * 20}, swf::Rgba{255, 0, 0, 255});
    auto bar = b.addRectangle(swf::Rect{0, 20 * 20, 0, 10 * 20}, swf::Rgba{255, 0, 0, 128});
    b.place(bar, 2, swf::Matrix::translate(60 * 20, 60 * 20));
    for (int f = 0; f < 5; ++f) {
        swf::Matrix m = swf::Matrix::translate(f * 10 * 20, 0);
        if (f == 0)
            b.place(square, 1, m);
        else
            b.move(1, m);
        b.showFrame();
    }
    fs::path file = fs::temp_directory_path() / ("tovrane-real-" + std::to_string(::getpid()) + ".swf");
    EXPECT_TRUE(b.save(file.string()).ok());
    return file.string();
}

struct RealControlTest : ::testing::Test {
    VirtualClock clock;
    ScopedScheduler useClock{clock};
    DWORD cookie = 0;
    TWinControl panel;
    std::string path = writeMovie();

    RealControlTest()
    {
        EXPECT_EQ(flashcontrol::RegisterFlashControlClass(&cookie), S_OK);
        panel.SetBounds(0, 0, 300, 200);
        panel.SetColor(clBlack);
    }
    ~RealControlTest() override
    {
        CoRevokeClassObject(cookie);
        fs::remove(path);
    }

    std::unique_ptr<TsfFlashPlayer> open(const std::u16string& url)
    {
        auto player = std::make_unique<TsfFlashPlayer>(&panel);
        EXPECT_FALSE(player->CreateFailed());
        player->SetColor(clWhite);
        player->SetTransparent(false);
        player->SetBounds(0, 0, kW, kH);
        player->SetMovie(u"");
        player->LoadMovie(0, url);
        player->Stop();
        player->Rewind();
        return player;
    }
};

std::u16string backslashed(std::string p)
{
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return Utf8ToWide(p);
}

} // namespace

TEST_F(RealControlTest, LoadsWithEitherSeparatorAndPlaysOnTheVirtualClock)
{
    for (const std::u16string& url : {Utf8ToWide(path), backslashed(path)}) {
        auto player = open(url);
        EXPECT_EQ(player->TotalFrames(), 5) << WideToUtf8(url);
        EXPECT_EQ(player->CurrentFrame(), 0);
        player->SetLoop(false);
        player->Play();
        EXPECT_TRUE(player->Playing());
        clock.AdvanceBy(250);
        EXPECT_EQ(player->CurrentFrame(), 2);
        clock.AdvanceBy(1000);
        EXPECT_EQ(player->CurrentFrame(), 4);  // stays on its last frame
        EXPECT_FALSE(player->Playing());
    }
}

TEST_F(RealControlTest, CapturesShowTheComposedFrame)
{
    auto player = open(Utf8ToWide(path));
    player->GotoFrame(2);
    clock.ProcessMessages();

    // CopyFrameTo: the composed frame, over the movie's blue stage (the control draws
    // without it, the host composes the frame over it), not the player's white.
    TBitmap frame(kW, kH, pf32bit);
    player->CopyFrameTo(frame.Canvas());
    EXPECT_EQ(frame.GetPixel(25, 10), clRed);    // the square at x 20..40
    EXPECT_EQ(frame.GetPixel(5, 10), clBlue);    // nothing drawn: the stage
    EXPECT_EQ(frame.GetPixel(5, 70), clBlue);

    // SnapshotBitmap renders afresh and shows the same.
    auto snapshot = player->SnapshotBitmap();
    EXPECT_EQ(snapshot->GetPixel(5, 10), clBlue);
    EXPECT_EQ(snapshot->GetPixel(25, 10), clRed);

    // A colour given to the player takes the stage's place (the control repaints).
    player->SetBackgroundColor(int(clLime));
    player->CopyFrameTo(frame.Canvas());
    EXPECT_EQ(frame.GetPixel(5, 10), clLime);
    EXPECT_EQ(player->SnapshotBitmap()->GetPixel(5, 70), clLime);
    player->SetBackgroundColor(-1);

    // SnapshotPNG: alpha and straight colour of the half-transparent bar.
    auto png = player->SnapshotPNG();
    EXPECT_NEAR(png->AlphaRow(65)[70], 0x80, 1);
    TColor bar = png->Pixels(70, 65);
    EXPECT_NEAR(GetRValue(bar), 255, 1);
    EXPECT_EQ(GetGValue(bar), 0);
    EXPECT_EQ(png->AlphaRow(10)[25], 255);
    EXPECT_EQ(png->AlphaRow(10)[5], 0);
    TMemoryStream out;
    png->SaveToStream(out);
    const uint8_t* ihdr = out.Memory() + 16;
    EXPECT_EQ((ihdr[2] << 8) | ihdr[3], kW);
    EXPECT_EQ((ihdr[6] << 8) | ihdr[7], kH);
    EXPECT_EQ(ihdr[8], 16);
    EXPECT_EQ(ihdr[9], 6);
}

namespace {

// A movie whose first frame starts a 200 ms tone of 1 kHz, 44.1 kHz stereo.
std::string writeSoundMovie()
{
    swf::MovieBuilder b(kW, kH, 10.0);
    swf::Sound s;
    s.format = {swf::SoundFormat::UncompressedLittleEndian, 3, true, true};
    for (int i = 0; i < 8820; ++i) {
        const int16_t v = int16_t(std::lround(std::sin(2 * M_PI * 1000 * i / 44100.0) * 16000));
        for (int c = 0; c < 2; ++c) {
            s.data.push_back(uint8_t(v));
            s.data.push_back(uint8_t(uint16_t(v) >> 8));
        }
    }
    s.sampleCount = 8820;
    swf::StartSound start;
    start.soundId = b.add(s);
    b.control(start);
    b.showFrame();
    b.showFrame();
    fs::path file = fs::temp_directory_path() / ("tovrane-sound-" + std::to_string(::getpid()) + ".swf");
    EXPECT_TRUE(b.save(file.string()).ok());
    return file.string();
}

int16_t peak(const std::vector<int16_t>& samples)
{
    int16_t p = 0;
    for (int16_t s : samples)
        p = std::max<int16_t>(p, int16_t(std::abs(int(s))));
    return p;
}

} // namespace

TEST_F(RealControlTest, TheHostTakesTheMovieSoundAtItsVolume)
{
    const std::string sound = writeSoundMovie();
    auto player = open(Utf8ToWide(sound));
    ASSERT_TRUE(player->HasSound());
    // Out of range and unchanged volumes are ignored; 50 halves every sound.
    player->SetVolume(101);
    player->SetVolume(-1);
    EXPECT_EQ(player->Volume(), 100);
    player->SetVolume(50);
    EXPECT_EQ(player->Volume(), 50);

    player->SetSoundCapture(true);
    player->Play();
    clock.AdvanceBy(100);
    player->SetSoundCapture(false);
    const std::vector<int16_t> taken = player->TakeCapturedSound();
    EXPECT_EQ(taken.size(), 2u * 4410);
    EXPECT_NEAR(peak(taken), 8000, 40);
    EXPECT_TRUE(player->TakeCapturedSound().empty());   // taken once

    // The live feed gives what was mixed since the last read.
    player->SetLiveSound(true);
    clock.AdvanceBy(50);
    std::vector<int16_t> live(2 * 44100);
    EXPECT_EQ(player->ReadLiveSound(live.data(), 44100), 2205u);
    EXPECT_EQ(player->ReadLiveSound(live.data(), 44100), 0u);
    player->SetLiveSound(false);
    fs::remove(sound);
}
