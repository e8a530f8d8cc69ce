#include "MediaPlayer.h"

#include "Controls.h"
#include "Scheduler.h"
#include "VideoLayer.h"

#include <algorithm>

using media::VideoLayer;
using media::VideoSource;

TMediaPlayer::TMediaPlayer(Scheduler* scheduler)
    : m_clock(scheduler), m_layer(std::make_unique<VideoLayer>()), m_alive(std::make_shared<bool>(true))
{
    m_clock.SetEnabled(false);
    m_clock.SetOnTimer([this] { tick(); });
}

TMediaPlayer::~TMediaPlayer()
{
    m_clock.SetEnabled(false);
    m_layer->SetParent(nullptr);
}

void TMediaPlayer::requireOpen(const char* action) const
{
    if (!m_source)
        throw EMCIDeviceError(std::string("cannot ") + action + " " + FileName + ": no video is open");
}

void TMediaPlayer::Open()
{
    Close();
    if (FileName.empty())
        throw EMCIDeviceError("cannot open a video: no file name given");
    std::string error;
    std::unique_ptr<VideoSource> source = VideoSource::Open(FileName, Limits, error);
    if (!source)
        throw EMCIDeviceError("cannot open " + FileName + ": " + error);
    m_source = std::move(source);
    m_device = DeviceType != dtAutoSelect ? DeviceType : m_source->IsAvi() ? dtAVIVideo : dtMPEGVideo;
    m_length = m_source->FrameCount();
    m_position = 0;
    m_mode = mpStopped;
    m_rect = Rect(0, 0, m_source->Width(), m_source->Height());
    placeLayer();
}

void TMediaPlayer::Close()
{
    m_clock.SetEnabled(false);
    m_source.reset();
    m_mode = mpNotReady;
    m_position = m_length = 0;
    m_layer->Clear();
    if (TWinControl* window = m_layer->Parent()) {
        m_layer->SetParent(nullptr);
        window->Repaint();
    }
}

void TMediaPlayer::placeLayer()
{
    if (!m_display || !m_source)
        return;
    m_layer->SetParent(m_display);
    m_layer->SetBounds(m_rect.Left, m_rect.Top, m_rect.Width(), m_rect.Height());
    m_layer->Update(*m_source);
    m_display->Repaint();
}

void TMediaPlayer::show()
{
    if (m_layer->Parent()) {
        m_layer->Update(*m_source);
        m_layer->Invalidate();
    }
}

double TMediaPlayer::FrameRate() const
{
    return m_source ? double(m_source->RateNum()) / m_source->RateDen() : 0.0;
}

void TMediaPlayer::SetDisplayRect(const TRect& rect)
{
    m_rect = rect;
    if (m_source && rect.Right == 0 && rect.Bottom == 0)
        m_rect = Bounds(rect.Left, rect.Top, m_source->Width(), m_source->Height());
    placeLayer();
}

void TMediaPlayer::Play()
{
    requireOpen("play");
    if (m_mode == mpPlaying)
        return;
    if (m_position >= m_length)
        Rewind();
    m_playFrom = m_position;
    m_playStartMs = m_clock.Owner().NowMs();
    m_mode = mpPlaying;
    armForNextFrame();
}

void TMediaPlayer::Stop()
{
    // Stopping a device that is not open changes nothing: what failed to open says so
    // when it is opened again.
    if (!m_source)
        return;
    m_clock.SetEnabled(false);
    m_mode = mpStopped;
}

void TMediaPlayer::Pause()
{
    requireOpen("pause");
    if (m_mode == mpPaused) {
        Resume();
        return;
    }
    if (m_mode == mpPlaying) {
        m_clock.SetEnabled(false);
        m_mode = mpPaused;
    }
}

void TMediaPlayer::Resume()
{
    requireOpen("resume");
    if (m_mode == mpPaused) {
        m_mode = mpStopped;
        Play();
    }
}

void TMediaPlayer::Rewind() { SetPosition(0); }

void TMediaPlayer::SetPosition(int position)
{
    requireOpen("seek in");
    m_clock.SetEnabled(false);
    m_mode = mpStopped;
    position = std::clamp(position, 0, m_length);
    const int frame = std::min(position, m_length - 1);
    if (!m_source->SeekTo(frame)) {
        // The stream ends before the length it declared.
        m_length = std::max(1, std::min(m_length, m_source->CurrentFrame() + 1));
        position = std::min(position, m_length);
    }
    m_position = position;
    show();
}

void TMediaPlayer::armForNextFrame()
{
    // Frame k of this Play is due k / rate seconds after it started, rounded up to
    // the millisecond, so a tick never shows a frame early.
    const int64_t frames = int64_t(m_position + 1 - m_playFrom);
    const int64_t num = m_source->RateNum(), den = m_source->RateDen();
    const int64_t due = m_playStartMs + (frames * 1000 * den + num - 1) / num;
    const int64_t wait = std::max<int64_t>(1, due - m_clock.Owner().NowMs());
    // From a tick the timer counts from now whether or not the interval changes; from
    // Play it was off, and enabling starts its count.
    m_clock.SetInterval(unsigned(std::min<int64_t>(wait, 1 << 30)));
    m_clock.SetEnabled(true);
}

void TMediaPlayer::tick()
{
    if (m_mode != mpPlaying || !m_source) {
        m_clock.SetEnabled(false);
        return;
    }
    const int64_t elapsed = m_clock.Owner().NowMs() - m_playStartMs;
    const int64_t target = m_playFrom + elapsed * m_source->RateNum() / (1000 * int64_t(m_source->RateDen()));
    if (target >= m_length) {
        reachEnd();
        return;
    }
    if (target > m_position) {
        if (!m_source->AdvanceTo(int(target))) {
            m_length = std::max(1, m_source->CurrentFrame() + 1);
            reachEnd();
            return;
        }
        m_position = int(target);
        show();
    }
    armForNextFrame();
}

void TMediaPlayer::reachEnd()
{
    // The last picture stays; the device stands at the end, stopped.
    if (!m_source->AdvanceTo(m_length - 1))
        m_length = std::max(1, m_source->CurrentFrame() + 1);
    show();
    m_position = m_length;
    m_mode = mpStopped;
    m_clock.SetEnabled(false);
    std::weak_ptr<bool> alive = m_alive;
    m_clock.Owner().Post([this, alive] {
        if (alive.lock() && OnNotify)
            OnNotify(*this);
    });
}
