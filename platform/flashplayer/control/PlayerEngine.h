// The control's engine over the movie player of player/.
#pragma once

#include "ControlEngine.h"

#include <memory>

namespace flash {
class Player;
}

namespace flashcontrol {

class PlayerEngine final : public ControlEngine {
public:
    PlayerEngine();
    ~PlayerEngine() override;

    void setCallbacks(EngineCallbacks callbacks) override;
    bool load(const std::vector<uint8_t>& bytes, const std::string& url) override;
    void unload() override;
    bool isLoaded() const override;
    void setAutoPlay(bool value) override;
    void play() override;
    void stop() override;
    void rewind() override;
    void stopPlay() override;
    void gotoFrame(int frame) override;
    int currentFrame() const override;
    int totalFrames() const override;
    bool isPlaying() const override;
    bool loop() const override;
    void setLoop(bool value) override;
    uint32_t backgroundColor() const override;
    void setBackgroundColor(int32_t rgb) override;
    void setQuality(EngineQuality value) override;
    void setScaleMode(EngineScale value) override;
    void setAlign(unsigned flags) override;
    void setTransparent(bool value) override;
    void setViewSize(int width, int height) override;
    void render(const EngineSurface& surface, int originX, int originY) override;
    void mouseMove(int x, int y) override;
    void mouseDown(int x, int y) override;
    void mouseUp(int x, int y) override;
    bool setVariable(const std::string& path, const std::string& value) override;
    std::string getVariable(const std::string& path) const override;
    std::optional<std::string> callFunction(const std::string& request) override;
    void setSoundCapture(bool on) override;
    std::vector<int16_t> takeCapturedSound() override;
    void setLiveSound(bool on) override;
    size_t readLiveSound(int16_t* frames, size_t maxFrames) override;
    void setSoundVolume(int percent) override;
    int soundVolume() override;

private:
    std::unique_ptr<flash::Player> m_player;
    EngineCallbacks m_callbacks;
};

}  // namespace flashcontrol
