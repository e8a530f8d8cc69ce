#include "PlayerCore.h"

#include "ButtonObject.h"
#include "StageFit.h"
#include "TextFieldScript.h"
#include "VideoObject.h"

#include "Scheduler.h"

#include <algorithm>
#include <chrono>
#include <cctype>

namespace flash {

namespace {

// Queued blocks one advance may run; a script that keeps jumping between frames
// which queue each other ends here instead of hanging the player.
constexpr size_t kMaxBlocksPerAdvance = 20000;

}  // namespace

PlayerCore::PlayerCore(Scheduler& scheduler, PlayerLimits limits, std::unique_ptr<render::Renderer> renderer)
    : m_scheduler(scheduler), m_limits(limits), m_renderer(std::move(renderer)),
      m_clock(scheduler, [this] { advanceFrame(); }),
      m_mixer(std::make_unique<sound::Mixer>(scheduler.NowMs()))
{
    m_clock.setMaxCatchUp(std::max(1, limits.maxFramesPerTick));
}

PlayerCore::~PlayerCore()
{
    m_clock.stop();
    m_root.reset();
    m_library.reset();
}

bool PlayerCore::load(std::shared_ptr<const swf::Movie> movie, const std::string& url)
{
    unload();
    if (!movie)
        return false;
    m_url = url;
    resetSound();
    m_readyState = ReadyState::Loading;
    if (m_callbacks.readyState)
        m_callbacks.readyState(ReadyState::Loading);
    m_movie = std::move(movie);
    m_movieBackground = m_movie->backgroundColor();
    m_library = std::make_unique<Library>(m_movie, *m_renderer);
    avm1::Limits scriptLimits;
    scriptLimits.maxInstructions = m_limits.maxActionsPerFrame;
    m_interpreter = std::make_unique<avm1::Interpreter>(*this, m_movie->header.version, scriptLimits);
    installTextFieldScripting(*m_interpreter);
    m_root = std::make_unique<MovieClip>(*this, m_movie->timeline, 0, nullptr);
    m_root->setPlaying(m_autoPlay);
    m_loadedAtMs = m_scheduler.NowMs();
    m_frameTimeMs = 0;
    m_loadedAtWallMs = double(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::system_clock::now().time_since_epoch()).count());
    m_clock.setRate(m_movie->header.fps());

    m_interpreter->resetBudget();
    m_root->enterFirstFrame();
    runQueuedActions();
    m_clock.start();

    m_readyState = ReadyState::Complete;
    if (m_callbacks.progress)
        m_callbacks.progress(100);
    if (m_callbacks.readyState)
        m_callbacks.readyState(ReadyState::Complete);
    afterChange(-1);
    return true;
}

void PlayerCore::unload()
{
    m_clock.stop();
    m_queue.clear();
    m_loads.clear();
    m_loadedBytes.clear();
    m_netStreams.clear();
    resetSound();
    m_initDone.clear();
    m_hover.reset();
    m_pressed.reset();
    m_root.reset();
    m_interpreter.reset();
    m_library.reset();
    m_movie.reset();
    m_instanceCounter = 0;
    m_readyState = ReadyState::Uninitialized;
}

// The host's play and stop also resume and pause every sound, as a paused movie
// is silent; the movie's own stop() leaves its event sounds playing.
void PlayerCore::play()
{
    if (m_root)
        m_root->setPlaying(true);
    mixer().setPaused(false);
}

void PlayerCore::stop()
{
    if (m_root)
        m_root->setPlaying(false);
    mixer().setPaused(true);
}

void PlayerCore::rewind()
{
    if (!m_root)
        return;
    m_root->setPlaying(false);
    gotoFrame(0);
}

void PlayerCore::gotoFrame(int frame)
{
    if (!m_root)
        return;
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    m_root->gotoFrameIndex(frame, true);
    runQueuedActions();
    afterChange(before);
}

int PlayerCore::currentFrame() const { return m_root ? m_root->currentFrame() : 0; }
int PlayerCore::totalFrames() const { return m_root ? m_root->frameCount() : 0; }
bool PlayerCore::isPlaying() const { return m_root && m_root->isPlaying(); }

void PlayerCore::advanceFrame()
{
    if (!m_root)
        return;
    m_interpreter->resetBudget();
    int loadsLeft = std::max(1, m_limits.maxLoadsPerFrame);
    serveLoads(loadsLeft);
    if (!m_root)
        return;
    serveNetStreams(loadsLeft);
    if (!m_root)
        return;
    serveSoundLoads(loadsLeft);
    if (!m_root)
        return;
    const int before = m_root->frame();
    mixer();
    m_root->tick(m_loop);
    runQueuedActions();
    serveSounds();
    runQueuedActions();
    m_frameTimeMs += 1000.0 / std::max(0.01, frameRate());
    if (m_interpreter && m_root) {
        m_interpreter->runTimers(timeMs());
        runQueuedActions();
    }
    afterChange(before);
}

