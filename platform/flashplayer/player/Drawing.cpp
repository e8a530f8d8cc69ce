#include "Drawing.h"

#include "BitmapSurface.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

swf::Twips toClampedTwips(double pixels)
{
    const double t = std::clamp(pixels * 20.0, -double(Drawing::kMaxCoordinate), double(Drawing::kMaxCoordinate));
    return static_cast<swf::Twips>(std::lround(t));
}

// Where a quadratic's coordinate turns back, if it does between its ends.
std::optional<double> turningPoint(double p0, double c, double p1)
{
    const double denominator = p0 - 2 * c + p1;
    if (std::fabs(denominator) < 1e-9)
        return std::nullopt;
    const double t = (p0 - c) / denominator;
    if (t <= 0 || t >= 1)
        return std::nullopt;
    return (1 - t) * (1 - t) * p0 + 2 * (1 - t) * t * c + t * t * p1;
}

}  // namespace

Drawing::~Drawing()
{
    release();
    giveBack();
}

void Drawing::push(swf::ShapeRecord record)
{
    m_shape.records.push_back(std::move(record));
    if (m_budget)
        ++m_budget->used;
}

void Drawing::giveBack()
{
    if (m_budget)
        m_budget->used -= std::min(m_budget->used, m_shape.records.size());
}

void Drawing::release()
{
    if (m_renderer && m_id != render::kNoId)
        m_renderer->releaseShape(m_id);
    m_id = render::kNoId;
    for (FillBitmap& b : m_bitmaps) {
        if (m_renderer && b.id != render::kNoId)
            m_renderer->releaseBitmap(b.id);
        b.id = render::kNoId;
    }
}

void Drawing::beginBitmapFill(std::shared_ptr<BitmapSurface> bitmap, const swf::Matrix& matrix, bool repeat,
                              bool smooth)
{
    constexpr size_t kMaxBitmaps = 256;
    if (!bitmap || m_bitmaps.size() >= kMaxBitmaps) {
        beginFill(std::nullopt);
        return;
    }
    size_t index = 0;
    while (index < m_bitmaps.size() && m_bitmaps[index].surface != bitmap)
        ++index;
    if (index == m_bitmaps.size())
        m_bitmaps.push_back({std::move(bitmap), 0, render::kNoId});
    swf::FillStyle fill;
    fill.kind = swf::FillKind::Bitmap;
    fill.bitmapId = uint16_t(index + 1);
    // Bitmap fills map bitmap pixels to twips.
    fill.matrix = matrix;
    fill.matrix.a *= 20;
    fill.matrix.b *= 20;
    fill.matrix.c *= 20;
    fill.matrix.d *= 20;
    fill.repeating = repeat;
    fill.smoothed = smooth;
    beginFill(fill);
}

void Drawing::changed() { m_dirty = true; }

// A change record with new style arrays: the open fill (if any) and the current
// stroke, each as style 1.
void Drawing::startGroup()
{
    if (full())
        return;
    swf::StyleChange change;
    swf::StyleArrays styles;
    if (m_fill)
        styles.fills.push_back(*m_fill);
    if (m_line)
        styles.lines.push_back(*m_line);
    change.newStyles = std::move(styles);
    change.fill0 = 0;
    change.fill1 = m_fill ? 1 : 0;
    change.line = m_line ? 1 : 0;
    change.moveTo = m_pen;
    m_groupRecord = m_shape.records.size();
    push(std::move(change));
    changed();
}

void Drawing::closeContour()
{
    if (m_fill && m_contourOpen && !(m_pen == m_contourStart))
        addEdge(swf::StraightEdge{m_contourStart.x - m_pen.x, m_contourStart.y - m_pen.y}, m_contourStart,
                std::nullopt);
    m_contourOpen = false;
}

void Drawing::beginFill(std::optional<swf::FillStyle> fill)
{
    closeContour();
    if (!fill && !m_fill)
        return;
    m_fill = std::move(fill);
    m_contourStart = m_pen;
    startGroup();
}

void Drawing::endFill() { beginFill(std::nullopt); }

void Drawing::lineStyle(std::optional<swf::LineStyle> line)
{
    if (full())
        return;
    m_line = std::move(line);
    if (m_shape.records.empty()) {
        startGroup();
        return;
    }
    swf::StyleChange change;
    if (m_line) {
        auto& lines = std::get<swf::StyleChange>(m_shape.records[m_groupRecord]).newStyles->lines;
        // The same stroke set again (scripts often do so before every segment) is not
        // kept twice.
        if (lines.empty() || !(lines.back() == *m_line))
            lines.push_back(*m_line);
        change.line = static_cast<std::uint32_t>(lines.size());
    } else {
        change.line = 0;
    }
    push(std::move(change));
    changed();
}

void Drawing::lineFill(const swf::FillStyle& fill)
{
    if (!m_line)
        return;
    swf::LineStyle line = *m_line;
    line.fill = fill;
    lineStyle(std::move(line));
}

