// The movie's sound: timeline event sounds and stream blocks, button sounds and the
// Sound objects of scripts, all played through the mixer on the player's clock.
#include "PlayerCore.h"

#include "ButtonObject.h"
#include "MediaUrl.h"

#include "Scheduler.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

// The most a stream block may hold once decoded: SWF blocks carry one frame's worth.
constexpr size_t kMaxBlockFrames = sound::kMixRate * 10;

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

sound::Mixer& PlayerCore::mixer()
{
    m_mixer->advanceTo(m_scheduler.NowMs());
    return *m_mixer;
}

void PlayerCore::resetSound()
{
    mixer().stopAll();
    m_mixer->takeCompleted();
    m_mixer->setPaused(false);
    m_mixer->forgetClipSettings();
    m_sounds.clear();
    m_soundBytes = 0;
    m_streamStates.clear();
    m_soundObjects.clear();
    m_soundLoads.clear();
}

std::shared_ptr<const sound::PcmSound> PlayerCore::decodedSound(uint16_t id)
{
    auto it = m_sounds.find(id);
    if (it != m_sounds.end())
        return it->second;
    std::shared_ptr<const sound::PcmSound> decoded;
    if (const swf::Sound* s = m_movie ? m_movie->find<swf::Sound>(id) : nullptr) {
        swf::Result<sound::PcmSound> pcm = sound::decodeSound(*s, m_mixer->limits());
        const size_t bytes = pcm.ok() ? pcm->samples.size() * sizeof(int16_t) : 0;
        if (pcm.ok() && m_soundBytes + bytes <= m_mixer->limits().maxCachedBytes) {
            m_soundBytes += bytes;
            decoded = std::make_shared<const sound::PcmSound>(std::move(pcm).value());
        }
    }
    m_sounds[id] = decoded;
    return decoded;
}

void PlayerCore::playEventSound(uint16_t id, const swf::SoundInfo& info, const std::string& owner, uint64_t listener)
{
    sound::Mixer& mix = mixer();
    if (info.syncStop) {
        mix.stopSound(id);
        return;
    }
    if (info.syncNoMultiple && mix.isPlaying(id))
        return;
    playSound(decodedSound(id), id, info, owner, listener);
}

void PlayerCore::playSound(std::shared_ptr<const sound::PcmSound> pcm, uint16_t id, const swf::SoundInfo& info,
                           const std::string& owner, uint64_t listener)
{
    if (!pcm)
        return;
    sound::Mixer& mix = mixer();
    sound::VoiceStart v;
    v.sound = std::move(pcm);
    v.soundId = id;
    v.owner = owner;
    v.listener = listener;
    v.startFrame = info.inPoint.value_or(0);
    if (info.outPoint)
        v.endFrame = *info.outPoint;
    v.loops = std::max<int>(1, info.loopCount.value_or(1));
    v.envelope = info.envelope;
    mix.start(std::move(v));
}

void PlayerCore::startSound(const swf::StartSound& start, MovieClip& clip)
{
    uint16_t id = start.soundId;
    if (start.className && m_movie) {
        id = 0;
        for (const swf::ExportedAsset& asset : m_movie->exports)
            if (asset.name == *start.className)
                id = asset.id;
    }
    if (id != 0)
        playEventSound(id, start.info, clip.targetPath(), 0);
}

void PlayerCore::soundStreamBlock(const swf::SoundStreamBlock& block, MovieClip& clip, int frame)
{
    const std::optional<swf::SoundStreamHead>& head = clip.timeline().soundStreamHead;
    if (!head)
        return;
    sound::Mixer& mix = mixer();
    const std::string key = clip.targetPath();
    StreamState& state = m_streamStates[key];
    if (!state.decoder)
        state.decoder = std::make_unique<sound::StreamDecoder>(head->stream, true);
    // Frames in order continue the stream; any jump starts it again at this block.
    const bool restart = frame != state.lastFrame + 1;
    state.lastFrame = frame;
    if (restart)
        state.decoder->reset();
    std::vector<int16_t> pcm;
    state.decoder->decode(block.data, restart, pcm, kMaxBlockFrames);
    mix.streamAppend(key, key, pcm.data(), pcm.size() / 2, restart);
}

