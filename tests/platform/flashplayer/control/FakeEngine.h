// A scripted engine for the facade's tests: records what the control asks of it and
// draws a picture that tells where each pixel came from (blue = view x, green = view
// y, red = 0x80), so that placement and clipping can be checked exactly.
#pragma once

#include "ControlEngine.h"

#include <string>
#include <vector>

struct FakeEngineState {
    std::vector<std::string> calls;
    std::vector<uint8_t> loadedBytes;
    std::string loadedUrl;
    bool loaded = false;
    bool playing = false;
    bool autoPlay = true;
    bool loop = true;
    bool transparent = false;
    int frames = 12;
    int current = 0;
    uint32_t movieBackground = 0x336699;
    int32_t background = -1;
    int viewWidth = 0;
    int viewHeight = 0;
    int renderViewWidth = 0;  // the view size at the last render
    int quality = -1;
    flashcontrol::EngineCallbacks callbacks;
};

class FakeEngine final : public flashcontrol::ControlEngine {
public:
    explicit FakeEngine(FakeEngineState& state) : s(state) {}

    void setCallbacks(flashcontrol::EngineCallbacks callbacks) override { s.callbacks = std::move(callbacks); }
    bool load(const std::vector<uint8_t>& bytes, const std::string& url) override
    {
        s.calls.push_back("load " + url);
        s.loaded = bytes.size() >= 3 && (bytes[0] == 'F' || bytes[0] == 'C') && bytes[1] == 'W' && bytes[2] == 'S';
        if (s.loaded) {
            s.loadedBytes = bytes;
            s.loadedUrl = url;
            s.current = 0;
            s.playing = s.autoPlay;
        }
        return s.loaded;
    }
    void unload() override
    {
        s.calls.push_back("unload");
        s.loaded = false;
    }
    bool isLoaded() const override { return s.loaded; }
    void setAutoPlay(bool value) override { s.autoPlay = value; }
    void play() override { note("play"), s.playing = true; }
    void stop() override { note("stop"), s.playing = false; }
    void rewind() override { note("rewind"), s.current = 0, s.playing = false; }
    void stopPlay() override { note("stopPlay"), s.playing = false; }
    void gotoFrame(int frame) override { note("goto " + std::to_string(frame)), s.current = frame; }
    int currentFrame() const override { return s.current; }
    int totalFrames() const override { return s.frames; }
    bool isPlaying() const override { return s.playing; }
    bool loop() const override { return s.loop; }
    void setLoop(bool value) override { s.loop = value; }
    uint32_t backgroundColor() const override { return s.background >= 0 ? uint32_t(s.background) : s.movieBackground; }
    void setBackgroundColor(int32_t rgb) override { s.background = rgb; }
    void setQuality(flashcontrol::EngineQuality value) override { s.quality = int(value); }
    void setScaleMode(flashcontrol::EngineScale) override {}
    void setAlign(unsigned) override {}
    void setTransparent(bool value) override { s.transparent = value; }
    void setViewSize(int width, int height) override
    {
        s.viewWidth = width;
        s.viewHeight = height;
    }
    void render(const flashcontrol::EngineSurface& surface, int originX, int originY) override
    {
        s.renderViewWidth = s.viewWidth;
        for (int y = 0; y < surface.height; ++y) {
            for (int x = 0; x < surface.width; ++x) {
                int vx = x - originX, vy = y - originY;
                if (vx < 0 || vy < 0 || vx >= s.viewWidth || vy >= s.viewHeight)
                    continue;
                uint8_t* p = surface.pixels + y * surface.stride + x * 4;
                p[0] = uint8_t(vx);
                p[1] = uint8_t(vy);
                p[2] = 0x80;
                p[3] = 0xFF;
            }
        }
    }
    void mouseMove(int x, int y) override { note("move " + xy(x, y)); }
    void mouseDown(int x, int y) override { note("down " + xy(x, y)); }
    void mouseUp(int x, int y) override { note("up " + xy(x, y)); }
    bool setVariable(const std::string& path, const std::string& value) override
    {
        note("set " + path + "=" + value);
        return true;
    }
    std::string getVariable(const std::string& path) const override { return "value of " + path; }
    std::optional<std::string> callFunction(const std::string& request) override
    {
        if (request.find("name=\"known\"") == std::string::npos)
            return std::nullopt;
        return std::string("<string>ok</string>");
    }

private:
    static std::string xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    int note(std::string call)
    {
        s.calls.push_back(std::move(call));
        return 0;
    }
    FakeEngineState& s;
};
