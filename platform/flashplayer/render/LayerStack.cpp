#include "render/LayerStack.h"

#include "render/Compose.h"
#include "render/Filters.h"
#include "render/ImageColor.h"
#include "render/Paints.h"

namespace render {

namespace {

// Layers opened beyond this depth are ignored (their content draws on the layer below).
constexpr std::size_t kMaxLayers = 32;

// Surfaces larger than this are refused rather than wrapped.
constexpr int kMaxSurfaceSide = 16384;

}  // namespace

LayerStack::LayerStack() = default;
LayerStack::~LayerStack()
{
    end();
}

bool LayerStack::begin(const FrameSetup& setup)
{
    end();
    const Surface& s = setup.surface;
    if (!s.pixels || s.width <= 0 || s.height <= 0 || s.width > kMaxSurfaceSide ||
        s.height > kMaxSurfaceSide || s.stride < s.width * 4)
        return false;
    m_surface = QImage(s.pixels, s.width, s.height, s.stride, QImage::Format_ARGB32_Premultiplied);
    const QRect whole(0, 0, s.width, s.height);
    const PixelRect& v = setup.viewport;
    m_viewport = v.width > 0 ? QRect(v.x, v.y, v.width, v.height).intersected(whole) : whole;
    if (m_viewport.isEmpty()) {
        m_surface = QImage();
        return false;
    }
    m_quality = setup.quality;
    // Pool images of another size are of no more use.
    if (!m_pool.empty() && m_pool.front()->image.size() != m_surface.size())
        m_pool.clear();

    Layer surface;
    surface.painter = std::make_unique<QPainter>(&m_surface);
    configure(*surface.painter);
    if (setup.hasBackground) {
        surface.painter->setCompositionMode(QPainter::CompositionMode_Source);
        surface.painter->fillRect(m_viewport, toQColor(setup.background));
        surface.painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    m_stack.push_back(std::move(surface));
    m_suppressed = 0;
    return true;
}

void LayerStack::end()
{
    while (m_stack.size() > 1)
        closeTop();
    if (!m_stack.empty()) {
        m_stack.back().painter->end();
        m_stack.clear();
    }
    m_surface = QImage();
    m_suppressed = 0;
}

void LayerStack::configure(QPainter& painter) const
{
    painter.setClipRect(m_viewport);
    painter.setRenderHint(QPainter::Antialiasing, m_quality != Quality::Low);
}

QPainter& LayerStack::painter()
{
    return *topReal()->painter;
}

LayerStack::Layer* LayerStack::topReal()
{
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
        if (!it->ignored)
            return &*it;
    return &m_stack.front();
}

bool LayerStack::definingMask() const
{
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
        if (!it->ignored)
            return it->kind == Kind::MaskShape;
    return false;
}

void LayerStack::touch(const QRect& deviceRect)
{
    if (m_stack.empty())
        return;
    topReal()->dirty |= deviceRect.intersected(m_viewport);
}

LayerStack::Pooled* LayerStack::acquire()
{
    for (auto& p : m_pool) {
        if (!p->inUse) {
            if (!p->dirty.isEmpty()) {
                QPainter clear(&p->image);
                clear.setCompositionMode(QPainter::CompositionMode_Source);
                clear.fillRect(p->dirty, Qt::transparent);
            }
            p->dirty = QRect();
            p->inUse = true;
            return p.get();
        }
    }
    auto p = std::make_unique<Pooled>();
    p->image = QImage(m_surface.size(), QImage::Format_ARGB32_Premultiplied);
    p->image.fill(Qt::transparent);
    p->inUse = true;
    m_pool.push_back(std::move(p));
    return m_pool.back().get();
}

void LayerStack::push(Kind kind, BlendMode mode)
{
    Layer layer;
    layer.kind = kind;
    layer.mode = mode;
    if (m_stack.empty())
        return;
    // Mask content always opens, so that it never draws into its own mask.
    if (m_stack.size() >= kMaxLayers && kind != Kind::MaskContent) {
        layer.ignored = true;
        if (kind == Kind::MaskShape)
            ++m_suppressed;
        m_stack.push_back(std::move(layer));
        return;
    }
    layer.pooled = acquire();
    layer.painter = std::make_unique<QPainter>(&layer.pooled->image);
    configure(*layer.painter);
    m_stack.push_back(std::move(layer));
}

void LayerStack::composeTopInto(Layer& top, Layer& below)
{
    const QImage& belowImage = below.pooled ? below.pooled->image : m_surface;
    composeLayer(*below.painter, const_cast<QImage&>(belowImage), top.pooled->image, top.dirty, top.mode);
    // Alpha and erase change pixels below only where the layer was drawn.
    below.dirty |= top.dirty;
}

void LayerStack::composeMask(Layer& content, Layer& mask, Layer& below)
{
    const QRect area = content.dirty.intersected(mask.dirty);
    if (area.isEmpty())
        return;
    content.painter->save();
    content.painter->resetTransform();
    content.painter->setOpacity(1.0);
    content.painter->setCompositionMode(QPainter::CompositionMode_DestinationIn);
    content.painter->drawImage(area.topLeft(), mask.pooled->image, area);
    content.painter->restore();
    below.painter->save();
    below.painter->resetTransform();
    below.painter->setOpacity(1.0);
    below.painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    below.painter->drawImage(area.topLeft(), content.pooled->image, area);
    below.painter->restore();
    below.dirty |= area;
}

void LayerStack::release(Layer& layer)
{
    if (layer.painter)
        layer.painter->end();
    if (layer.pooled) {
        layer.pooled->dirty = layer.dirty;
        layer.pooled->inUse = false;
    }
}

bool LayerStack::insideBlendGroup(std::size_t index) const
{
    for (std::size_t i = 0; i < index; ++i)
        if (m_stack[i].kind == Kind::Blend && !m_stack[i].ignored)
            return true;
    return false;
}

LayerStack::Layer& LayerStack::realBelow(std::size_t index)
{
    while (index > 0) {
        --index;
        if (!m_stack[index].ignored)
            return m_stack[index];
    }
    return m_stack.front();
}

// Closes the top layer: a blend layer is composed onto the layer below, mask content
// through its mask; a mask whose content never began paints nothing.
void LayerStack::closeTop()
{
    const std::size_t index = m_stack.size() - 1;
    Layer& top = m_stack[index];
    if (top.ignored) {
        if (top.kind == Kind::MaskShape)
            --m_suppressed;
        m_stack.pop_back();
        return;
    }
    if (top.kind == Kind::Blend) {
        applyFilters(top);
        // Alpha and erase work on the layer of an enclosing blend group; outside one
        // they change nothing.
        const bool layerBound = top.mode == BlendMode::Alpha || top.mode == BlendMode::Erase;
        if (!layerBound || insideBlendGroup(index))
            composeTopInto(top, realBelow(index));
    } else if (top.kind == Kind::MaskContent && index >= 1 && m_stack[index - 1].kind == Kind::MaskShape) {
        Layer& mask = m_stack[index - 1];
        composeMask(top, mask, realBelow(index - 1));
        release(top);
        release(mask);
        m_stack.pop_back();
        m_stack.pop_back();
        return;
    }
    release(top);
    m_stack.pop_back();
}

void LayerStack::beginBlend(BlendMode mode, const Effects& effects)
{
    if (m_stack.empty())
        return;
    // A mask takes the coverage of its shapes, unfiltered.
    const bool masking = definingMask();
    push(Kind::Blend, mode);
    Layer& top = m_stack.back();
    if (!masking && !top.ignored) {
        top.filters.assign(effects.filters.begin(), effects.filters.end());
        top.stageToSurface = effects.stageToSurface;
        top.cx = effects.cx;
    }
}

// Runs the layer's filters over what was drawn on it, grown by their reach (within the
// viewport), then its colour transform, and leaves the result in place to be composed.
void LayerStack::applyFilters(Layer& layer)
{
    if ((layer.filters.empty() && layer.cx.isIdentity()) || layer.dirty.isEmpty() || !layer.pooled)
        return;
    const FilterReach reach = filterReach(layer.filters, layer.stageToSurface);
    const QRect area = layer.dirty.adjusted(-reach.left, -reach.top, reach.right, reach.bottom).intersected(m_viewport);
    if (area.isEmpty())
        return;
    QImage work = layer.pooled->image.copy(area);
    for (const swf::Filter& f : layer.filters)
        applyFilter(work, f, layer.stageToSurface);
    // Only what the object and its filters painted is tinted, not the rest of the area.
    applyColorTransform(work, layer.cx, true);
    QPainter& p = *layer.painter;
    p.save();
    p.resetTransform();
    p.setOpacity(1.0);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(area.topLeft(), work);
    p.restore();
    layer.dirty = area;
}

void LayerStack::endBlend()
{
    // Close whatever was left open inside the layer, then the layer itself.
    for (std::size_t i = m_stack.size(); i-- > 1;) {
        if (m_stack[i].kind == Kind::Blend) {
            while (m_stack.size() > i + 1)
                closeTop();
            closeTop();
            return;
        }
    }
}

void LayerStack::beginMask()
{
    push(Kind::MaskShape, BlendMode::Normal);
}

void LayerStack::endMask()
{
    if (m_stack.size() < 2 || m_stack.back().kind != Kind::MaskShape)
        return;
    Layer& mask = m_stack.back();
    if (mask.ignored) {
        // The content of an ignored mask draws unclipped.
        --m_suppressed;
        mask.kind = Kind::MaskContent;
        return;
    }
    push(Kind::MaskContent, BlendMode::Normal);
}

void LayerStack::popMask()
{
    for (std::size_t i = m_stack.size(); i-- > 1;) {
        const Kind kind = m_stack[i].kind;
        if (kind == Kind::MaskContent || kind == Kind::MaskShape) {
            while (m_stack.size() > i + 1)
                closeTop();
            closeTop();
            return;
        }
    }
}

}  // namespace render
