#include "sound/Mixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sound {

namespace {

constexpr std::size_t kBlockFrames = 1024;
constexpr int kUnity = 4096; // gains in 1/4096

std::int16_t clip16(std::int32_t v) { return static_cast<std::int16_t>(std::clamp(v, -32768, 32767)); }

// Envelope level (0..32768 as stored) at a position, levels joined by straight lines.
std::pair<int, int> envelopeAt(const std::vector<swf::SoundEnvelopePoint>& points, std::uint64_t pos)
{
    if (pos <= points.front().position44)
        return {points.front().leftLevel, points.front().rightLevel};
    for (std::size_t i = 1; i < points.size(); ++i) {
        const auto& a = points[i - 1];
        const auto& b = points[i];
        if (pos < b.position44) {
            const double t = double(pos - a.position44) / double(b.position44 - a.position44);
            return {int(a.leftLevel + (b.leftLevel - a.leftLevel) * t), int(a.rightLevel + (b.rightLevel - a.rightLevel) * t)};
        }
    }
    return {points.back().leftLevel, points.back().rightLevel};
}

} // namespace

struct Mixer::Gains {
    std::int32_t ll = kUnity, lr = 0, rl = 0, rr = kUnity;
    bool mute() const { return ll == 0 && lr == 0 && rl == 0 && rr == 0; }
};

struct Mixer::Voice {
    VoiceStart start;
    std::size_t pos = 0;      // frame of the sound played next
    std::size_t end = 0;      // one past the last frame of each loop
    std::uint64_t played = 0; // frames played over all loops, for the envelope
    int loopsLeft = 1;
};

struct Mixer::Stream {
    std::string owner;
    std::vector<std::int16_t> queue;
    std::size_t read = 0; // samples of queue already played
    std::size_t frames() const { return (queue.size() - read) / 2; }
};

Mixer::Mixer(std::int64_t nowMs, SoundLimits limits) : m_limits(limits), m_rendered(frameAt(nowMs)) {}

Mixer::~Mixer() = default;

void Mixer::advanceTo(std::int64_t nowMs)
{
    const std::int64_t target = frameAt(nowMs);
    if (target <= m_rendered)
        return;
    std::size_t frames = static_cast<std::size_t>(target - m_rendered);
    m_rendered = target;
    if (m_paused || silent()) {
        emitSilence(frames);
        return;
    }
    std::int32_t acc[kBlockFrames * 2];
    std::int16_t out[kBlockFrames * 2];
    while (frames > 0) {
        const std::size_t n = std::min(frames, kBlockFrames);
        if (silent()) {
            emitSilence(frames);
            break;
        }
        std::fill_n(acc, n * 2, 0);
        mixBlock(acc, n);
        for (std::size_t i = 0; i < n * 2; ++i)
            out[i] = clip16(acc[i]);
        emit(out, n);
        frames -= n;
    }
}

void Mixer::mixBlock(std::int32_t* acc, std::size_t frames)
{
    for (auto it = m_voices.begin(); it != m_voices.end();) {
        if (mixVoice(*it, acc, frames)) {
            ++it;
            continue;
        }
        if (it->start.listener)
            m_completed.push_back(it->start.listener);
        it = m_voices.erase(it);
    }
    for (auto it = m_streams.begin(); it != m_streams.end();) {
        mixStream(it->second, acc, frames);
        it = it->second.frames() == 0 ? m_streams.erase(it) : std::next(it);
    }
}

// Mixes up to `frames` frames of the voice; false once it has ended.
bool Mixer::mixVoice(Voice& v, std::int32_t* acc, std::size_t frames)
{
    const Gains g = gainsFor(v.start.owner);
    const std::int16_t* s = v.start.sound->samples.data();
    const bool envelope = !v.start.envelope.empty();
    for (std::size_t i = 0; i < frames; ++i) {
        std::int32_t left = s[2 * v.pos], right = s[2 * v.pos + 1];
        if (envelope) {
            const auto [el, er] = envelopeAt(v.start.envelope, v.start.startFrame + v.played);
            left = left * el >> 15;
            right = right * er >> 15;
        }
        if (!g.mute()) {
            acc[2 * i] += (left * g.ll + right * g.rl) / kUnity;
            acc[2 * i + 1] += (left * g.lr + right * g.rr) / kUnity;
        }
        ++v.played;
        // A voice ends with its last frame, not at the next block.
        if (++v.pos >= v.end) {
            if (--v.loopsLeft <= 0)
                return false;
            v.pos = v.start.startFrame;
        }
    }
    return true;
}

