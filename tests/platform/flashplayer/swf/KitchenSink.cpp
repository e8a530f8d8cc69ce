#include "KitchenSink.h"

namespace swftest {

using namespace swf;

namespace {

Matrix someMatrix(int k)
{
    Matrix m;
    m.a = 1.5 + k;
    m.b = -0.25;
    m.c = 0.125;
    m.d = 0.75;
    m.tx = 100 * k - 7;
    m.ty = -33 * k;
    return m;
}

Gradient gradient(bool rgba, int count)
{
    Gradient g;
    g.spread = SpreadMode::Reflect;
    g.interpolation = InterpolationMode::LinearRgb;
    for (int i = 0; i < count; ++i)
        g.records.push_back({std::uint8_t(i * 255 / (count - 1)), Rgba{std::uint8_t(i * 20), 40, 200, std::uint8_t(rgba ? 128 : 255)}});
    return g;
}

std::vector<ShapeRecord> edges(bool newStyles, int shapeVersion)
{
    StyleChange start;
    start.moveTo = Point{-400, 1200};
    start.fill0 = 1;
    start.fill1 = 2;
    start.line = 1;
    std::vector<ShapeRecord> r = {start, StraightEdge{400, 0}, StraightEdge{0, -65535}, StraightEdge{-3, 2},
                                  CurvedEdge{10, -20, 300, 4000}, StraightEdge{-407, 63573}};
    if (newStyles) {
        StyleChange ns;
        ns.newStyles = StyleArrays{{FillStyle::solid({1, 2, 3, 255})}, {LineStyle{}}};
        ns.fill0 = 1;
        ns.line = 0;
        r.push_back(ns);
        r.push_back(StraightEdge{5, 5});
    }
    StyleChange off;
    off.fill1 = 0;
    r.push_back(off);
    return r;
}

FillStyle bitmapFill(std::uint16_t id, bool repeating, bool smoothed)
{
    FillStyle f;
    f.kind = FillKind::Bitmap;
    f.bitmapId = id;
    f.repeating = repeating;
    f.smoothed = smoothed;
    f.matrix = someMatrix(2);
    return f;
}

FillStyle gradientFill(FillKind kind, bool rgba, int count)
{
    FillStyle f;
    f.kind = kind;
    f.matrix = someMatrix(1);
    f.gradient = gradient(rgba, count);
    if (kind == FillKind::FocalGradient)
        f.gradient.focalPoint = -0.75;
    return f;
}

void addShapes(Movie& m)
{
    Shape s1;
    s1.id = 1;
    s1.version = 1;
    s1.bounds = s1.edgeBounds = {-500, 500, -70000, 2000};
    s1.styles.fills = {FillStyle::solid({255, 0, 0, 255}), gradientFill(FillKind::LinearGradient, false, 8)};
    s1.styles.lines = {LineStyle::solid(40, {0, 0, 255, 255})};
    s1.records = edges(false, 1);
    m.dictionary.emplace(1, s1);

    Shape s2 = s1;
    s2.id = 2;
    s2.version = 2;
    for (int i = 0; i < 300; ++i) // an extended style count
        s2.styles.fills.push_back(bitmapFill(40, i % 2 == 0, i % 3 == 0));
    s2.records = edges(true, 2);
    m.dictionary.emplace(2, s2);

    Shape s3 = s1;
    s3.id = 3;
    s3.version = 3;
    s3.styles.fills = {FillStyle::solid({9, 8, 7, 6}), gradientFill(FillKind::RadialGradient, true, 15)};
    s3.styles.lines = {LineStyle::solid(0, {1, 1, 1, 0})};
    s3.records = edges(true, 3);
    m.dictionary.emplace(3, s3);

    Shape s4 = s3;
    s4.id = 4;
    s4.version = 4;
    s4.edgeBounds = {-1, 1, -2, 2};
    s4.usesFillWindingRule = true;
    s4.usesScalingStrokes = true;
    s4.styles.fills.push_back(gradientFill(FillKind::FocalGradient, true, 3));
    LineStyle l2;
    l2.width = 123;
    l2.startCap = CapStyle::None;
    l2.endCap = CapStyle::Square;
    l2.join = JoinStyle::Miter;
    l2.miterLimit = 2.5;
    l2.noHScale = true;
    l2.pixelHinting = true;
    l2.noClose = true;
    l2.color = {5, 6, 7, 8};
    LineStyle l3 = l2;
    l3.join = JoinStyle::Bevel;
    l3.miterLimit = 3;     // kept only for miter joins
    l3.color = Rgba{};     // a filled stroke has no colour of its own
    l3.fill = gradientFill(FillKind::LinearGradient, true, 2);
    s4.styles.lines = {l2, l3};
    m.dictionary.emplace(4, s4);
}

void addMorphs(Movie& m)
{
    MorphShape a;
    a.id = 5;
    a.version = 1;
    a.startBounds = {0, 100, 0, 100};
    a.endBounds = {0, 200, 0, 300};
    MorphFillStyle solid{FillStyle::solid({1, 2, 3, 4}), FillStyle::solid({5, 6, 7, 8})};
    MorphFillStyle grad{gradientFill(FillKind::RadialGradient, true, 4), gradientFill(FillKind::RadialGradient, true, 4)};
    grad.end.matrix = someMatrix(3);
    grad.end.gradient.records[1].ratio = 7;
    MorphFillStyle bmp{bitmapFill(40, false, false), bitmapFill(40, false, false)};
    bmp.end.matrix = someMatrix(4);
    a.fills = {solid, grad, bmp};
    MorphLineStyle line;
    line.start.width = 20;
    line.end.width = 60;
    line.start.color = {10, 20, 30, 40};
    line.end.color = {50, 60, 70, 80};
    a.lines = {line};
    a.startRecords = edges(false, 1);
    a.endRecords = {StyleChange{Point{1, 2}, {}, {}, {}, {}}, StraightEdge{400, 0}, CurvedEdge{1, 1, 1, 1},
                    StraightEdge{0, 5}, StraightEdge{7, 0}, StraightEdge{-4, 4}};
    m.dictionary.emplace(5, a);

    MorphShape b = a;
    b.id = 6;
    b.version = 2;
    b.startEdgeBounds = {1, 2, 3, 4};
    b.endEdgeBounds = {5, 6, 7, 8};
    b.usesNonScalingStrokes = true;
    MorphFillStyle focal{gradientFill(FillKind::FocalGradient, true, 2), gradientFill(FillKind::FocalGradient, true, 2)};
    focal.end.gradient.focalPoint = 0.5;
    b.fills.push_back(focal);
    MorphLineStyle l2 = line;
    l2.start.join = l2.end.join = JoinStyle::Miter;
    l2.start.miterLimit = l2.end.miterLimit = 4;
    l2.start.startCap = l2.end.startCap = CapStyle::Square;
    l2.start.noClose = l2.end.noClose = true;
    MorphLineStyle l3 = l2;
    l3.start.join = l3.end.join = JoinStyle::Round;
    l3.start.miterLimit = l3.end.miterLimit = 3;
    l3.start.fill = solid.start;
    l3.end.fill = solid.end;
    l3.start.color = l3.end.color = Rgba{};
    b.lines = {line, l2, l3};
    m.dictionary.emplace(6, b);
}

Glyph glyph(std::uint16_t code)
{
    Glyph g;
    StyleChange sc;
    sc.moveTo = Point{0, -700};
    sc.fill1 = 1;
    g.records = {sc, StraightEdge{500, 0}, CurvedEdge{100, 300, -100, 400}, StraightEdge{-500, 0}};
    g.code = code;
    return g;
}

void addText(Movie& m)
{
    Font f1;
    f1.id = 10;
    f1.version = 1;
    f1.name = "Old Font";
    f1.bold = true;
    f1.wideCodes = false;
    f1.glyphs = {glyph('A'), glyph('B')};
    m.dictionary.emplace(10, f1);

    Font f2;
    f2.id = 11;
    f2.version = 2;
    f2.name = "Layout Font";
    f2.italic = f2.ansi = f2.smallText = true;
    f2.language = 1;
    f2.glyphs = {glyph(0x4E2D), glyph('x'), glyph('y')};
    f2.hasLayout = true;
    f2.ascent = 900;
    f2.descent = 200;
    f2.leading = -20;
    for (Glyph& g : f2.glyphs) {
        g.advance = 550;
        g.bounds = {0, 500, -700, 0};
    }
    f2.kerning = {{'x', 'y', -40}, {0x4E2D, 'x', 12}};
    m.dictionary.emplace(11, f2);

    Font f3 = f2;
    f3.id = 12;
    f3.version = 3;
    f3.wideCodes = true;
    f3.hasLayout = false;
    f3.kerning.clear();
    f3.ascent = f3.descent = f3.leading = 0; // layout members only exist with hasLayout
    for (Glyph& g : f3.glyphs) {
        g.advance = 0;
        g.bounds = {};
    }
    m.dictionary.emplace(12, f3);

    Font device; // a device font: no glyphs
    device.id = 13;
    device.version = 2;
    device.name = "_sans";
    m.dictionary.emplace(13, device);

    Text t1;
    t1.id = 14;
    t1.version = 1;
    t1.bounds = {0, 2000, -300, 100};
    t1.matrix = someMatrix(1);
    TextRecord r1;
    r1.fontId = 10;
    r1.height = 240;
    r1.color = Rgba{0, 0, 0, 255};
    r1.xOffset = 10;
    r1.yOffset = 200;
    r1.glyphs = {{0, 300}, {1, -20}};
    TextRecord r2;
    r2.yOffset = 500;
    r2.glyphs = {{1, 1000}};
    t1.records = {r1, r2};
    m.dictionary.emplace(14, t1);

    Text t2 = t1;
    t2.id = 15;
    t2.version = 2;
    t2.records[0].color = Rgba{1, 2, 3, 4};
    t2.records[0].fontId = 11;
    m.dictionary.emplace(15, t2);

    EditText e;
    e.id = 16;
    e.bounds = {0, 4000, 0, 800};
    e.wordWrap = e.multiline = e.password = e.readOnly = e.autoSize = e.noSelect = e.border = e.wasStatic =
        e.html = e.useOutlines = true;
    e.fontId = 11;
    e.fontHeight = 360;
    e.color = Rgba{200, 100, 50, 25};
    e.maxLength = 99;
    e.layout = EditTextLayout{TextAlign::Justify, 1, 2, 3, -4};
    e.variableName = "_root.field";
    e.initialText = "<p>Hello</p>";
    m.dictionary.emplace(16, e);

    EditText e2;
    e2.id = 17;
    e2.fontClass = "MyFont";
    e2.fontHeight = 100;
    m.dictionary.emplace(17, e2);
}

void addBitmaps(Movie& m)
{
    const std::vector<std::uint8_t> bytes = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
    std::uint16_t id = 40;
    for (BitmapKind k : {BitmapKind::Lossless, BitmapKind::Lossless2}) {
        for (LosslessFormat f : {LosslessFormat::ColorMapped8, LosslessFormat::Rgb15, LosslessFormat::Rgb32}) {
            Bitmap b;
            b.id = id;
            b.kind = k;
            b.format = f;
            b.width = 3;
            b.height = 2;
            b.colorTableSize = f == LosslessFormat::ColorMapped8 ? 7 : 0;
            b.data = {0x78, 0x9C, std::uint8_t(id)};
            m.dictionary.emplace(id++, b);
        }
    }
    for (BitmapKind k : {BitmapKind::Jpeg, BitmapKind::Jpeg2, BitmapKind::Jpeg3, BitmapKind::Jpeg4}) {
        Bitmap b;
        b.id = id;
        b.kind = k;
        b.data = bytes;
        if (k == BitmapKind::Jpeg3 || k == BitmapKind::Jpeg4)
            b.alphaData = {0x78, 0x9C, 9};
        if (k == BitmapKind::Jpeg4)
            b.deblocking = 0x0180;
        m.dictionary.emplace(id++, b);
    }
    m.jpegTables = {0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xD9};
}

Filter filter(FilterKind k)
{
    Filter f;
    f.kind = k;
    f.blurX = 4.5;
    f.blurY = 2;
    f.passes = 3;
    f.strength = 1.5;
    switch (k) {
    case FilterKind::DropShadow:
        f.colors = {{0, 0, 0, 128}};
        f.angle = 0.75; // exact in 16.16
        f.distance = 4;
        f.knockout = true;
        break;
    case FilterKind::Blur: f.strength = 1; break;
    case FilterKind::Glow: f.colors = {{255, 0, 0, 255}}; f.inner = true; break;
    case FilterKind::Bevel:
        f.colors = {{0, 0, 0, 255}, {255, 255, 255, 255}};
        f.onTop = true;
        f.compositeSource = false;
        f.angle = -1;
        f.distance = 2;
        break;
    case FilterKind::GradientGlow:
    case FilterKind::GradientBevel:
        f.colors = {{1, 2, 3, 4}, {5, 6, 7, 8}};
        f.ratios = {0, 255};
        f.angle = 1;
        f.distance = 3;
        break;
    case FilterKind::Convolution:
        f = Filter{};
        f.kind = k;
        f.matrixX = 3;
        f.matrixY = 2;
        f.divisor = 9;
        f.bias = 0.5f;
        f.matrix = {1, 2, 3, 4, 5, 6};
        f.defaultColor = {1, 1, 1, 1};
        f.clamp = false;
        f.preserveAlpha = true;
        break;
    case FilterKind::ColorMatrix:
        f = Filter{};
        f.kind = k;
        for (int i = 0; i < 20; ++i)
            f.colorMatrix[i] = float(i) / 4;
        break;
    }
    return f;
}

void addOthers(Movie& m)
{
    Button b1;
    b1.id = 20;
    b1.version = 1;
    ButtonRecord r;
    r.up = r.hitTest = true;
    r.characterId = 1;
    r.depth = 3;
    r.matrix = someMatrix(1);
    b1.records = {r};
    b1.actions = {ButtonAction{OverDownToOverUp, 0, {0x07, 0x00}}};
    ColorTransform cx;
    cx.rMul = 128;
    cx.bAdd = -40;
    b1.colorTransform = cx;
    std::array<ButtonSound, 4> sounds{};
    sounds[1].soundId = 30;
    sounds[1].info.loopCount = 2;
    b1.sounds = sounds;
    m.dictionary.emplace(20, b1);

    Button b2;
    b2.id = 21;
    b2.version = 2;
    b2.trackAsMenu = true;
    ButtonRecord r2 = r;
    r2.over = r2.down = true;
    r2.colorTransform.aMul = 100;
    r2.filters = {filter(FilterKind::Glow)};
    r2.blendMode = BlendMode::Screen;
    b2.records = {r, r2};
    b2.actions = {ButtonAction{IdleToOverUp | OverDownToIdle, 0, {0x06, 0x00}},
                  ButtonAction{0, 13, {0x07, 0x00}}};
    m.dictionary.emplace(21, b2);

    Sprite s;
    s.id = 22;
    Frame f1;
    PlaceObject p;
    p.depth = 1;
    p.characterId = 1;
    f1.tags = {p, DoAction{{0x07, 0x00}}};
    Frame f2;
    f2.tags = {RemoveObject{1, std::nullopt}};
    s.timeline.frames = {f1, f2, Frame{}};
    s.timeline.labels = {FrameLabel{"inside", 1, false}};
    SoundStreamHead head;
    head.stream.format = SoundFormat::Mp3;
    head.playback.format = SoundFormat::Mp3;
    head.samplesPerBlock = 1152;
    head.latencySeek = -3;
    s.timeline.soundStreamHead = head;
    m.dictionary.emplace(22, s);

    VideoStream v;
    v.id = 23;
    v.numFrames = 2;
    v.width = 160;
    v.height = 120;
    v.deblocking = 2;
    v.smoothing = true;
    v.codecId = 4;
    v.frames = {VideoFrame{0, {1, 2, 3}}, VideoFrame{1, {4, 5}}};
    m.dictionary.emplace(23, v);

    Sound snd;
    snd.id = 30;
    snd.format = {SoundFormat::Adpcm, 1, true, false};
    snd.sampleCount = 4410;
    snd.data = {9, 9, 9};
    m.dictionary.emplace(30, snd);
}

Frame firstFrame()
{
    PlaceObject p1;
    p1.version = 1;
    p1.depth = 1;
    p1.characterId = 1;
    p1.matrix = someMatrix(0);
    ColorTransform cx;
    cx.gMul = -256;
    cx.rAdd = 255;
    p1.colorTransform = cx;

    PlaceObject p2;
    p2.version = 2;
    p2.depth = 2;
    p2.characterId = 22;
    p2.matrix = someMatrix(2);
    cx.aMul = 128;
    cx.aAdd = -10;
    p2.colorTransform = cx;
    p2.ratio = 65535;
    p2.name = "clip";
    p2.clipDepth = 9;
    p2.clipActions = {ClipAction{ClipEventLoad | ClipEventEnterFrame, 0, {0x06, 0x00}},
                      ClipAction{ClipEventKeyPress | ClipEventConstruct, 65, {0x07, 0x00}}};

    PlaceObject p3;
    p3.version = 3;
    p3.depth = 3;
    p3.move = true;
    p3.className = "flash.display.MovieClip";
    p3.hasImage = true;
    std::vector<Filter> filters;
    for (int k = 0; k <= 7; ++k)
        filters.push_back(filter(FilterKind(k)));
    p3.filters = filters;
    p3.blendMode = BlendMode::HardLight;
    p3.cacheAsBitmap = true;
    p3.visible = false;
    p3.opaqueBackground = Rgba{1, 2, 3, 4};

    StartSound s1;
    s1.soundId = 30;
    s1.info.syncStop = true;
    s1.info.inPoint = 5;
    s1.info.outPoint = 500;
    s1.info.envelope = {{0, 32768, 0}, {44100, 0, 32768}};
    StartSound s2;
    s2.className = "Boom";
    s2.info.syncNoMultiple = true;

    Frame f;
    f.tags = {SetBackgroundColor{{10, 20, 30, 255}}, p1, p2, p3, s1, s2, SoundStreamBlock{{1, 2, 3}},
              SetTabIndex{2, 7}, DoInitAction{22, {0x06, 0x00}}, DoAction{{0x00}}};
    return f;
}

} // namespace

Movie kitchenSinkMovie()
{
    Movie m;
    m.header.version = 10;
    m.header.stageRect = {0, 11000, 0, 8000};
    m.header.frameRate = 0x1880; // 24.5
    FileAttributes a;
    a.useNetwork = true;
    a.hasMetadata = true;
    m.fileAttributes = a;
    m.metadata = "<rdf/>";
    m.scriptLimits = ScriptLimits{100, 5};
    m.protect = true;
    m.enableDebugger = true;
    addShapes(m);
    addMorphs(m);
    addText(m);
    addBitmaps(m);
    addOthers(m);
    m.scalingGrids[1] = {10, 20, 30, 40};
    m.exports = {{22, "Sprite"}, {1, "Box"}};
    m.imports = {ImportAssets{"lib.swf", {{200, "Thing"}}}};

    Frame second;
    second.tags = {RemoveObject{1, std::uint16_t(1)}, RemoveObject{2, std::nullopt}};
    m.timeline.frames = {firstFrame(), second, Frame{}};
    m.timeline.labels = {FrameLabel{"start", 0, false}, FrameLabel{"anchor", 1, true}, FrameLabel{"end", 3, false}};
    m.header.frameCount = 3;
    m.timeline.declaredFrameCount = 3;
    return m;
}

} // namespace swftest
