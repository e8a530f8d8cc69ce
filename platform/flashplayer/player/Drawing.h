// The vector content scripts draw into a clip (beginFill, lineStyle, lineTo, ...).
// It is kept as the records of a DefineShape, so the renderer builds and draws it
// like any shape: every beginFill and endFill opens a new style group, which puts
// later fills and strokes above the earlier ones. An open fill is closed with a
// stroked line back to where its contour began, at endFill, at a new beginFill, at
// a moveTo, and (without changing what the script sees) whenever it is drawn.
// Coordinates arrive in pixels of the clip's space and are kept in twips.
#pragma once

#include "render/Renderer.h"
#include "swf/Shape.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace flash {

class BitmapSurface;

// The records all drawings of one movie may hold together, so that many clips cannot
// add up what one may not hold.
struct DrawingBudget {
    std::size_t limit = std::size_t(1) << 21;
    std::size_t used = 0;
};

class Drawing {
public:
    // Beyond this many records a drawing takes no more edges or style changes.
    static constexpr std::size_t kMaxRecords = std::size_t(1) << 20;
    // Coordinates are clamped into +-kMaxCoordinate twips.
    static constexpr swf::Twips kMaxCoordinate = swf::Twips(1) << 26;

    // `budget` (may be null) must outlive the drawing.
    explicit Drawing(DrawingBudget* budget = nullptr) : m_budget(budget) {}
    ~Drawing();
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    // Closes the open fill and starts a new one; no style ends filling.
    void beginFill(std::optional<swf::FillStyle> fill);
    void endFill();
    // The stroke for the edges that follow; no style draws them unstroked.
    void lineStyle(std::optional<swf::LineStyle> line);
    // Paints the current stroke with `fill` (lineGradientStyle); no stroke, no effect.
    void lineFill(const swf::FillStyle& fill);
    bool hasLine() const { return m_line.has_value(); }
    // Pixels; non-finite values make the call do nothing.
    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void curveTo(double controlX, double controlY, double anchorX, double anchorY);
    // Drops everything drawn, the fill and the stroke; the pen goes back to (0, 0).
    void clear();
    // beginBitmapFill: the fill shows `bitmap` as it is at each drawing, through
    // `matrix` (bitmap pixels to the clip's pixels).
    void beginBitmapFill(std::shared_ptr<BitmapSurface> bitmap, const swf::Matrix& matrix, bool repeat, bool smooth);

    bool empty() const { return m_edges == 0; }
    std::size_t recordCount() const { return m_shape.records.size(); }
    // Twips of the clip's space, strokes included; none while nothing is drawn.
    std::optional<swf::Rect> bounds() const;
    // The shape as drawn now, an open fill closed.
    swf::Shape shape() const;

    // The renderer's handle of the current shape, registered again after a change
    // (kNoId while empty). The handle is released on clear() and with the drawing;
    // the renderer must outlive the drawing.
    render::ShapeId registered(render::Renderer& renderer);
    // Is the point (twips of the clip's space) inside a fill or on a stroke?
    bool hitTest(render::Renderer& renderer, double x, double y);

private:
    bool full() const
    {
        return m_shape.records.size() >= kMaxRecords || (m_budget && m_budget->used >= m_budget->limit);
    }
    void push(swf::ShapeRecord record);
    void giveBack();
    void startGroup();
    void closeContour();
    void addEdge(const swf::ShapeRecord& edge, swf::Point to, std::optional<swf::Point> control);
    void include(swf::Point p, double halfStroke);
    void changed();
    void release();

    DrawingBudget* m_budget = nullptr;
    swf::Shape m_shape;
    std::size_t m_groupRecord = 0;          // record that opened the current group
    std::optional<swf::FillStyle> m_fill;   // the open fill
    std::optional<swf::LineStyle> m_line;   // the current stroke
    swf::Point m_pen;
    swf::Point m_contourStart;
    bool m_contourOpen = false;             // the open fill has edges since its last close
    std::size_t m_edges = 0;
    std::optional<swf::Rect> m_bounds;

    // Script bitmaps the fills show, by their index + 1 as the fills' bitmap ids, with
    // the version last handed to the renderer.
    struct FillBitmap {
        std::shared_ptr<BitmapSurface> surface;
        uint64_t version = 0;
        render::BitmapId id = render::kNoId;
    };
    std::vector<FillBitmap> m_bitmaps;

    render::Renderer* m_renderer = nullptr;
    render::ShapeId m_id = render::kNoId;
    bool m_dirty = false;
};

}  // namespace flash