void PlayerCore::buttonSound(ButtonObject& button, uint16_t transition)
{
    const auto& sounds = button.button().sounds;
    if (!sounds || !button.parent)
        return;
    int index = -1;
    switch (transition) {
    case swf::OverUpToIdle: index = 0; break;
    case swf::IdleToOverUp: index = 1; break;
    case swf::OverUpToOverDown: index = 2; break;
    case swf::OverDownToOverUp: index = 3; break;
    default: return;
    }
    const swf::ButtonSound& s = (*sounds)[size_t(index)];
    if (s.soundId != 0)
        playEventSound(s.soundId, s.info, button.parent->targetPath(), 0);
}

void PlayerCore::stopSounds() { mixer().stopAll(); }

PlayerCore::SoundObjectEntry* PlayerCore::soundObjectOf(const avm1::Object* object)
{
    for (SoundObjectEntry& entry : m_soundObjects)
        if (entry.object.lock().get() == object)
            return &entry;
    return nullptr;
}

avm1::Value PlayerCore::soundCall(const std::shared_ptr<avm1::Object>& object, const std::string& call,
                                  const std::vector<avm1::Value>& args)
{
    using avm1::Value;
    const int version = swfVersion();
    auto number = [&](size_t i, double fallback) {
        const double n = i < args.size() ? avm1::toNumber(args[i], version) : fallback;
        return std::isfinite(n) ? n : fallback;
    };
    auto exportedSound = [&](const std::string& name) -> uint16_t {
        if (!m_movie)
            return 0;
        for (const swf::ExportedAsset& asset : m_movie->exports)
            if (sameNameIgnoringCase(asset.name, name) && m_movie->find<swf::Sound>(asset.id))
                return asset.id;
        return 0;
    };
    if (call == "create") {
        std::erase_if(m_soundObjects, [](const SoundObjectEntry& e) { return e.object.expired(); });
        m_soundObjects.push_back({object, args.empty() ? std::string() : args[0].text, 0, m_nextListener++});
        object->set("duration", Value::fromNumber(0));
        object->set("position", Value::fromNumber(0));
        return Value{};
    }
    SoundObjectEntry* entry = soundObjectOf(object.get());
    if (!entry)
        return Value{};
    sound::Mixer& mix = mixer();
    sound::SoundSettings& settings = mix.settings(entry->owner);
    if (call == "attachSound") {
        const std::string name = args.empty() ? std::string() : avm1::toString(args[0], version);
        entry->soundId = exportedSound(name);
        const auto pcm = entry->soundId ? decodedSound(entry->soundId) : nullptr;
        object->set("duration", Value::fromNumber(pcm ? std::floor(pcm->frames() * 1000.0 / sound::kMixRate) : 0));
        object->set("position", Value::fromNumber(0));
    } else if (call == "loadSound") {
        const std::string url = args.empty() ? std::string() : avm1::toString(args[0], version);
        const bool streaming = args.size() > 1 && avm1::toBoolean(args[1], version);
        entry->soundId = 0;
        entry->loaded.reset();
        if (!url.empty())
            m_soundLoads.push_back({object, resolveMediaUrl(m_url, url), streaming});
    } else if (call == "start") {
        if (entry->loaded) {
            swf::SoundInfo info;
            info.inPoint = uint32_t(std::clamp(number(0, 0), 0.0, 1e6) * sound::kMixRate);
            info.loopCount = uint16_t(std::clamp(number(1, 1), 1.0, double(mix.limits().maxLoops)));
            playSound(entry->loaded, 0, info, entry->owner, entry->listener);
            return Value{};
        }
        if (entry->soundId == 0)
            return Value{};
        const double offset = std::clamp(number(0, 0), 0.0, 1e6);
        const double loops = std::clamp(number(1, 1), 1.0, double(mix.limits().maxLoops));
        swf::SoundInfo info;
        info.inPoint = uint32_t(offset * sound::kMixRate);
        info.loopCount = uint16_t(loops);
        playEventSound(entry->soundId, info, entry->owner, entry->listener);
    } else if (call == "stop") {
        if (!args.empty() && !args[0].isNullish()) {
            if (const uint16_t id = exportedSound(avm1::toString(args[0], version)))
                mix.stopSound(id);
        } else {
            mix.stopOwner(entry->owner);
        }
    } else if (call == "setVolume") {
        settings.volume = std::clamp(number(0, settings.volume), -1e4, 1e4);
    } else if (call == "getVolume") {
        return Value::fromNumber(settings.volume);
    } else if (call == "setPan") {
        const int pan = int(std::clamp(number(0, 0), -100.0, 100.0));
        settings.pan = pan;
        settings.ll = pan > 0 ? 100 - pan : 100;
        settings.rr = pan < 0 ? 100 + pan : 100;
        settings.lr = settings.rl = 0;
    } else if (call == "getPan") {
        return Value::fromNumber(settings.pan);
    } else if (call == "setTransform") {
        if (!args.empty() && args[0].type == Value::Type::Object) {
            auto part = [&](const char* name, double& into) {
                const Value v = args[0].object->get(name);
                const double n = v.isUndefined() ? into : avm1::toNumber(v, version);
                if (std::isfinite(n))
                    into = std::clamp(n, -1e4, 1e4);
            };
            part("ll", settings.ll);
            part("lr", settings.lr);
            part("rl", settings.rl);
            part("rr", settings.rr);
        }
    } else if (call == "getTransform") {
        auto t = m_interpreter->newObject();
        t->set("ll", Value::fromNumber(settings.ll));
        t->set("lr", Value::fromNumber(settings.lr));
        t->set("rl", Value::fromNumber(settings.rl));
        t->set("rr", Value::fromNumber(settings.rr));
        return Value::fromObject(t);
    } else if (call == "getDuration") {
        return object->get("duration");
    } else if (call == "getPosition") {
        if (std::optional<size_t> pos = mix.position(entry->listener))
            return Value::fromNumber(std::floor(*pos * 1000.0 / sound::kMixRate));
        return object->get("position");
    }
    return Value{};
}

