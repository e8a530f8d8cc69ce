#include "PlayerEngine.h"

#include "player/Player.h"

namespace flashcontrol {

PlayerEngine::PlayerEngine() : m_player(std::make_unique<flash::Player>())
{
    // The player's notifications go to whatever callbacks are installed at the time.
    m_player->setOnRepaint([this] {
        if (m_callbacks.repaint)
            m_callbacks.repaint();
    });
    m_player->setOnFSCommand([this](const std::string& command, const std::string& args) {
        if (m_callbacks.fsCommand)
            m_callbacks.fsCommand(command, args);
    });
    m_player->setOnGetURL([this](const std::string& url, const std::string& target) {
        if (m_callbacks.getUrl)
            m_callbacks.getUrl(url, target);
    });
    m_player->setFetchHandler([this](const std::string& url, size_t maxBytes) -> std::optional<std::vector<uint8_t>> {
        if (!m_callbacks.fetch)
            return std::nullopt;
        return m_callbacks.fetch(url, maxBytes);
    });
}

PlayerEngine::~PlayerEngine() = default;

void PlayerEngine::setCallbacks(EngineCallbacks callbacks)
{
    m_callbacks = std::move(callbacks);
}

bool PlayerEngine::load(const std::vector<uint8_t>& bytes, const std::string& url)
{
    return m_player->load(bytes, url);
}

void PlayerEngine::unload() { m_player->unload(); }
bool PlayerEngine::isLoaded() const { return m_player->isLoaded(); }
void PlayerEngine::setAutoPlay(bool value) { m_player->setAutoPlay(value); }
void PlayerEngine::play() { m_player->play(); }
void PlayerEngine::stop() { m_player->stop(); }
void PlayerEngine::rewind() { m_player->rewind(); }
void PlayerEngine::stopPlay() { m_player->stopPlay(); }
void PlayerEngine::gotoFrame(int frame) { m_player->gotoFrame(frame); }
int PlayerEngine::currentFrame() const { return m_player->currentFrame(); }
int PlayerEngine::totalFrames() const { return m_player->totalFrames(); }
bool PlayerEngine::isPlaying() const { return m_player->isPlaying(); }
bool PlayerEngine::loop() const { return m_player->loop(); }
void PlayerEngine::setLoop(bool value) { m_player->setLoop(value); }
uint32_t PlayerEngine::backgroundColor() const { return m_player->backgroundColor(); }
void PlayerEngine::setBackgroundColor(int32_t rgb) { m_player->setBackgroundColor(rgb); }

void PlayerEngine::setQuality(EngineQuality value)
{
    // Both count the control's quality values the same way.
    m_player->setQuality(flash::Quality(int(value)));
}

void PlayerEngine::setScaleMode(EngineScale value)
{
    m_player->setScaleMode(flash::ScaleMode(int(value)));
}

void PlayerEngine::setAlign(unsigned flags) { m_player->setAlign(flags); }
void PlayerEngine::setTransparent(bool value) { m_player->setTransparent(value); }
void PlayerEngine::setViewSize(int width, int height) { m_player->setViewSize(width, height); }

void PlayerEngine::render(const EngineSurface& surface, int originX, int originY)
{
    flash::PixelBuffer target{surface.pixels, surface.width, surface.height, surface.stride};
    m_player->render(target, originX, originY);
}

void PlayerEngine::mouseMove(int x, int y) { m_player->mouseMove(x, y); }
void PlayerEngine::mouseDown(int x, int y) { m_player->mouseDown(x, y); }
void PlayerEngine::mouseUp(int x, int y) { m_player->mouseUp(x, y); }

bool PlayerEngine::setVariable(const std::string& path, const std::string& value)
{
    return m_player->setVariable(path, value);
}

std::string PlayerEngine::getVariable(const std::string& path) const
{
    return m_player->getVariable(path);
}

std::optional<std::string> PlayerEngine::callFunction(const std::string&)
{
    return std::nullopt;  // the player has no external-call registry yet
}

}  // namespace flashcontrol

namespace flashcontrol {

void PlayerEngine::setSoundCapture(bool on) { m_player->setSoundCapture(on); }
std::vector<int16_t> PlayerEngine::takeCapturedSound() { return m_player->takeCapturedSound(); }
void PlayerEngine::setLiveSound(bool on) { m_player->setLiveSound(on); }
size_t PlayerEngine::readLiveSound(int16_t* frames, size_t maxFrames) { return m_player->readLiveSound(frames, maxFrames); }
void PlayerEngine::setSoundVolume(int percent) { m_player->setSoundVolume(percent); }
int PlayerEngine::soundVolume() { return m_player->soundVolume(); }

}  // namespace flashcontrol
