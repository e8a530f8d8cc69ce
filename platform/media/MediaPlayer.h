// The media player of the video page: a device opened on a video file that plays,
// pauses, stops and seeks, counts positions and the length in frames, and draws the
// current picture into a rectangle of its display window, scaled. Its frame clock is
// a TTimer on the program's scheduler, so a video plays in virtual time as it does in
// real time. Failures raise EMCIDeviceError with the device's text.
#pragma once

#include "Exceptions.h"
#include "Timer.h"
#include "Types.h"
#include "VideoSource.h"

#include <functional>
#include <memory>
#include <string>

class TWinControl;

namespace media {
class VideoLayer;
}

enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
// The device a file plays on: chosen from the file when DeviceType is dtAutoSelect.
enum TMPDeviceTypes { dtAutoSelect, dtAVIVideo, dtMPEGVideo };

class EMCIDeviceError : public Exception {
public:
    explicit EMCIDeviceError(const std::string& message) : Exception(message) {}
};

class TMediaPlayer {
public:
    explicit TMediaPlayer(Scheduler* scheduler = nullptr);  // null: the current scheduler
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    std::string FileName;
    TMPDeviceTypes DeviceType = dtAutoSelect;
    // Picture sizes the device refuses to open.
    media::Limits Limits;
    // Called (posted, after the handler that is running) when a Play runs to its end.
    std::function<void(TMediaPlayer&)> OnNotify;

    // The window the video is drawn into; taken at the next Open.
    TWinControl* Display() const { return m_display; }
    void SetDisplay(TWinControl* window) { m_display = window; }

    // Closes what is open, opens FileName and shows its first picture, stopped, at
    // the video's own size in the top-left corner of the display.
    void Open();
    void Close();
    // Plays from the current position; from the start when it stands at the end.
    void Play();
    void Stop();
    // Pauses a playing device; resumes a paused one.
    void Pause();
    void Resume();
    // Moves to the start, stopped.
    void Rewind();

    bool IsOpen() const { return m_source != nullptr; }
    // Frame shown, 0 to Length (Length once a Play ran to the end); 0 when closed.
    int Position() const { return m_position; }
    // Moves to frame position and stops there.
    void SetPosition(int position);
    // Frames in the video; 0 when closed.
    int Length() const { return m_length; }
    TMPModes Mode() const { return m_mode; }
    // The device chosen at the last Open.
    TMPDeviceTypes OpenedDevice() const { return m_device; }
    // Frames per second of the open video (0 when closed).
    double FrameRate() const;

    // The part of the display the video is drawn into, scaled. Right and bottom 0
    // stand for the video's own size. Kept when nothing is open.
    TRect DisplayRect() const { return m_rect; }
    void SetDisplayRect(const TRect& rect);

private:
    void requireOpen(const char* action) const;
    void tick();
    void armForNextFrame();
    void show();
    void reachEnd();
    void placeLayer();

    TTimer m_clock;
    std::unique_ptr<media::VideoSource> m_source;
    std::unique_ptr<media::VideoLayer> m_layer;
    TWinControl* m_display = nullptr;
    TMPModes m_mode = mpNotReady;
    TMPDeviceTypes m_device = dtAutoSelect;
    TRect m_rect;
    int m_position = 0;
    int m_length = 0;
    // Where the running Play started, in frames and clock milliseconds.
    int m_playFrom = 0;
    int64_t m_playStartMs = 0;
    // Lets a posted notification know whether the player still exists.
    std::shared_ptr<bool> m_alive;
};
