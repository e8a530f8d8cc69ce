// Movies made in memory for the player's tests, and a renderer that records what it
// is asked to draw.
#pragma once

#include "PlayerCore.h"

#include "Scheduler.h"

#include "render/Renderer.h"
#include "swf/Movie.h"

#include <memory>
#include <string>
#include <vector>

namespace flash::test {

class MovieMaker {
public:
    MovieMaker(int width = 100, int height = 100, double fps = 12, uint8_t version = 10)
    {
        m.header.stageRect = {0, width * 20, 0, height * 20};
        m.header.frameRate = static_cast<uint16_t>(fps * 256);
        m.header.version = version;
    }
    // A filled rectangle shape (twips).
    uint16_t rect(swf::Rect r, swf::Rgba color)
    {
        swf::Shape s;
        s.id = m_next++;
        s.version = 3;
        s.bounds = s.edgeBounds = r;
        s.styles.fills.push_back(swf::FillStyle::solid(color));
        swf::StyleChange start;
        start.moveTo = swf::Point{r.xMin, r.yMin};
        start.fill1 = 1;
        s.records = {start, swf::StraightEdge{r.width(), 0}, swf::StraightEdge{0, r.height()},
                     swf::StraightEdge{-r.width(), 0}, swf::StraightEdge{0, -r.height()}};
        m.dictionary[s.id] = s;
        return s.id;
    }
    uint16_t sprite(std::vector<swf::Frame> frames, std::vector<swf::FrameLabel> labels = {})
    {
        swf::Sprite s;
        s.id = m_next++;
        s.timeline.frames = std::move(frames);
        s.timeline.labels = std::move(labels);
        s.timeline.declaredFrameCount = static_cast<uint16_t>(s.timeline.frames.size());
        m.dictionary[s.id] = s;
        return s.id;
    }
    uint16_t add(swf::Character c)
    {
        const uint16_t id = m_next++;
        std::visit([id](auto& x) { x.id = id; }, c);
        m.dictionary[id] = std::move(c);
        return id;
    }
    swf::Frame& frame(size_t index)
    {
        if (m.timeline.frames.size() <= index)
            m.timeline.frames.resize(index + 1);
        m.header.frameCount = static_cast<uint16_t>(m.timeline.frames.size());
        return m.timeline.frames[index];
    }
    void label(uint32_t frameIndex, std::string name) { m.timeline.labels.push_back({std::move(name), frameIndex}); }
    std::shared_ptr<const swf::Movie> done() { return std::make_shared<const swf::Movie>(m); }

    swf::Movie m;

private:
    uint16_t m_next = 1;
};

inline swf::PlaceObject place(uint16_t id, uint16_t depth, swf::Matrix matrix = {}, std::string name = {})
{
    swf::PlaceObject p;
    p.depth = depth;
    p.characterId = id;
    p.matrix = matrix;
    if (!name.empty())
        p.name = name;
    return p;
}

inline swf::PlaceObject moveTo(uint16_t depth, swf::Matrix matrix)
{
    swf::PlaceObject p;
    p.depth = depth;
    p.move = true;
    p.matrix = matrix;
    return p;
}

inline swf::RemoveObject removeAt(uint16_t depth) { return swf::RemoveObject{depth, std::nullopt}; }
inline swf::DoAction actions(std::vector<uint8_t> bytes) { return swf::DoAction{std::move(bytes)}; }

// Renderer that draws nothing and records the draw calls of each frame.
class RecordingRenderer : public render::Renderer {
public:
    struct Call {
        std::string what;       // "shape", "morph", "bitmap", "glyphs", "beginMask", ...
        uint16_t characterId = 0;
        render::Matrix matrix;
        render::ColorTransform cx;
    };
    std::vector<Call> calls;
    render::FrameSetup setup;

