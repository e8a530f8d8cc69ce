#include "render/ShapeBuilder.h"

#include <QPainterPathStroker>

#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace render {

namespace {

struct Pt {
    std::int64_t x = 0, y = 0;
    bool operator==(const Pt&) const = default;
};

// One edge in twips. Straight edges have no control point.
struct Edge {
    Pt from, control, to;
    bool curved = false;

    Edge reversed() const { return {to, control, from, curved}; }
};

struct PtHash {
    std::size_t operator()(const Pt& p) const
    {
        return std::hash<std::uint64_t>()(std::uint64_t(p.x) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(p.y));
    }
};

void appendEdge(QPainterPath& path, const Edge& e)
{
    if (e.curved)
        path.quadTo(double(e.control.x), double(e.control.y), double(e.to.x), double(e.to.y));
    else
        path.lineTo(double(e.to.x), double(e.to.y));
}

// Joins the edges of one fill style into closed contours: from the end of the contour
// so far, continue with an unused edge that starts there (the next one in record order
// when it fits, as it usually does).
QPainterPath joinContours(const std::vector<Edge>& edges)
{
    // Edges by start point; each list is consumed from its front, so that a point many
    // edges start from (a hostile file's star) costs no more than a plain one.
    struct Starts {
        std::vector<std::size_t> edges;
        std::size_t next = 0;
    };
    std::unordered_map<Pt, Starts, PtHash> byStart;
    byStart.reserve(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i)
        byStart[edges[i].from].edges.push_back(i);
    std::vector<bool> used(edges.size(), false);

    auto takeStartingAt = [&](Pt p, std::size_t preferred) -> std::ptrdiff_t {
        if (preferred < edges.size() && !used[preferred] && edges[preferred].from == p)
            return std::ptrdiff_t(preferred);
        auto it = byStart.find(p);
        if (it == byStart.end())
            return -1;
        Starts& starts = it->second;
        while (starts.next < starts.edges.size() && used[starts.edges[starts.next]])
            ++starts.next;
        return starts.next < starts.edges.size() ? std::ptrdiff_t(starts.edges[starts.next]) : -1;
    };

    QPainterPath path;
    for (std::size_t start = 0; start < edges.size(); ++start) {
        if (used[start])
            continue;
        used[start] = true;
        const Pt origin = edges[start].from;
        path.moveTo(double(origin.x), double(origin.y));
        appendEdge(path, edges[start]);
        Pt at = edges[start].to;
        std::size_t last = start;
        while (!(at == origin)) {
            const std::ptrdiff_t next = takeStartingAt(at, last + 1);
            if (next < 0)
                break;
            used[std::size_t(next)] = true;
            appendEdge(path, edges[std::size_t(next)]);
            at = edges[std::size_t(next)].to;
            last = std::size_t(next);
        }
        path.closeSubpath();
    }
    return path;
}

// Edges of one style group, sorted by the style they bound.
class GroupCollector {
public:
    explicit GroupCollector(const swf::StyleArrays& styles)
        : m_styles(styles), m_fillEdges(styles.fills.size()), m_seamEdges(styles.fills.size()),
          m_lineEdges(styles.lines.size())
    {
    }

    void add(const Edge& e, std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line)
    {
        if (fill0 != fill1) {
            const bool has1 = valid(fill1, m_fillEdges.size()), has0 = valid(fill0, m_fillEdges.size());
            if (has1)
                m_fillEdges[fill1 - 1].push_back(e);
            if (has0)
                m_fillEdges[fill0 - 1].push_back(e.reversed());
            // An edge between two fills: the one drawn first gets it as a seam.
            if (has0 && has1)
                m_seamEdges[std::min(fill0, fill1) - 1].push_back(e);
        }
        if (valid(line, m_lineEdges.size()))
            m_lineEdges[line - 1].push_back(e);
    }

    BuiltGroup finish(bool nonZero) const
    {
        BuiltGroup group;
        for (std::size_t i = 0; i < m_fillEdges.size(); ++i) {
            if (m_fillEdges[i].empty())
                continue;
            BuiltFill fill;
            fill.path = joinContours(m_fillEdges[i]);
            fill.path.setFillRule(nonZero ? Qt::WindingFill : Qt::OddEvenFill);
            fill.style = m_styles.fills[i];
            if (!m_seamEdges[i].empty())
                fill.seam = strokePath(m_seamEdges[i], true);
            group.fills.push_back(std::move(fill));
        }
        for (std::size_t i = 0; i < m_lineEdges.size(); ++i) {
            if (m_lineEdges[i].empty())
                continue;
            BuiltStroke stroke;
            stroke.style = m_styles.lines[i];
            stroke.path = strokePath(m_lineEdges[i], stroke.style.noClose);
            group.strokes.push_back(std::move(stroke));
        }
        return group;
    }

    bool empty() const
    {
        for (const auto& v : m_fillEdges)
            if (!v.empty())
                return false;
        for (const auto& v : m_lineEdges)
            if (!v.empty())
                return false;
        return true;
    }

private:
    static bool valid(std::uint32_t index, std::size_t count) { return index >= 1 && index <= count; }

