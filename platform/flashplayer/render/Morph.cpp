#include "render/Morph.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {

double lerp(double a, double b, double t) { return a + (b - a) * t; }

swf::Twips lerpTwips(swf::Twips a, swf::Twips b, double t)
{
    return static_cast<swf::Twips>(std::lround(lerp(a, b, t)));
}

std::uint8_t lerpByte(std::uint8_t a, std::uint8_t b, double t)
{
    return static_cast<std::uint8_t>(std::clamp<long>(std::lround(lerp(a, b, t)), 0, 255));
}

swf::Rgba lerpColor(swf::Rgba a, swf::Rgba b, double t)
{
    return {lerpByte(a.r, b.r, t), lerpByte(a.g, b.g, t), lerpByte(a.b, b.b, t), lerpByte(a.a, b.a, t)};
}

swf::Matrix lerpMatrix(const swf::Matrix& a, const swf::Matrix& b, double t)
{
    swf::Matrix m;
    m.a = lerp(a.a, b.a, t);
    m.b = lerp(a.b, b.b, t);
    m.c = lerp(a.c, b.c, t);
    m.d = lerp(a.d, b.d, t);
    m.tx = lerpTwips(a.tx, b.tx, t);
    m.ty = lerpTwips(a.ty, b.ty, t);
    return m;
}

swf::FillStyle lerpFill(const swf::FillStyle& a, const swf::FillStyle& b, double t)
{
    swf::FillStyle f = a;
    f.color = lerpColor(a.color, b.color, t);
    f.matrix = lerpMatrix(a.matrix, b.matrix, t);
    f.gradient.focalPoint = lerp(a.gradient.focalPoint, b.gradient.focalPoint, t);
    const std::size_t n = std::min(a.gradient.records.size(), b.gradient.records.size());
    f.gradient.records.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        f.gradient.records[i].ratio = lerpByte(a.gradient.records[i].ratio, b.gradient.records[i].ratio, t);
        f.gradient.records[i].color = lerpColor(a.gradient.records[i].color, b.gradient.records[i].color, t);
    }
    return f;
}

swf::LineStyle lerpLine(const swf::LineStyle& a, const swf::LineStyle& b, double t)
{
    swf::LineStyle l = a;
    l.width = static_cast<std::uint16_t>(std::clamp<long>(std::lround(lerp(a.width, b.width, t)), 0, 65535));
    l.color = lerpColor(a.color, b.color, t);
    l.miterLimit = lerp(a.miterLimit, b.miterLimit, t);
    if (a.fill && b.fill)
        l.fill = lerpFill(*a.fill, *b.fill, t);
    return l;
}

struct AbsPoint {
    double x = 0, y = 0;
};

// An edge in absolute coordinates; straight edges get their midpoint as control.
struct AbsEdge {
    AbsPoint control, to;
    bool curved = false;
};

AbsEdge absolute(const swf::ShapeRecord& record, AbsPoint at)
{
    if (const auto* s = std::get_if<swf::StraightEdge>(&record)) {
        const AbsPoint to{at.x + s->dx, at.y + s->dy};
        return {{(at.x + to.x) / 2, (at.y + to.y) / 2}, to, false};
    }
    const auto& c = std::get<swf::CurvedEdge>(record);
    const AbsPoint control{at.x + c.controlDx, at.y + c.controlDy};
    return {control, {control.x + c.anchorDx, control.y + c.anchorDy}, true};
}

// Walks the end records alongside the start records, pairing their edges.
class EndCursor {
public:
    explicit EndCursor(const std::vector<swf::ShapeRecord>& records) : m_records(records) {}

    void skipChanges()
    {
        while (m_index < m_records.size()) {
            const auto* change = std::get_if<swf::StyleChange>(&m_records[m_index]);
            if (!change)
                return;
            if (change->moveTo)
                m_at = {double(change->moveTo->x), double(change->moveTo->y)};
            ++m_index;
        }
    }
    // The next end edge; a missing one stays where the end shape is.
    AbsEdge nextEdge()
    {
        skipChanges();
        if (m_index >= m_records.size())
            return {m_at, m_at, false};
        AbsEdge e = absolute(m_records[m_index++], m_at);
        m_at = e.to;
        return e;
    }
    AbsPoint at() const { return m_at; }

private:
    const std::vector<swf::ShapeRecord>& m_records;
    std::size_t m_index = 0;
    AbsPoint m_at;
};

// Emits records with absolute points rounded once, so that shared vertices of
// interpolated contours meet exactly.
class RecordEmitter {
public:
    explicit RecordEmitter(std::vector<swf::ShapeRecord>& out) : m_out(out) {}

    void moveTo(swf::StyleChange change, AbsPoint p)
    {
        m_at = {std::lround(p.x), std::lround(p.y)};
        change.moveTo = swf::Point{swf::Twips(m_at.first), swf::Twips(m_at.second)};
        m_out.push_back(std::move(change));
    }
    void edge(AbsPoint control, AbsPoint to, bool curved)
    {
        const std::pair<long, long> c{std::lround(control.x), std::lround(control.y)};
        const std::pair<long, long> e{std::lround(to.x), std::lround(to.y)};
        if (curved)
            m_out.push_back(swf::CurvedEdge{swf::Twips(c.first - m_at.first), swf::Twips(c.second - m_at.second),
                                            swf::Twips(e.first - c.first), swf::Twips(e.second - c.second)});
        else
            m_out.push_back(swf::StraightEdge{swf::Twips(e.first - m_at.first), swf::Twips(e.second - m_at.second)});
        m_at = e;
    }

private:
    std::vector<swf::ShapeRecord>& m_out;
    std::pair<long, long> m_at{0, 0};
};

AbsPoint lerpPoint(AbsPoint a, AbsPoint b, double t) { return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)}; }

}  // namespace

swf::Shape morphAt(const swf::MorphShape& morph, double t)
{
    swf::Shape shape;
    shape.version = 4;
    for (const swf::MorphFillStyle& f : morph.fills)
        shape.styles.fills.push_back(lerpFill(f.start, f.end, t));
    for (const swf::MorphLineStyle& l : morph.lines)
        shape.styles.lines.push_back(lerpLine(l.start, l.end, t));
    shape.records.reserve(morph.startRecords.size());

    EndCursor end(morph.endRecords);
    RecordEmitter emit(shape.records);
    AbsPoint startAt;
    for (const swf::ShapeRecord& record : morph.startRecords) {
        if (const auto* change = std::get_if<swf::StyleChange>(&record)) {
            end.skipChanges();
            if (change->moveTo)
                startAt = {double(change->moveTo->x), double(change->moveTo->y)};
            swf::StyleChange copy = *change;
            copy.newStyles.reset();  // morph shapes have one style array
            emit.moveTo(std::move(copy), lerpPoint(startAt, end.at(), t));
            continue;
        }
        const AbsEdge s = absolute(record, startAt);
        const AbsEdge e = end.nextEdge();
        startAt = s.to;
        emit.edge(lerpPoint(s.control, e.control, t), lerpPoint(s.to, e.to, t), s.curved || e.curved);
    }
    return shape;
}

}  // namespace render
