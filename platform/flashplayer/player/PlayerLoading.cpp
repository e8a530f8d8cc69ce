// loadMovie and MovieClipLoader: requests made by scripts wait for the next frame
// advance, where their bytes are fetched through the owner's handler and put in place.
#include "PlayerCore.h"

#include "MediaUrl.h"

#include "swf/Bitmap.h"
#include "swf/Reader.h"

namespace flash {

namespace {

bool isSwf(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 8 && (bytes[0] == 'F' || bytes[0] == 'C' || bytes[0] == 'Z') && bytes[1] == 'W' &&
           bytes[2] == 'S';
}

// "_level3" gives 3; other targets -1.
int levelOf(const std::string& target)
{
    static const std::string prefix = "_level";
    if (target.compare(0, prefix.size(), prefix) != 0 || target.size() == prefix.size() ||
        target.size() > prefix.size() + 4)
        return -1;
    int n = 0;
    for (size_t i = prefix.size(); i < target.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(target[i])))
            return -1;
        n = n * 10 + (target[i] - '0');
    }
    return n;
}

}  // namespace

void PlayerCore::loadInto(const std::string& url, const std::string& target, std::shared_ptr<avm1::Object> loader)
{
    // A script asking again and again in one frame gets no more than a queue's worth.
    constexpr size_t kMaxWaiting = 256;
    if (m_loads.size() >= kMaxWaiting)
        return;
    m_loads.push_back({url.empty() ? std::string() : resolveMediaUrl(m_url, url), target, std::move(loader)});
}

void PlayerCore::loadText(const std::string& url, std::shared_ptr<avm1::Object> receiver)
{
    constexpr size_t kMaxWaiting = 256;
    if (m_loads.size() >= kMaxWaiting || !receiver || url.empty())
        return;
    LoadRequest request{resolveMediaUrl(m_url, url), {}, std::move(receiver)};
    request.text = true;
    m_loads.push_back(std::move(request));
}

void PlayerCore::deliverText(const LoadRequest& request, const std::optional<std::vector<uint8_t>>& bytes)
{
    if (!m_interpreter)
        return;
    const avm1::Value receiver = avm1::Value::fromObject(request.loader);
    const avm1::Value text = bytes ? avm1::Value::fromString(std::string(bytes->begin(), bytes->end())) : avm1::Value{};
    const avm1::Value onData = m_interpreter->getMember(receiver, "onData");
    if (onData.type == avm1::Value::Type::Object && onData.object->isFunction()) {
        m_interpreter->runHandler(receiver, "onData", {text});
        return;
    }
    if (bytes) {
        m_interpreter->runHandler(receiver, "decode", {text});
        request.loader->set("loaded", avm1::Value::fromBool(true));
    }
    m_interpreter->runHandler(receiver, "onLoad", {avm1::Value::fromBool(bytes.has_value())});
}

double PlayerCore::loadedBytes(const std::string& targetPath) const
{
    const auto it = m_loadedBytes.find(targetPath);
    return it == m_loadedBytes.end() ? 0 : it->second;
}

void PlayerCore::loadEvent(const LoadRequest& request, const char* event, std::vector<avm1::Value> extra)
{
    if (!request.loader || !m_interpreter)
        return;
    const avm1::Value broadcast = request.loader->get("broadcastMessage");
    if (!broadcast.object || !broadcast.object->isFunction())
        return;
    std::vector<avm1::Value> args{avm1::Value::fromString(event)};
    if (clipByPath(request.target))
        args.push_back(avm1::Value::fromClip(request.target));
    else
        args.push_back(avm1::Value::fromString(request.target));
    for (avm1::Value& v : extra)
        args.push_back(std::move(v));
    m_interpreter->callFunction(broadcast, avm1::Value::fromObject(request.loader), args);
}

void PlayerCore::serveLoads(int& loadsLeft)
{
    // Only what was asked before this advance; loads asked by the events below wait.
    const size_t count = std::min(m_loads.size(), size_t(std::max(0, loadsLeft)));
    loadsLeft -= int(count);
    std::vector<LoadRequest> batch(std::make_move_iterator(m_loads.begin()),
                                   std::make_move_iterator(m_loads.begin() + count));
    m_loads.erase(m_loads.begin(), m_loads.begin() + count);
    for (const LoadRequest& request : batch) {
        const std::shared_ptr<const swf::Movie> before = m_movie;
        if (request.text) {
            std::optional<std::vector<uint8_t>> bytes;
            if (m_callbacks.fetch)
                bytes = m_callbacks.fetch(request.url, m_limits.maxFetchBytes);
            if (bytes && bytes->size() > m_limits.maxFetchBytes)
                bytes.reset();
            deliverText(request, bytes);
            if (m_movie != before)
                return;
            continue;
        }
        const int level = levelOf(request.target);
        MovieClip* clip = level >= 0 ? (level == 0 ? m_root.get() : nullptr)
                                     : dynamic_cast<MovieClip*>(clipByPath(request.target));
        if (request.url.empty()) {
            if (clip && clip != m_root.get()) {
                clip->replaceContent(nullptr);
                m_loadedBytes.erase(request.target);
            }
            continue;
        }
        std::optional<std::vector<uint8_t>> bytes;
        if (m_callbacks.fetch && (clip || level == 0))
            bytes = m_callbacks.fetch(request.url, m_limits.maxFetchBytes);
        if (bytes && bytes->size() > m_limits.maxFetchBytes)
            bytes.reset();
        if (!bytes) {
            loadEvent(request, "onLoadError", {avm1::Value::fromString("URLNotFound")});
            continue;
        }
        const double size = double(bytes->size());
        loadEvent(request, "onLoadStart");
        loadEvent(request, "onLoadProgress", {avm1::Value::fromNumber(size), avm1::Value::fromNumber(size)});
        if (m_movie != before)
            return;   // an event handler replaced the movie: the batch belongs to the old one
        if (!loadInClip(request, *bytes)) {
            loadEvent(request, "onLoadError", {avm1::Value::fromString("LoadNeverCompleted")});
            continue;
        }
        if (m_movie != before)
            return;   // _level0 took a new movie: its requests start afresh
        m_loadedBytes[request.target] = size;
        loadEvent(request, "onLoadComplete", {avm1::Value::fromNumber(200)});
        loadEvent(request, "onLoadInit");
        if (m_movie != before)
            return;
    }
}

bool PlayerCore::loadInClip(const LoadRequest& request, const std::vector<uint8_t>& bytes)
{
    if (isSwf(bytes)) {
        // A movie replaces the whole player when it goes to _level0; other levels and
        // clips cannot hold a second movie's library.
        if (levelOf(request.target) != 0)
            return false;
        swf::Result<swf::Movie> movie = swf::readMovie(bytes);
        if (!movie.ok())
            return false;
        const std::string url = request.url;
        return load(std::make_shared<const swf::Movie>(std::move(movie).value()), url);
    }
    swf::Bitmap encoded;
    encoded.kind = swf::BitmapKind::Jpeg2;   // JPEG, PNG and GIF by their signatures
    encoded.data = bytes;
    swf::Result<swf::DecodedBitmap> picture = swf::decodeBitmap(encoded, {});
    auto* clip = dynamic_cast<MovieClip*>(clipByPath(request.target));
    if (!picture.ok() || !clip)
        return false;
    clip->replaceContent(std::make_shared<const swf::DecodedBitmap>(std::move(picture).value()));
    invalidate();
    return true;
}

}  // namespace flash
