#include "NetStream.h"

#include <algorithm>
#include <cmath>

namespace flash {

void NetStreamPlayback::request(std::string url)
{
    close();
    m_url = std::move(url);
    m_state = State::Waiting;
}

bool NetStreamPlayback::start(const std::vector<uint8_t>& bytes, int64_t nowMs)
{
    swf::Result<swf::FlvFile> flv = swf::readFlv(bytes);
    if (!flv.ok()) {
        m_state = State::Failed;
        return false;
    }
    m_flv = std::move(flv).value();
    m_times.clear();
    m_stream = swf::flvVideoStream(m_flv, &m_times);
    m_video = std::make_unique<VideoObject>(m_stream);
    m_bytes = double(bytes.size());
    m_baseMs = 0;
    m_startedAt = nowMs;
    m_paused = m_stopped = false;
    m_frame = -1;
    m_audio.reset();
    if (!m_flv.audio.empty()) {
        const uint8_t f = m_flv.audio.front().flags;
        const swf::SoundFormatInfo format{swf::SoundFormat(f >> 4), uint8_t((f >> 2) & 3), bool(f & 2), bool(f & 1)};
        m_audio = std::make_unique<sound::StreamDecoder>(format, false, m_flv.aacConfig);
    }
    m_nextAudio = 0;
    m_audioUntilMs = -1;
    m_state = State::Playing;
    return true;
}

void NetStreamPlayback::takeAudio(int64_t nowMs, double aheadMs, std::vector<int16_t>& out, bool& restart)
{
    restart = false;
    if (m_state != State::Playing || !m_audio || !m_audio->usable() || m_paused || m_stopped)
        return;
    const double at = positionMs(nowMs);
    // A jump (seek, or the first call): start from the first tag at the new place.
    if (m_audioUntilMs < 0 || at < m_audioUntilMs - aheadMs - 1000 || at > m_audioUntilMs + 1000) {
        m_nextAudio = size_t(std::lower_bound(m_flv.audio.begin(), m_flv.audio.end(), at,
                                              [](const swf::FlvAudioTag& t, double ms) { return t.timeMs < ms; }) -
                             m_flv.audio.begin());
        m_audio->reset();
        restart = true;
        m_audioUntilMs = at;
    }
    while (m_nextAudio < m_flv.audio.size() && m_flv.audio[m_nextAudio].timeMs < at + aheadMs) {
        const swf::FlvAudioTag& tag = m_flv.audio[m_nextAudio++];
        m_audio->decode(tag.data, false, out, size_t(sound::kMixRate) * 10);
        m_audioUntilMs = tag.timeMs;
    }
}

void NetStreamPlayback::close()
{
    m_audio.reset();
    m_video.reset();
    m_stream = {};
    m_flv = {};
    m_times.clear();
    m_frame = -1;
    m_bytes = 0;
    m_state = State::Closed;
}

double NetStreamPlayback::endMs() const
{
    double end = m_times.empty() ? 0 : m_times.back();
    if (!m_flv.audio.empty())
        end = std::max(end, double(m_flv.audio.back().timeMs));
    for (const auto& [name, value] : m_flv.metadata)
        if (name == "duration" && std::holds_alternative<double>(value) && std::isfinite(std::get<double>(value)))
            end = std::max(end, std::min(std::get<double>(value), 1e9) * 1000);
    return end;
}

double NetStreamPlayback::positionMs(int64_t nowMs) const
{
    if (m_state != State::Playing)
        return 0;
    const double running = m_paused || m_stopped ? 0 : double(nowMs - m_startedAt);
    return std::clamp(m_baseMs + running, 0.0, endMs());
}

void NetStreamPlayback::pause(std::optional<bool> paused, int64_t nowMs)
{
    if (m_state != State::Playing)
        return;
    m_baseMs = positionMs(nowMs);
    m_startedAt = nowMs;
    m_paused = paused.value_or(!m_paused);
    m_audioUntilMs = -1;   // the sound starts again where the picture is
}

void NetStreamPlayback::seek(double seconds, int64_t nowMs)
{
    if (m_state != State::Playing || !std::isfinite(seconds))
        return;
    m_baseMs = std::clamp(seconds * 1000, 0.0, endMs());
    m_startedAt = nowMs;
    m_stopped = false;
    m_audioUntilMs = -1;
}

double NetStreamPlayback::timeSeconds(int64_t nowMs) const { return positionMs(nowMs) / 1000; }

bool NetStreamPlayback::update(int64_t nowMs)
{
    if (m_state != State::Playing)
        return false;
    const double at = positionMs(nowMs);
    // The last frame whose time has come.
    const auto next = std::upper_bound(m_times.begin(), m_times.end(), at,
                                       [](double t, uint32_t frameTime) { return t < double(frameTime); });
    m_frame = int(next - m_times.begin()) - 1;
    if (!m_stopped && !m_paused && at >= endMs()) {
        m_baseMs = at;
        m_startedAt = nowMs;
        m_stopped = true;
        return true;
    }
    return false;
}

const video::VideoImage* NetStreamPlayback::picture()
{
    if (m_state != State::Playing || !m_video || m_frame < 0)
        return nullptr;
    return m_video->pictureFor(static_cast<uint16_t>(std::min(m_frame, 0xFFFF)));
}

}  // namespace flash