void PlayerCore::afterChange(int previousFrame)
{
    if (!m_root)
        return;
    if (m_root->frame() != previousFrame && m_callbacks.frameChanged)
        m_callbacks.frameChanged(m_root->currentFrame());
    if (m_dirty && m_callbacks.repaint)
        m_callbacks.repaint();
}

void PlayerCore::runQueuedActions()
{
    if (m_runningActions)
        return;   // a script's goto queues more; the outer loop runs them
    m_runningActions = true;
    size_t blocks = 0;
    while (!m_queue.empty() && blocks++ < kMaxBlocksPerAdvance && m_interpreter) {
        Pending next = std::move(m_queue.front());
        m_queue.pop_front();
        if (m_interpreter->budgetExhausted())
            continue;
        // Actions of a clip removed since they were queued are dropped with it.
        avm1::Clip* clip = next.clip ? next.clip->clip : clipByPath(next.clipPath);
        if (clip && next.construct)
            constructRegistered(*clip);
        else if (clip && !next.method.empty())
            m_interpreter->runMethod(*clip, next.method);
        else if (clip)
            m_interpreter->run(next.code, *clip);
    }
    m_queue.clear();
    m_runningActions = false;
}

uint32_t PlayerCore::backgroundColor() const
{
    if (m_backgroundOverride >= 0)
        return static_cast<uint32_t>(m_backgroundOverride) & 0xFFFFFF;
    return (uint32_t(m_movieBackground.r) << 16) | (uint32_t(m_movieBackground.g) << 8) | m_movieBackground.b;
}

int PlayerCore::stageWidth() const { return m_movie ? std::max(0, m_movie->header.stageWidth()) : 0; }
int PlayerCore::stageHeight() const { return m_movie ? std::max(0, m_movie->header.stageHeight()) : 0; }
int PlayerCore::viewWidth() const { return m_viewWidth > 0 ? m_viewWidth : stageWidth(); }
int PlayerCore::viewHeight() const { return m_viewHeight > 0 ? m_viewHeight : stageHeight(); }

render::Matrix PlayerCore::stageMatrix() const
{
    const swf::Rect stage = m_movie ? m_movie->header.stageRect : swf::Rect{};
    return stageToView(stage, viewWidth(), viewHeight(), m_scaleMode, m_align);
}

bool PlayerCore::setVariable(const std::string& path, const std::string& value)
{
    if (!m_root)
        return false;
    m_interpreter->setVariable(path, avm1::Value::fromString(value), *m_root);
    invalidate();
    return true;
}

std::string PlayerCore::getVariable(const std::string& path)
{
    if (!m_root)
        return {};
    const avm1::Value v = m_interpreter->getVariable(path, *m_root);
    return v.isUndefined() ? std::string() : avm1::toString(v, swfVersion());
}

// --- ClipContext -------------------------------------------------------------------

std::unique_ptr<DisplayObject> PlayerCore::instantiate(uint16_t characterId, MovieClip* parent)
{
    const swf::Character* c = m_movie ? m_movie->character(characterId) : nullptr;
    if (!c)
        return nullptr;
    if (const auto* sprite = std::get_if<swf::Sprite>(c))
        return std::make_unique<MovieClip>(*this, sprite->timeline, characterId, parent);
    if (const auto* button = std::get_if<swf::Button>(c))
        return std::make_unique<ButtonObject>(*this, *button, parent);
    if (std::holds_alternative<swf::Shape>(*c))
        return std::make_unique<DisplayObject>(ObjectKind::Shape, characterId);
    if (std::holds_alternative<swf::MorphShape>(*c))
        return std::make_unique<DisplayObject>(ObjectKind::Morph, characterId);
    if (std::holds_alternative<swf::Text>(*c))
        return std::make_unique<DisplayObject>(ObjectKind::Text, characterId);
    if (std::holds_alternative<swf::Bitmap>(*c))
        return std::make_unique<DisplayObject>(ObjectKind::Bitmap, characterId);
    if (const auto* stream = std::get_if<swf::VideoStream>(c))
        return std::make_unique<VideoObject>(*stream);
    if (const auto* edit = std::get_if<swf::EditText>(c)) {
        auto object = std::make_unique<DisplayObject>(ObjectKind::EditText, characterId);
        object->text = edit->initialText.value_or(std::string());
        return object;
    }
    return nullptr;
}

void PlayerCore::queueActions(const std::vector<uint8_t>& code, MovieClip& clip)
{
    if (!m_library || code.empty())
        return;
    m_queue.push_back({m_library->code(code), clip.targetPath(), clip.anchor(), {}, false});
}

