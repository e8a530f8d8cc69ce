#include "AudioOutput.h"

#include "sf_flash.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>

namespace {

constexpr int kRate = 44100;
constexpr unsigned kPullMs = 20;

} // namespace

MovieAudioOutput::MovieAudioOutput(PlayerList players) : m_players(std::move(players))
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(kRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isNull() || !device.isFormatSupported(format))
        return;
    m_sink = std::make_unique<QAudioSink>(device, format);
    // A tenth of a second in hand: enough for a late tick, little enough to stay in step.
    m_sink->setBufferSize(kRate / 10 * 4);
    m_device = m_sink->start();
    if (!m_device) {
        m_sink.reset();
        return;
    }
    m_timer.SetInterval(kPullMs);
    m_timer.SetOnTimer([this] { pull(); });
    m_timer.SetEnabled(true);
}

MovieAudioOutput::~MovieAudioOutput()
{
    m_timer.SetEnabled(false);
    for (TsfFlashPlayer* player : m_listening)
        player->SetLiveSound(false);
    if (m_sink)
        m_sink->stop();
}

void MovieAudioOutput::pull()
{
    const std::vector<TsfFlashPlayer*> players = m_players();
    for (TsfFlashPlayer* player : players) {
        if (std::find(m_listening.begin(), m_listening.end(), player) == m_listening.end() && player->HasSound()) {
            player->SetLiveSound(true);
            m_listening.push_back(player);
        }
    }
    // What every player mixed since the last tick, added together.
    const size_t room = size_t(std::max<qsizetype>(0, m_sink->bytesFree())) / 4;
    m_mix.assign(room * 2, 0);
    m_part.resize(kRate * 2);
    size_t longest = 0;
    for (TsfFlashPlayer* player : m_listening) {
        const size_t n = player->ReadLiveSound(m_part.data(), kRate);
        for (size_t i = 0; i < std::min(n, room) * 2; ++i)
            m_mix[i] = int16_t(std::clamp(int(m_mix[i]) + m_part[i], -32768, 32767));
        longest = std::max(longest, std::min(n, room));
    }
    if (longest > 0)
        m_device->write(reinterpret_cast<const char*>(m_mix.data()), qint64(longest * 4));
}