    // Edges of one line style in record order; a gap starts a new subpath, and a subpath
    // that ends where it began is closed so its corner is joined rather than capped.
    static QPainterPath strokePath(const std::vector<Edge>& edges, bool noClose)
    {
        QPainterPath path;
        Pt subpathStart, at;
        bool open = false;
        auto finishSubpath = [&] {
            if (!open || !(at == subpathStart))
                return;
            if (!noClose) {
                path.closeSubpath();
                return;
            }
            // Qt's stroker joins any subpath that ends on its start; a thousandth of a
            // twip short of it keeps the two ends capped as NoClose asks.
            const int last = path.elementCount() - 1;
            const QPainterPath::Element before = path.elementAt(last - 1);
            const QPainterPath::Element end = path.elementAt(last);
            const QPointF back = QPointF(before.x - end.x, before.y - end.y);
            const double length = std::hypot(back.x(), back.y());
            if (length > 0)
                path.setElementPositionAt(last, end.x + back.x() / length * 1e-3,
                                          end.y + back.y() / length * 1e-3);
        };
        for (const Edge& e : edges) {
            if (!open || !(e.from == at)) {
                finishSubpath();
                path.moveTo(double(e.from.x), double(e.from.y));
                subpathStart = e.from;
                open = true;
            }
            appendEdge(path, e);
            at = e.to;
        }
        finishSubpath();
        return path;
    }

    const swf::StyleArrays& m_styles;
    std::vector<std::vector<Edge>> m_fillEdges;
    std::vector<std::vector<Edge>> m_seamEdges;
    std::vector<std::vector<Edge>> m_lineEdges;
};

QRectF strokeBounds(const BuiltStroke& stroke)
{
    // Half the width on every side, at least a pixel for hairlines.
    const double half = std::max<double>(stroke.style.width, 20.0) / 2.0 *
                        (stroke.style.join == swf::JoinStyle::Miter ? std::max(1.0, stroke.style.miterLimit) : 1.5);
    return stroke.path.controlPointRect().adjusted(-half, -half, half, half);
}

void finishBounds(BuiltShape& shape)
{
    QRectF bounds;
    for (const BuiltGroup& g : shape.groups) {
        for (const BuiltFill& f : g.fills)
            bounds |= f.path.controlPointRect();
        for (const BuiltStroke& s : g.strokes)
            bounds |= strokeBounds(s);
    }
    shape.bounds = bounds;
}

}  // namespace

BuiltShape buildShape(const ShapeSource& source)
{
    static const swf::StyleArrays kNoStyles;
    BuiltShape shape;
    const swf::StyleArrays* styles = source.styles ? source.styles : &kNoStyles;
    std::vector<swf::StyleArrays> ownedStyles;  // keeps new-style arrays alive per group
    ownedStyles.reserve(4);
    auto collector = std::make_unique<GroupCollector>(*styles);
    std::uint32_t fill0 = 0, fill1 = 0, line = 0;
    Pt at;

    auto closeGroup = [&] {
        if (!collector->empty())
            shape.groups.push_back(collector->finish(source.nonZeroWinding));
    };

    for (const swf::ShapeRecord& record : source.records) {
        if (const auto* change = std::get_if<swf::StyleChange>(&record)) {
            if (change->newStyles) {
                closeGroup();
                // A vector of owned arrays may reallocate: keep each in its own node.
                ownedStyles.clear();
                ownedStyles.push_back(*change->newStyles);
                collector = std::make_unique<GroupCollector>(ownedStyles.back());
                fill0 = fill1 = line = 0;
            }
            if (change->moveTo)
                at = {change->moveTo->x, change->moveTo->y};
            if (change->fill0)
                fill0 = *change->fill0;
            if (change->fill1)
                fill1 = *change->fill1;
            if (change->line)
                line = *change->line;
        } else if (const auto* straight = std::get_if<swf::StraightEdge>(&record)) {
            const Pt to{at.x + straight->dx, at.y + straight->dy};
            collector->add({at, {}, to, false}, fill0, fill1, line);
            at = to;
        } else if (const auto* curve = std::get_if<swf::CurvedEdge>(&record)) {
            const Pt control{at.x + curve->controlDx, at.y + curve->controlDy};
            const Pt to{control.x + curve->anchorDx, control.y + curve->anchorDy};
            collector->add({at, control, to, true}, fill0, fill1, line);
            at = to;
        }
    }
    closeGroup();
    finishBounds(shape);
    return shape;
}

BuiltShape buildGlyph(std::span<const swf::ShapeRecord> records)
{
    swf::StyleArrays styles;
    styles.fills.push_back(swf::FillStyle::solid({0, 0, 0, 255}));
    BuiltShape shape = buildShape({&styles, records, false});
    // Glyph outlines come from font outlines, wound for the non-zero rule; overlapping
    // contours of one glyph must not cancel.
    for (BuiltGroup& g : shape.groups) {
        g.strokes.clear();
        for (BuiltFill& f : g.fills)
            f.path.setFillRule(Qt::WindingFill);
    }
    shape.glyph = true;
    return shape;
}

}  // namespace render