void Drawing::moveTo(double x, double y)
{
    if (std::isnan(x) || std::isnan(y))
        return;
    closeContour();
    if (full())
        return;
    if (m_shape.records.empty())
        startGroup();
    m_pen = {toClampedTwips(x), toClampedTwips(y)};
    m_contourStart = m_pen;
    swf::StyleChange change;
    change.moveTo = m_pen;
    push(std::move(change));
    changed();
}

void Drawing::lineTo(double x, double y)
{
    if (std::isnan(x) || std::isnan(y) || full())
        return;
    const swf::Point to{toClampedTwips(x), toClampedTwips(y)};
    addEdge(swf::StraightEdge{to.x - m_pen.x, to.y - m_pen.y}, to, std::nullopt);
}

void Drawing::curveTo(double controlX, double controlY, double anchorX, double anchorY)
{
    if (std::isnan(controlX) || std::isnan(controlY) || std::isnan(anchorX) || std::isnan(anchorY) || full())
        return;
    const swf::Point control{toClampedTwips(controlX), toClampedTwips(controlY)};
    const swf::Point to{toClampedTwips(anchorX), toClampedTwips(anchorY)};
    addEdge(swf::CurvedEdge{control.x - m_pen.x, control.y - m_pen.y, to.x - control.x, to.y - control.y}, to,
            control);
}

void Drawing::addEdge(const swf::ShapeRecord& edge, swf::Point to, std::optional<swf::Point> control)
{
    if (full())
        return;
    if (m_shape.records.empty())
        startGroup();
    const double halfStroke = m_line ? m_line->width / 2.0 : 0.0;
    include(m_pen, halfStroke);
    include(to, halfStroke);
    if (control) {
        const auto tx = turningPoint(m_pen.x, control->x, to.x);
        const auto ty = turningPoint(m_pen.y, control->y, to.y);
        if (tx)
            include({swf::Twips(std::lround(*tx)), m_pen.y}, halfStroke);
        if (ty)
            include({m_pen.x, swf::Twips(std::lround(*ty))}, halfStroke);
    }
    push(edge);
    m_pen = to;
    if (m_fill)
        m_contourOpen = true;
    ++m_edges;
    changed();
}

// Grows the bounds by a point; only one coordinate of a curve's turning point counts,
// so the other is taken from an end already included.
void Drawing::include(swf::Point p, double halfStroke)
{
    const auto h = static_cast<swf::Twips>(std::ceil(halfStroke));
    const swf::Rect r{p.x - h, p.x + h, p.y - h, p.y + h};
    if (!m_bounds) {
        m_bounds = r;
        return;
    }
    m_bounds->xMin = std::min(m_bounds->xMin, r.xMin);
    m_bounds->xMax = std::max(m_bounds->xMax, r.xMax);
    m_bounds->yMin = std::min(m_bounds->yMin, r.yMin);
    m_bounds->yMax = std::max(m_bounds->yMax, r.yMax);
}

void Drawing::clear()
{
    release();
    giveBack();
    m_bitmaps.clear();
    m_shape = swf::Shape{};
    m_groupRecord = 0;
    m_fill.reset();
    m_line.reset();
    m_pen = m_contourStart = swf::Point{};
    m_contourOpen = false;
    m_edges = 0;
    m_bounds.reset();
    m_dirty = false;
}

std::optional<swf::Rect> Drawing::bounds() const { return m_edges ? m_bounds : std::nullopt; }

swf::Shape Drawing::shape() const
{
    swf::Shape shape = m_shape;
    shape.version = 4;
    if (m_bounds)
        shape.bounds = shape.edgeBounds = *m_bounds;
    if (m_fill && m_contourOpen && !(m_pen == m_contourStart))
        shape.records.push_back(swf::StraightEdge{m_contourStart.x - m_pen.x, m_contourStart.y - m_pen.y});
    return shape;
}

render::ShapeId Drawing::registered(render::Renderer& renderer)
{
    // A bitmap a fill shows changed: the shape takes its new pixels.
    for (const FillBitmap& b : m_bitmaps)
        if (b.surface->version() != b.version)
            m_dirty = true;
    if (!m_dirty && m_id != render::kNoId)
        return m_id;
    release();
    m_dirty = false;
    if (empty())
        return render::kNoId;
    m_renderer = &renderer;
    m_id = renderer.registerShape(shape(), [this, &renderer](std::uint16_t id) {
        if (id == 0 || id > m_bitmaps.size())
            return render::kNoId;
        FillBitmap& b = m_bitmaps[id - 1];
        if (b.id == render::kNoId && !b.surface->disposed() && b.surface->width() > 0) {
            const std::vector<uint32_t>& pixels = b.surface->premultiplied();
            b.id = renderer.registerBitmap({reinterpret_cast<const uint8_t*>(pixels.data()), b.surface->width(),
                                            b.surface->height(), b.surface->width() * 4});
        }
        b.version = b.surface->version();
        return b.id;
    });
    return m_id;
}

bool Drawing::hitTest(render::Renderer& renderer, double x, double y)
{
    const render::ShapeId id = registered(renderer);
    return id != render::kNoId && renderer.hitTest(id, x, y);
}

}  // namespace flash
