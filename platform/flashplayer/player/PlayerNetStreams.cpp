// NetStream and Video from scripts: play() asks for a file that is fetched at the
// start of a later frame advance; from then on each advance moves the stream to the
// clock's time, tells the script object and repaints when the picture changes.
#include "PlayerCore.h"

#include <cstdint>

#include "MediaUrl.h"
#include "NetStream.h"
#include "VideoClip.h"

#include "Scheduler.h"

#include <cmath>

namespace flash {

namespace {

// A script making streams in a loop gets no more than this many.
constexpr size_t kMaxNetStreams = 64;

avm1::Value metaValue(const swf::FlvMetaValue& v)
{
    if (const double* n = std::get_if<double>(&v))
        return avm1::Value::fromNumber(*n);
    if (const bool* b = std::get_if<bool>(&v))
        return avm1::Value::fromBool(*b);
    return avm1::Value::fromString(std::get<std::string>(v));
}

}  // namespace

PlayerCore::NetStreamEntry* PlayerCore::netStreamOf(const avm1::Object* object)
{
    for (NetStreamEntry& entry : m_netStreams)
        if (!entry.object.expired() && entry.object.lock().get() == object)
            return &entry;
    return nullptr;
}

void PlayerCore::netStreamCall(const std::shared_ptr<avm1::Object>& stream, const std::string& call,
                               const std::vector<avm1::Value>& args)
{
    if (!stream)
        return;
    NetStreamEntry* entry = netStreamOf(stream.get());
    if (call == "create") {
        std::erase_if(m_netStreams, [](const NetStreamEntry& e) { return e.object.expired(); });
        if (!entry && m_netStreams.size() < kMaxNetStreams)
            m_netStreams.push_back({stream, std::make_shared<NetStreamPlayback>()});
        stream->set("time", avm1::Value::fromNumber(0));
        stream->set("bytesLoaded", avm1::Value::fromNumber(0));
        stream->set("bytesTotal", avm1::Value::fromNumber(0));
        return;
    }
    if (!entry)
        return;
    NetStreamPlayback& playback = *entry->playback;
    const int64_t now = m_scheduler.NowMs();
    const int version = swfVersion();
    if (call == "play" && !args.empty()) {
        const std::string url = avm1::toString(args[0], version);
        playback.request(url.empty() ? std::string() : resolveMediaUrl(m_url, url));
    } else if (call == "pause") {
        std::optional<bool> paused;
        if (!args.empty() && !args[0].isUndefined())
            paused = avm1::toBoolean(args[0], version);
        playback.pause(paused, now);
        mixer().stopStream("netstream:" + std::to_string(reinterpret_cast<uintptr_t>(&playback)));
    } else if (call == "seek" && !args.empty()) {
        playback.seek(avm1::toNumber(args[0], version), now);
    } else if (call == "close") {
        playback.close();
        mixer().stopStream("netstream:" + std::to_string(reinterpret_cast<uintptr_t>(&playback)));
    }
    stream->set("time", avm1::Value::fromNumber(playback.timeSeconds(now)));
    invalidate();
}

void PlayerCore::netStatus(const std::shared_ptr<avm1::Object>& stream, const char* code, const char* level)
{
    const avm1::Value handler = stream->get("onStatus");
    if (!m_interpreter || handler.type != avm1::Value::Type::Object || !handler.object->isFunction())
        return;
    auto info = m_interpreter->newObject();
    info->set("code", avm1::Value::fromString(code));
    info->set("level", avm1::Value::fromString(level));
    std::vector<avm1::Value> args{avm1::Value::fromObject(info)};
    m_interpreter->callFunction(handler, avm1::Value::fromObject(stream), args);
}

void PlayerCore::serveNetStreams(int& loadsLeft)
{
    const int64_t now = m_scheduler.NowMs();
    const std::shared_ptr<const swf::Movie> movie = m_movie;
    // Handlers may make or drop streams: walk a copy.
    const std::vector<NetStreamEntry> streams = m_netStreams;
    for (const NetStreamEntry& entry : streams) {
        if (m_movie != movie)
            return;   // a handler replaced the movie
        const std::shared_ptr<avm1::Object> object = entry.object.lock();
        NetStreamPlayback& playback = *entry.playback;
        if (!object)
            continue;
        if (playback.state() == NetStreamPlayback::State::Waiting && loadsLeft > 0) {
            --loadsLeft;
            std::optional<std::vector<uint8_t>> bytes;
            if (m_callbacks.fetch && !playback.url().empty())
                bytes = m_callbacks.fetch(playback.url(), m_limits.maxFetchBytes);
            if (!bytes || bytes->size() > m_limits.maxFetchBytes || !playback.start(*bytes, now)) {
                playback.fail();
                netStatus(object, "NetStream.Play.StreamNotFound", "error");
                continue;
            }
            object->set("bytesLoaded", avm1::Value::fromNumber(playback.bytes()));
            object->set("bytesTotal", avm1::Value::fromNumber(playback.bytes()));
            netStatus(object, "NetStream.Play.Start", "status");
            const avm1::Value onMeta = object->get("onMetaData");
            if (m_interpreter && !playback.file().metadata.empty() && onMeta.type == avm1::Value::Type::Object &&
                onMeta.object->isFunction()) {
                auto info = m_interpreter->newObject();
                for (const auto& [name, value] : playback.file().metadata)
                    info->set(name, metaValue(value));
                std::vector<avm1::Value> args{avm1::Value::fromObject(info)};
                m_interpreter->callFunction(onMeta, avm1::Value::fromObject(object), args);
            }
        }
        // The stream's sound, a little ahead of its clock so that it plays without gaps.
        std::vector<int16_t> sound;
        bool restart = false;
        playback.takeAudio(now, 200, sound, restart);
        const std::string key = "netstream:" + std::to_string(reinterpret_cast<uintptr_t>(&playback));
        if (restart)
            mixer().stopStream(key);
        if (!sound.empty())
            mixer().streamAppend(key, "_level0", sound.data(), sound.size() / 2, false);
        const int before = playback.frameIndex();
        const bool stopped = playback.update(now);
        object->set("time", avm1::Value::fromNumber(playback.timeSeconds(now)));
        if (playback.frameIndex() != before)
            invalidate();
        if (stopped)
            netStatus(object, "NetStream.Play.Stop", "status");
    }
}

void PlayerCore::attachVideo(avm1::Clip& video, const std::shared_ptr<avm1::Object>& stream)
{
    auto* view = dynamic_cast<VideoClip*>(&video);
    if (!view)
        return;
    NetStreamEntry* entry = stream ? netStreamOf(stream.get()) : nullptr;
    view->video().netStream = entry ? entry->playback : nullptr;
    view->video().clearedFrame = -2;
    invalidate();
}

bool PlayerCore::clearVideo(avm1::Clip& video)
{
    auto* view = dynamic_cast<VideoClip*>(&video);
    if (!view)
        return false;
    VideoObject& object = view->video();
    object.clearedFrame = object.netStream ? object.netStream->frameIndex() : -2;
    invalidate();
    return true;
}

}  // namespace flash