void PlayerCore::queueMethod(MovieClip& clip, const std::string& method)
{
    m_queue.push_back({nullptr, clip.targetPath(), clip.anchor(), method, false});
}

void PlayerCore::queueInitActions(const swf::DoInitAction& init)
{
    if (!m_root || !m_initDone.insert(init.spriteId).second)
        return;
    m_queue.push_front({m_library->code(init.actions), m_root->targetPath(), m_root->anchor(), {}, false});
}

uint16_t PlayerCore::exportedCharacter(const std::string& linkage) const
{
    if (!m_movie)
        return 0;
    for (const swf::ExportedAsset& asset : m_movie->exports)
        if (asset.name == linkage)
            return asset.id;
    // Older movies look their symbols up regardless of case.
    if (swfVersion() < 7)
        for (const swf::ExportedAsset& asset : m_movie->exports)
            if (asset.name.size() == linkage.size() &&
                std::equal(asset.name.begin(), asset.name.end(), linkage.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                }))
                return asset.id;
    return 0;
}

void PlayerCore::queueConstruct(MovieClip& clip)
{
    if (!m_movie || !clip.characterId())
        return;
    for (const swf::ExportedAsset& asset : m_movie->exports)
        if (asset.id == clip.characterId()) {
            Pending p{nullptr, clip.targetPath(), clip.anchor(), {}, false};
            p.construct = true;
            m_queue.push_back(std::move(p));
            return;
        }
}

void PlayerCore::constructRegistered(avm1::Clip& clip)
{
    auto* movieClip = dynamic_cast<MovieClip*>(&clip);
    if (!m_movie || !m_interpreter || !movieClip)
        return;
    for (const swf::ExportedAsset& asset : m_movie->exports)
        if (asset.id == movieClip->characterId()) {
            const avm1::Value cls = m_interpreter->registeredClass(asset.name);
            if (cls.type == avm1::Value::Type::Object) {
                m_interpreter->construct(clip, cls);
                return;
            }
        }
}

std::string PlayerCore::qualityName() const
{
    switch (m_quality) {
    case Quality::Low:
    case Quality::AutoLow: return "LOW";
    case Quality::Medium: return "MEDIUM";
    case Quality::Best: return "BEST";
    case Quality::High:
    case Quality::AutoHigh: break;
    }
    return "HIGH";
}

void PlayerCore::setQualityName(const std::string& name)
{
    std::string n = name;
    for (char& c : n)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (n == "LOW") setQuality(Quality::Low);
    else if (n == "MEDIUM") setQuality(Quality::Medium);
    else if (n == "HIGH") setQuality(Quality::High);
    else if (n == "BEST") setQuality(Quality::Best);
}

// toggleHighQuality: low goes high, anything else goes low.
void PlayerCore::setQualityToggle() { setQuality(m_quality == Quality::Low ? Quality::High : Quality::Low); }

int PlayerCore::swfVersion() const { return m_movie ? m_movie->header.version : 10; }

std::string PlayerCore::newInstanceName() { return "instance" + std::to_string(++m_instanceCounter); }

// --- Host ---------------------------------------------------------------------------

avm1::Clip* PlayerCore::clipByPath(const std::string& path)
{
    if (!m_root)
        return nullptr;
    const std::string rootName = "_level0";
    if (path.compare(0, rootName.size(), rootName) != 0)
        return nullptr;
    MovieClip* clip = m_root.get();
    size_t i = rootName.size();
    while (clip && i < path.size()) {
        if (path[i] != '.')
            return nullptr;
        size_t next = path.find('.', i + 1);
        if (next == std::string::npos)
            next = path.size();
        const std::string_view segment = std::string_view(path).substr(i + 1, next - i - 1);
        MovieClip* child = clip->findChildClip(segment);
        if (!child && next == path.size())
            return clip->childClip(segment);   // a text field ends a path
        clip = child;
        i = next;
    }
    return clip;
}

void PlayerCore::getURL(const std::string& url, const std::string& target)
{
    static const std::string prefix = "fscommand:";
    const bool fsCommand = url.size() >= prefix.size() &&
        std::equal(prefix.begin(), prefix.end(), url.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    if (fsCommand) {
        if (m_callbacks.fsCommand)
            m_callbacks.fsCommand(url.substr(prefix.size()), target);
    } else if (m_callbacks.getURL) {
        m_callbacks.getURL(url, target);
    }
}

void PlayerCore::trace(const std::string& message)
{
    if (m_callbacks.trace)
        m_callbacks.trace(message);
}

// Movie time: the clock's since loading, or the frames' when they were driven faster.
double PlayerCore::timeMs() const
{
    return std::max(static_cast<double>(m_scheduler.NowMs() - m_loadedAtMs), m_frameTimeMs);
}

uint32_t PlayerCore::random()
{
    // xorshift32: the same movie gives the same "random" run every time.
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    return m_random;
}

}  // namespace flash
