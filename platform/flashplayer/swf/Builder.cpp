// MovieBuilder and SpriteBuilder: small movies for tests and bundled samples.
#include "swf/Writer.h"

#include <zlib.h>

#include <cmath>

namespace swf {

namespace {

PlaceObject placement(std::uint16_t characterId, std::uint16_t depth, const Matrix& m,
                      const std::optional<ColorTransform>& cx)
{
    PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.characterId = characterId;
    p.matrix = m;
    p.colorTransform = cx;
    return p;
}

// A rectangle's outline, clockwise on screen so that the inside is fill 1.
Shape rectangleShape(Rect r, const FillStyle& fill, const std::optional<LineStyle>& line)
{
    Shape s;
    s.version = fill.kind == FillKind::FocalGradient ? 4 : 3;
    if (line) {
        LineStyle plain;
        plain.width = line->width;
        plain.color = line->color;
        if (!(plain == *line))
            s.version = 4; // caps, joins or a fill need LINESTYLE2
    }
    s.styles.fills = {fill};
    if (line)
        s.styles.lines = {*line};
    const Twips pad = line ? line->width / 2 : 0;
    s.bounds = {r.xMin - pad, r.xMax + pad, r.yMin - pad, r.yMax + pad};
    s.edgeBounds = r;
    StyleChange start;
    start.moveTo = Point{r.xMin, r.yMin};
    start.fill1 = 1;
    if (line)
        start.line = 1;
    s.records = {start, StraightEdge{r.width(), 0}, StraightEdge{0, r.height()}, StraightEdge{-r.width(), 0},
                 StraightEdge{0, -r.height()}};
    return s;
}

void closeFrame(Timeline& t, Frame& f)
{
    t.frames.push_back(std::move(f));
    f = {};
}

} // namespace

MovieBuilder::MovieBuilder(int stageWidthPx, int stageHeightPx, double fps, std::uint8_t version)
{
    m_movie.header.version = version;
    m_movie.header.stageRect = {0, stageWidthPx * kTwipsPerPixel, 0, stageHeightPx * kTwipsPerPixel};
    m_movie.header.frameRate = static_cast<std::uint16_t>(std::lround(fps * 256.0));
    m_movie.header.frameCount = 0;
}

std::uint16_t MovieBuilder::add(Character character)
{
    const std::uint16_t id = m_nextId++;
    std::visit([id](auto& c) { c.id = id; }, character);
    m_movie.dictionary.emplace(id, std::move(character));
    return id;
}

std::uint16_t MovieBuilder::addRectangle(Rect rect, Rgba fill, std::optional<LineStyle> line)
{
    return add(rectangleShape(rect, FillStyle::solid(fill), line));
}

std::uint16_t MovieBuilder::addRectangle(Rect rect, const FillStyle& fill)
{
    return add(rectangleShape(rect, fill, std::nullopt));
}

std::uint16_t MovieBuilder::addBitmap(int width, int height, const std::vector<std::uint32_t>& pixels)
{
    Bitmap b;
    b.format = LosslessFormat::Rgb32;
    b.width = static_cast<std::uint16_t>(width);
    b.height = static_cast<std::uint16_t>(height);
    bool opaque = true;
    for (std::uint32_t p : pixels)
        opaque = opaque && (p >> 24) == 0xFF;
    b.kind = opaque ? BitmapKind::Lossless : BitmapKind::Lossless2;
    // ARGB (premultiplied) for Lossless2, PIX24 with a zero pad byte for Lossless.
    std::vector<std::uint8_t> raw;
    raw.reserve(pixels.size() * 4);
    for (std::uint32_t p : pixels) {
        raw.push_back(opaque ? 0 : std::uint8_t(p >> 24));
        raw.push_back(std::uint8_t(p >> 16));
        raw.push_back(std::uint8_t(p >> 8));
        raw.push_back(std::uint8_t(p));
    }
    uLongf size = compressBound(uLong(raw.size()));
    b.data.resize(size);
    compress2(b.data.data(), &size, raw.data(), uLong(raw.size()), 9);
    b.data.resize(size);
    return add(std::move(b));
}

void MovieBuilder::setBackground(Rgba color) { control(SetBackgroundColor{color}); }

void MovieBuilder::place(std::uint16_t characterId, std::uint16_t depth, Matrix matrix,
                         std::optional<ColorTransform> cxform)
{
    control(placement(characterId, depth, matrix, cxform));
}

void MovieBuilder::move(std::uint16_t depth, Matrix matrix)
{
    PlaceObject p;
    p.depth = depth;
    p.move = true;
    p.matrix = matrix;
    control(p);
}

void MovieBuilder::remove(std::uint16_t depth) { control(RemoveObject{depth, std::nullopt}); }

void MovieBuilder::control(ControlTag tag)
{
    m_frame.tags.push_back(std::move(tag));
    m_frameDirty = true;
}

void MovieBuilder::label(std::string name)
{
    m_movie.timeline.labels.push_back(FrameLabel{std::move(name), std::uint32_t(m_movie.timeline.frames.size()), false});
    m_frameDirty = true;
}

void MovieBuilder::action(std::vector<std::uint8_t> bytes) { control(DoAction{std::move(bytes)}); }

void MovieBuilder::showFrame()
{
    closeFrame(m_movie.timeline, m_frame);
    m_frameDirty = false;
}

void MovieBuilder::finish()
{
    if (m_frameDirty)
        showFrame();
    m_movie.header.frameCount = static_cast<std::uint16_t>(m_movie.timeline.frames.size());
    m_movie.timeline.declaredFrameCount = m_movie.header.frameCount;
}

Result<std::vector<std::uint8_t>> MovieBuilder::build(Compression compression)
{
    finish();
    m_movie.header.compression = compression;
    return writeMovie(m_movie);
}

Status MovieBuilder::save(const std::string& path, Compression compression)
{
    finish();
    m_movie.header.compression = compression;
    return writeMovieFile(m_movie, path);
}

void SpriteBuilder::place(std::uint16_t characterId, std::uint16_t depth, Matrix matrix,
                          std::optional<ColorTransform> cxform)
{
    control(placement(characterId, depth, matrix, cxform));
}

void SpriteBuilder::remove(std::uint16_t depth) { control(RemoveObject{depth, std::nullopt}); }

void SpriteBuilder::control(ControlTag tag) { m_frame.tags.push_back(std::move(tag)); }

void SpriteBuilder::label(std::string name)
{
    m_timeline.labels.push_back(FrameLabel{std::move(name), std::uint32_t(m_timeline.frames.size()), false});
}

void SpriteBuilder::showFrame() { closeFrame(m_timeline, m_frame); }

Sprite SpriteBuilder::sprite()
{
    if (!m_frame.tags.empty())
        showFrame();
    Sprite s;
    s.timeline = m_timeline;
    s.timeline.declaredFrameCount = static_cast<std::uint16_t>(s.timeline.frames.size());
    return s;
}

} // namespace swf