void Mixer::mixStream(Stream& st, std::int32_t* acc, std::size_t frames)
{
    const Gains g = gainsFor(st.owner);
    const std::size_t n = std::min(frames, st.frames());
    const std::int16_t* s = st.queue.data() + st.read;
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t left = s[2 * i], right = s[2 * i + 1];
        acc[2 * i] += (left * g.ll + right * g.rl) / kUnity;
        acc[2 * i + 1] += (left * g.lr + right * g.rr) / kUnity;
    }
    st.read += n * 2;
    // Drop what was played once it is most of the buffer.
    if (st.read > 1 << 16 && st.read * 2 > st.queue.size()) {
        st.queue.erase(st.queue.begin(), st.queue.begin() + std::ptrdiff_t(st.read));
        st.read = 0;
    }
}

// The owner's settings, then its parents' up to the global object, then the host's.
Mixer::Gains Mixer::gainsFor(const std::string& owner) const
{
    double m[4] = {1, 0, 0, 1}; // out L from L, out L from R, out R from L, out R from R
    auto apply = [&m](const SoundSettings& s) {
        const double v = s.volume / 100.0;
        const double a = s.ll / 100 * v, b = s.rl / 100 * v, c = s.lr / 100 * v, d = s.rr / 100 * v;
        const double n[4] = {a * m[0] + b * m[2], a * m[1] + b * m[3], c * m[0] + d * m[2], c * m[1] + d * m[3]};
        std::copy_n(n, 4, m);
    };
    std::string path = owner;
    while (!path.empty()) {
        if (const SoundSettings* s = findSettings(path))
            apply(*s);
        const std::size_t dot = path.rfind('.');
        path = dot == std::string::npos ? std::string() : path.substr(0, dot);
    }
    if (const SoundSettings* s = findSettings(""))
        apply(*s);
    const double master = m_master / 100.0 * kUnity;
    auto fixed = [master](double x) { return static_cast<std::int32_t>(std::lround(std::clamp(x, -8.0, 8.0) * master)); };
    return Gains{fixed(m[0]), fixed(m[2]), fixed(m[1]), fixed(m[3])};
}

bool Mixer::start(VoiceStart start)
{
    if (!start.sound || start.sound->frames() == 0 || int(m_voices.size()) >= m_limits.maxVoices)
        return false;
    Voice v;
    v.end = std::min(start.endFrame.value_or(start.sound->frames()), start.sound->frames());
    v.pos = std::min(start.startFrame, v.end);
    if (v.pos >= v.end)
        return false;
    v.loopsLeft = std::clamp(start.loops, 1, m_limits.maxLoops);
    std::sort(start.envelope.begin(), start.envelope.end(),
              [](const auto& a, const auto& b) { return a.position44 < b.position44; });
    v.start = std::move(start);
    m_voices.push_back(std::move(v));
    return true;
}

void Mixer::stopSound(int soundId)
{
    std::erase_if(m_voices, [soundId](const Voice& v) { return v.start.soundId == soundId; });
}

void Mixer::stopListener(std::uint64_t listener)
{
    std::erase_if(m_voices, [listener](const Voice& v) { return v.start.listener == listener; });
}

void Mixer::stopOwner(const std::string& path)
{
    if (path.empty()) {
        stopAll();
        return;
    }
    auto inside = [&path](const std::string& owner) {
        return owner == path || (owner.size() > path.size() && owner.compare(0, path.size(), path) == 0 && owner[path.size()] == '.');
    };
    std::erase_if(m_voices, [&](const Voice& v) { return inside(v.start.owner); });
    std::erase_if(m_streams, [&](const auto& entry) { return inside(entry.second.owner); });
}

void Mixer::stopAll()
{
    m_voices.clear();
    m_streams.clear();
}

bool Mixer::isPlaying(int soundId) const
{
    return std::any_of(m_voices.begin(), m_voices.end(), [soundId](const Voice& v) { return v.start.soundId == soundId; });
}

