#include "Player.h"

#include "PlayerCore.h"

#include "render/PainterRenderer.h"
#include "swf/Reader.h"

#include "Scheduler.h"

#include <algorithm>
#include <cmath>

namespace flash {

Player::Player(Scheduler* scheduler, PlayerLimits limits) : Player(scheduler, limits, nullptr) {}

Player::Player(Scheduler* scheduler, PlayerLimits limits, std::unique_ptr<render::Renderer> renderer)
{
    if (!renderer)
        renderer = render::createPainterRenderer();
    m_core = std::make_unique<PlayerCore>(scheduler ? *scheduler : Scheduler::Current(), limits, std::move(renderer));
}

Player::~Player() = default;

bool Player::load(const std::vector<uint8_t>& bytes, const std::string& url)
{
    m_core->unload();
    swf::Result<swf::Movie> movie = swf::readMovie(bytes);
    if (!movie.ok()) {
        m_error = movie.error().message;
        return false;
    }
    m_error.clear();
    return m_core->load(std::make_shared<const swf::Movie>(std::move(movie).value()), url);
}

bool Player::load(std::shared_ptr<const swf::Movie> movie, const std::string& url)
{
    m_error.clear();
    if (!movie) {
        m_core->unload();
        m_error = "no movie";
        return false;
    }
    return m_core->load(std::move(movie), url);
}

void Player::unload() { m_core->unload(); }
bool Player::isLoaded() const { return m_core->isLoaded(); }
const std::string& Player::lastError() const { return m_error; }
const std::string& Player::url() const { return m_core->url(); }
ReadyState Player::readyState() const { return m_core->readyState(); }
void Player::setAutoPlay(bool value) { m_core->setAutoPlay(value); }

void Player::play() { m_core->play(); }
void Player::stop() { m_core->stop(); }
void Player::rewind() { m_core->rewind(); }
void Player::stopPlay() { m_core->stop(); }
void Player::gotoFrame(int frame) { m_core->gotoFrame(frame); }
int Player::currentFrame() const { return m_core->currentFrame(); }
int Player::totalFrames() const { return m_core->totalFrames(); }
bool Player::isPlaying() const { return m_core->isPlaying(); }
bool Player::loop() const { return m_core->loop(); }
void Player::setLoop(bool value) { m_core->setLoop(value); }
void Player::advanceFrame() { m_core->advanceFrame(); }
double Player::frameRate() const { return m_core->frameRate(); }

int Player::stageWidth() const { return m_core->stageWidth(); }
int Player::stageHeight() const { return m_core->stageHeight(); }
uint32_t Player::backgroundColor() const { return m_core->backgroundColor(); }
void Player::setBackgroundColor(int32_t rgb) { m_core->setBackgroundColor(rgb); }
Quality Player::quality() const { return m_core->quality(); }
void Player::setQuality(Quality value) { m_core->setQuality(value); }
ScaleMode Player::scaleMode() const { return m_core->scaleMode(); }
void Player::setScaleMode(ScaleMode value) { m_core->setScaleMode(value); }
unsigned Player::align() const { return m_core->align(); }
void Player::setAlign(unsigned flags) { m_core->setAlign(flags); }
bool Player::transparent() const { return m_core->transparent(); }
void Player::setTransparent(bool value) { m_core->setTransparent(value); }
void Player::setViewSize(int width, int height) { m_core->setViewSize(width, height); }
int Player::viewWidth() const { return m_core->viewWidth(); }
int Player::viewHeight() const { return m_core->viewHeight(); }

void Player::render(const PixelBuffer& target, int originX, int originY) { m_core->render(target, originX, originY); }

void Player::mouseMove(int x, int y) { m_core->mouseMove(x, y); }
void Player::mouseDown(int x, int y) { m_core->mouseDown(x, y); }
void Player::mouseUp(int x, int y) { m_core->mouseUp(x, y); }
void Player::mouseWheel(int delta) { m_core->mouseWheel(delta); }
void Player::keyDown(int keyCode, int charCode) { m_core->keyDown(keyCode, charCode); }
void Player::keyUp(int keyCode, int charCode) { m_core->keyUp(keyCode, charCode); }
void Player::windowFocus(bool focused) { m_core->windowFocus(focused); }

bool Player::setVariable(const std::string& path, const std::string& value) { return m_core->setVariable(path, value); }
std::string Player::getVariable(const std::string& path) const { return m_core->getVariable(path); }

void Player::setSoundCapture(bool on) { m_core->mixer().setCapture(on); }
std::vector<int16_t> Player::takeCapturedSound() { return m_core->mixer().takeCapture(); }
void Player::setLiveSound(bool on) { m_core->mixer().setLive(on); }
size_t Player::readLiveSound(int16_t* frames, size_t maxFrames) { return m_core->mixer().readLive(frames, maxFrames); }
void Player::setSoundVolume(int percent) { m_core->mixer().settings("").volume = std::clamp(percent, 0, 100); }
int Player::soundVolume() { return int(std::lround(m_core->mixer().settings("").volume)); }

void Player::setOnRepaint(std::function<void()> handler) { m_core->callbacks().repaint = std::move(handler); }
void Player::setOnFrameChanged(std::function<void(int)> handler) { m_core->callbacks().frameChanged = std::move(handler); }
void Player::setOnReadyStateChange(std::function<void(ReadyState)> handler) { m_core->callbacks().readyState = std::move(handler); }
void Player::setOnProgress(std::function<void(int)> handler) { m_core->callbacks().progress = std::move(handler); }
void Player::setOnFSCommand(std::function<void(const std::string&, const std::string&)> handler)
{
    m_core->callbacks().fsCommand = std::move(handler);
}
void Player::setOnGetURL(std::function<void(const std::string&, const std::string&)> handler)
{
    m_core->callbacks().getURL = std::move(handler);
}
void Player::setOnTrace(std::function<void(const std::string&)> handler) { m_core->callbacks().trace = std::move(handler); }
void Player::setFetchHandler(FetchHandler handler) { m_core->callbacks().fetch = std::move(handler); }

}  // namespace flash