    render::ShapeId registerShape(const swf::Shape& shape, const render::BitmapLookup&) override { return add(shape.id); }
    render::MorphId registerMorph(const swf::MorphShape& morph, const render::BitmapLookup&) override { return add(morph.id); }
    render::ShapeId registerGlyph(std::span<const swf::ShapeRecord>) override { return add(0); }
    render::BitmapId registerBitmap(const render::ImageView&) override { return add(0); }
    void releaseShape(render::ShapeId) override {}
    void releaseMorph(render::MorphId) override {}
    void releaseBitmap(render::BitmapId) override {}
    bool hitTest(render::ShapeId id, double x, double y) const override;
    bool hitTestMorph(render::MorphId, uint16_t, double, double) override { return false; }
    bool beginFrame(const render::FrameSetup& s) override { setup = s; calls.clear(); return true; }
    void endFrame() override {}
    void drawShape(render::ShapeId id, const render::Matrix& m, const render::ColorTransform& cx) override
    {
        calls.push_back({"shape", m_ids.at(id), m, cx});
    }
    void drawMorph(render::MorphId id, uint16_t, const render::Matrix& m, const render::ColorTransform& cx) override
    {
        calls.push_back({"morph", m_ids.at(id), m, cx});
    }
    void drawGlyphs(std::span<const render::GlyphInstance>, const render::Matrix& m, const render::ColorTransform& cx) override
    {
        calls.push_back({"glyphs", 0, m, cx});
    }
    void drawDeviceText(const render::DeviceText&, const render::Matrix& m, const render::ColorTransform& cx) override
    {
        calls.push_back({"text", 0, m, cx});
    }
    double measureDeviceText(const render::DeviceText& t) override { return t.utf8.size() * 100.0; }
    void drawBitmap(render::BitmapId, const render::Matrix& m, const render::ColorTransform& cx, bool) override
    {
        calls.push_back({"bitmap", 0, m, cx});
    }
    void drawVideoFrame(const render::ImageView&, double, double, const render::Matrix&, const render::ColorTransform&, bool) override {}
    void beginMask() override { calls.push_back(Call{"beginMask", 0, {}, {}}); }
    void endMask() override { calls.push_back(Call{"endMask", 0, {}, {}}); }
    void popMask() override { calls.push_back(Call{"popMask", 0, {}, {}}); }
    void beginLayer(render::BlendMode) override { calls.push_back(Call{"beginLayer", 0, {}, {}}); }
    void beginFilterLayer(std::span<const swf::Filter>, render::BlendMode, const render::ColorTransform&) override
    {
        calls.push_back(Call{"beginFilterLayer", 0, {}, {}});
    }
    void endLayer() override { calls.push_back(Call{"endLayer", 0, {}, {}}); }

    // Shapes drawn in order, by character id ("shape" calls only).
    std::vector<uint16_t> shapesDrawn() const
    {
        std::vector<uint16_t> ids;
        for (const Call& c : calls)
            if (c.what == "shape")
                ids.push_back(c.characterId);
        return ids;
    }
    // Hit areas for hitTest: character id -> rectangle in its own twips.
    std::map<uint16_t, swf::Rect> hitAreas;

private:
    uint32_t add(uint16_t characterId)
    {
        m_ids[++m_last] = characterId;
        return m_last;
    }
    uint32_t m_last = 0;
    std::map<uint32_t, uint16_t> m_ids;
};

inline bool RecordingRenderer::hitTest(render::ShapeId id, double x, double y) const
{
    auto it = hitAreas.find(m_ids.at(id));
    return it != hitAreas.end() && x >= it->second.xMin && x < it->second.xMax && y >= it->second.yMin &&
           y < it->second.yMax;
}

// A player core with a recording renderer.
struct Rig {
    VirtualClock clock;
    RecordingRenderer* renderer;
    std::unique_ptr<PlayerCore> core;
    Rig()
    {
        auto r = std::make_unique<RecordingRenderer>();
        renderer = r.get();
        core = std::make_unique<PlayerCore>(clock, PlayerLimits{}, std::move(r));
    }
    std::vector<uint16_t> draw()
    {
        static uint8_t pixel[4];
        core->render({pixel, 1, 1, 4}, 0, 0);
        return renderer->shapesDrawn();
    }
};

}  // namespace flash::test
