// The loaded movie's characters as the renderer knows them: each shape, morph, glyph
// and bitmap is registered the first time it is drawn and released with the library.
#pragma once

#include "render/Renderer.h"
#include "swf/Movie.h"

#include <map>
#include <memory>
#include <vector>

namespace flash {

class Library {
public:
    Library(std::shared_ptr<const swf::Movie> movie, render::Renderer& renderer);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const swf::Movie& movie() const { return *m_movie; }
    render::Renderer& renderer() { return m_renderer; }

    render::ShapeId shape(uint16_t id);
    render::MorphId morph(uint16_t id);
    render::BitmapId bitmap(uint16_t id);
    render::ShapeId glyph(uint16_t fontId, uint32_t index);
    // A box in twips with an optional fill and a one-pixel border (text fields).
    render::ShapeId box(const swf::Rect& rect, std::optional<swf::Rgba> fill, std::optional<swf::Rgba> border);

    // Action bytes of the movie, shared without a copy (they live as long as the movie).
    std::shared_ptr<const std::vector<uint8_t>> code(const std::vector<uint8_t>& bytes) const;

private:
    std::shared_ptr<const swf::Movie> m_movie;
    render::Renderer& m_renderer;
    render::BitmapLookup m_bitmapLookup;
    std::map<uint16_t, render::ShapeId> m_shapes;
    std::map<uint16_t, render::MorphId> m_morphs;
    std::map<uint16_t, render::BitmapId> m_bitmaps;
    std::map<std::pair<uint16_t, uint32_t>, render::ShapeId> m_glyphs;
    std::map<std::vector<int64_t>, render::ShapeId> m_boxes;
};

}  // namespace flash
