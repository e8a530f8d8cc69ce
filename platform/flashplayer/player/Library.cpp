#include "Library.h"

namespace flash {

Library::Library(std::shared_ptr<const swf::Movie> movie, render::Renderer& renderer)
    : m_movie(std::move(movie)), m_renderer(renderer)
{
    m_bitmapLookup = [this](uint16_t id) { return bitmap(id); };
}

Library::~Library()
{
    for (auto& [id, handle] : m_shapes)
        if (handle != render::kNoId)
            m_renderer.releaseShape(handle);
    for (auto& [id, handle] : m_glyphs)
        if (handle != render::kNoId)
            m_renderer.releaseShape(handle);
    for (auto& [key, handle] : m_boxes)
        if (handle != render::kNoId)
            m_renderer.releaseShape(handle);
    for (auto& [id, handle] : m_morphs)
        if (handle != render::kNoId)
            m_renderer.releaseMorph(handle);
    for (auto& [id, handle] : m_bitmaps)
        if (handle != render::kNoId)
            m_renderer.releaseBitmap(handle);
}

render::ShapeId Library::shape(uint16_t id)
{
    auto it = m_shapes.find(id);
    if (it != m_shapes.end())
        return it->second;
    const swf::Shape* s = m_movie->find<swf::Shape>(id);
    const render::ShapeId handle = s ? m_renderer.registerShape(*s, m_bitmapLookup) : render::kNoId;
    m_shapes[id] = handle;
    return handle;
}

render::MorphId Library::morph(uint16_t id)
{
    auto it = m_morphs.find(id);
    if (it != m_morphs.end())
        return it->second;
    const swf::MorphShape* s = m_movie->find<swf::MorphShape>(id);
    const render::MorphId handle = s ? m_renderer.registerMorph(*s, m_bitmapLookup) : render::kNoId;
    m_morphs[id] = handle;
    return handle;
}

render::BitmapId Library::bitmap(uint16_t id)
{
    auto it = m_bitmaps.find(id);
    if (it != m_bitmaps.end())
        return it->second;
    m_bitmaps[id] = render::kNoId;   // also guards against re-entry
    render::BitmapId handle = render::kNoId;
    if (m_movie->find<swf::Bitmap>(id)) {
        swf::Result<swf::DecodedBitmap> decoded = m_movie->decodeBitmap(id);
        if (decoded.ok() && decoded->width > 0 && decoded->height > 0) {
            const render::ImageView view{reinterpret_cast<const uint8_t*>(decoded->pixels.data()),
                                         decoded->width, decoded->height, decoded->width * 4};
            handle = m_renderer.registerBitmap(view);
        }
    }
    m_bitmaps[id] = handle;
    return handle;
}

render::ShapeId Library::glyph(uint16_t fontId, uint32_t index)
{
    const auto key = std::make_pair(fontId, index);
    auto it = m_glyphs.find(key);
    if (it != m_glyphs.end())
        return it->second;
    const swf::Font* font = m_movie->find<swf::Font>(fontId);
    render::ShapeId handle = render::kNoId;
    if (font && index < font->glyphs.size())
        handle = m_renderer.registerGlyph(font->glyphs[index].records);
    m_glyphs[key] = handle;
    return handle;
}

render::ShapeId Library::box(const swf::Rect& rect, std::optional<swf::Rgba> fill, std::optional<swf::Rgba> border)
{
    const std::vector<int64_t> key{rect.xMin, rect.xMax, rect.yMin, rect.yMax,
                                   fill ? int64_t(fill->argb()) : -1, border ? int64_t(border->argb()) : -1};
    auto it = m_boxes.find(key);
    if (it != m_boxes.end())
        return it->second;
    swf::Shape shape;
    shape.version = 3;
    shape.bounds = shape.edgeBounds = rect;
    swf::StyleChange start;
    start.moveTo = swf::Point{rect.xMin, rect.yMin};
    if (fill) {
        shape.styles.fills.push_back(swf::FillStyle::solid(*fill));
        start.fill1 = 1;
    }
    if (border) {
        swf::LineStyle line;
        line.width = 20;
        line.color = *border;
        line.join = swf::JoinStyle::Miter;
        line.startCap = line.endCap = swf::CapStyle::Square;
        shape.styles.lines.push_back(line);
        start.line = 1;
    }
    shape.records.push_back(start);
    shape.records.push_back(swf::StraightEdge{rect.width(), 0});
    shape.records.push_back(swf::StraightEdge{0, rect.height()});
    shape.records.push_back(swf::StraightEdge{-rect.width(), 0});
    shape.records.push_back(swf::StraightEdge{0, -rect.height()});
    const render::ShapeId handle = m_renderer.registerShape(shape, m_bitmapLookup);
    m_boxes[key] = handle;
    return handle;
}

std::shared_ptr<const std::vector<uint8_t>> Library::code(const std::vector<uint8_t>& bytes) const
{
    return std::shared_ptr<const std::vector<uint8_t>>(m_movie, &bytes);
}

}  // namespace flash