std::optional<std::size_t> Mixer::position(std::uint64_t listener) const
{
    for (auto it = m_voices.rbegin(); it != m_voices.rend(); ++it)
        if (it->start.listener == listener)
            return it->pos;
    return std::nullopt;
}

std::vector<std::uint64_t> Mixer::takeCompleted() { return std::exchange(m_completed, {}); }

void Mixer::streamAppend(const std::string& key, const std::string& owner, const std::int16_t* frames,
                         std::size_t count, bool restart)
{
    Stream& s = m_streams[key];
    s.owner = owner;
    if (restart) {
        s.queue.clear();
        s.read = 0;
    }
    // A stream never runs far ahead of its clock: a few seconds queued is plenty.
    const std::size_t room = std::size_t(m_limits.maxLiveSeconds * 4 * kMixRate);
    count = std::min(count, room > s.frames() ? room - s.frames() : 0);
    s.queue.insert(s.queue.end(), frames, frames + count * 2);
    if (s.frames() == 0)
        m_streams.erase(key);
}

void Mixer::stopStream(const std::string& key) { m_streams.erase(key); }

std::size_t Mixer::streamQueued(const std::string& key) const
{
    auto it = m_streams.find(key);
    return it == m_streams.end() ? 0 : it->second.frames();
}

SoundSettings& Mixer::settings(const std::string& owner) { return m_settings[owner]; }

const SoundSettings* Mixer::findSettings(const std::string& owner) const
{
    auto it = m_settings.find(owner);
    return it == m_settings.end() ? nullptr : &it->second;
}

void Mixer::setSettings(const std::string& owner, const SoundSettings& value) { m_settings[owner] = value; }

void Mixer::forgetClipSettings()
{
    std::erase_if(m_settings, [](const auto& entry) { return !entry.first.empty(); });
}

void Mixer::setMasterVolume(int percent) { m_master = std::clamp(percent, 0, 100); }

void Mixer::setPaused(bool paused) { m_paused = paused; }

void Mixer::setCapture(bool on)
{
    m_capture = on;
    m_captured.clear();
}

std::vector<std::int16_t> Mixer::takeCapture() { return std::exchange(m_captured, {}); }

void Mixer::setLive(bool on)
{
    m_live = on;
    m_liveQueue.clear();
}

std::size_t Mixer::readLive(std::int16_t* out, std::size_t maxFrames)
{
    const std::size_t n = std::min(maxFrames, m_liveQueue.size() / 2);
    std::copy_n(m_liveQueue.begin(), n * 2, out);
    m_liveQueue.erase(m_liveQueue.begin(), m_liveQueue.begin() + std::ptrdiff_t(n * 2));
    return n;
}

void Mixer::emit(const std::int16_t* samples, std::size_t frames)
{
    if (m_capture) {
        const std::size_t cap = std::size_t(m_limits.maxCaptureSeconds * kMixRate) * 2;
        const std::size_t n = std::min(frames * 2, cap - std::min(cap, m_captured.size()));
        m_captured.insert(m_captured.end(), samples, samples + n);
    }
    if (m_live) {
        m_liveQueue.insert(m_liveQueue.end(), samples, samples + frames * 2);
        const std::size_t cap = std::size_t(m_limits.maxLiveSeconds * kMixRate) * 2;
        if (m_liveQueue.size() > cap)
            m_liveQueue.erase(m_liveQueue.begin(), m_liveQueue.end() - std::ptrdiff_t(cap));
    }
}

void Mixer::emitSilence(std::size_t frames)
{
    if (m_capture) {
        const std::size_t cap = std::size_t(m_limits.maxCaptureSeconds * kMixRate) * 2;
        m_captured.resize(std::min(cap, m_captured.size() + frames * 2), 0);
    }
    if (m_live) {
        const std::size_t cap = std::size_t(m_limits.maxLiveSeconds * kMixRate) * 2;
        const std::size_t n = std::min(frames * 2, cap);
        m_liveQueue.insert(m_liveQueue.end(), n, 0);
        if (m_liveQueue.size() > cap)
            m_liveQueue.erase(m_liveQueue.begin(), m_liveQueue.end() - std::ptrdiff_t(cap));
    }
}

} // namespace sound
