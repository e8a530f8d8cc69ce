// The surfaces a frame draws on: the caller's pixels at the bottom, offscreen layers
// above it for blend modes, filters and masks. Layers are surface-sized images from a
// pool that lives across frames; each remembers the rectangle drawn on it, so that
// composing and clearing touch only that.
#pragma once

#include "render/Renderer.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <span>
#include <vector>

namespace render {

class LayerStack {
public:
    LayerStack();
    ~LayerStack();

    // Wraps the surface (no copy) and fills the background; false when the surface is
    // unusable.
    bool begin(const FrameSetup& setup);
    // Closes every open layer and releases the surface.
    void end();
    bool active() const { return !m_stack.empty(); }

    QPainter& painter();
    // True while a mask's shape is being drawn: draws paint coverage only.
    bool definingMask() const;
    // True while draws must paint nothing (a mask opened beyond the nesting limit).
    bool suppressed() const { return m_suppressed > 0; }
    const QRect& viewport() const { return m_viewport; }
    // Records that `deviceRect` (clipped to the viewport) is drawn on the top layer.
    void touch(const QRect& deviceRect);

    // What runs over a layer before it is composed: its filters (grown by their
    // reach), then a colour transform.
    struct Effects {
        std::span<const swf::Filter> filters;
        Matrix stageToSurface;
        ColorTransform cx;
    };
    // A layer composed with `mode`.
    void beginBlend(BlendMode mode, const Effects& effects = {});
    void endBlend();
    void beginMask();
    void endMask();
    void popMask();

private:
    enum class Kind { Surface, Blend, MaskShape, MaskContent };
    struct Pooled {
        QImage image;
        QRect dirty;
        bool inUse = false;
    };
    struct Layer {
        Kind kind = Kind::Surface;
        BlendMode mode = BlendMode::Normal;
        Pooled* pooled = nullptr;     // null for the surface and for ignored layers
        std::unique_ptr<QPainter> painter;
        QRect dirty;
        bool ignored = false;         // opened beyond the nesting limit
        std::vector<swf::Filter> filters;
        Matrix stageToSurface;
        ColorTransform cx;
    };

    void push(Kind kind, BlendMode mode);
    void closeTop();
    void release(Layer& layer);
    Layer& realBelow(std::size_t index);
    bool insideBlendGroup(std::size_t index) const;
    void composeTopInto(Layer& top, Layer& below);
    void applyFilters(Layer& layer);
    void composeMask(Layer& content, Layer& mask, Layer& below);
    Layer* topReal();
    Pooled* acquire();
    void configure(QPainter& painter) const;

    QImage m_surface;
    QRect m_viewport;
    Quality m_quality = Quality::High;
    std::vector<Layer> m_stack;
    std::vector<std::unique_ptr<Pooled>> m_pool;
    int m_suppressed = 0;
};

}  // namespace render