void PlayerCore::serveSoundLoads(int& loadsLeft)
{
    while (!m_soundLoads.empty() && loadsLeft > 0) {
        const SoundLoad load = m_soundLoads.front();
        m_soundLoads.pop_front();
        --loadsLeft;
        const std::shared_ptr<avm1::Object> object = load.object.lock();
        SoundObjectEntry* entry = object ? soundObjectOf(object.get()) : nullptr;
        if (!entry)
            continue;
        std::optional<std::vector<uint8_t>> bytes;
        if (m_callbacks.fetch)
            bytes = m_callbacks.fetch(load.url, m_limits.maxFetchBytes);
        std::shared_ptr<const sound::PcmSound> pcm;
        if (bytes && bytes->size() <= m_limits.maxFetchBytes) {
            // An MP3 file is the body of an MP3 DefineSound without its seek samples.
            swf::Sound file;
            file.format = {swf::SoundFormat::Mp3, 3, true, true};
            file.data = {0, 0};
            file.data.insert(file.data.end(), bytes->begin(), bytes->end());
            swf::Result<sound::PcmSound> decoded = sound::decodeSound(file, m_mixer->limits());
            if (decoded.ok() && decoded->frames() > 0)
                pcm = std::make_shared<const sound::PcmSound>(std::move(decoded).value());
        }
        entry->loaded = pcm;
        object->set("duration", avm1::Value::fromNumber(pcm ? std::floor(pcm->frames() * 1000.0 / sound::kMixRate) : 0));
        if (pcm && load.streaming)
            playSound(pcm, 0, {}, entry->owner, entry->listener);
        const avm1::Value handler = object->get("onLoad");
        if (m_interpreter && handler.type == avm1::Value::Type::Object && handler.object->isFunction()) {
            std::vector<avm1::Value> args{avm1::Value::fromBool(pcm != nullptr)};
            m_interpreter->callFunction(handler, avm1::Value::fromObject(object), args);
        }
        if (!m_root)
            return;
    }
}

// After each frame: the positions scripts read, and onSoundComplete for the Sound
// objects whose sounds ended since the last frame.
void PlayerCore::serveSounds()
{
    sound::Mixer& mix = mixer();
    for (SoundObjectEntry& entry : m_soundObjects)
        if (std::shared_ptr<avm1::Object> object = entry.object.lock())
            if (std::optional<size_t> pos = mix.position(entry.listener))
                object->set("position", avm1::Value::fromNumber(std::floor(*pos * 1000.0 / sound::kMixRate)));
    for (uint64_t listener : mix.takeCompleted()) {
        if (!m_interpreter)
            return;
        for (const SoundObjectEntry& entry : std::vector<SoundObjectEntry>(m_soundObjects)) {
            std::shared_ptr<avm1::Object> object = entry.object.lock();
            if (!object || entry.listener != listener || mix.position(listener))
                continue;
            object->set("position", object->get("duration"));
            const avm1::Value handler = object->get("onSoundComplete");
            if (handler.type == avm1::Value::Type::Object && handler.object->isFunction()) {
                std::vector<avm1::Value> none;
                m_interpreter->callFunction(handler, avm1::Value::fromObject(object), none);
            }
        }
    }
}

}  // namespace flash
