// Text fields made and styled by scripts: createTextField, TextFormat over ranges,
// paragraph layout (leading, margins, alignment), style sheets, scrolling, the box,
// and hostile arguments. Movies are written with the SWF writer and played.
#include "PlayerCore.h"
#include "ScriptActions.h"
#include "StyleSheet.h"
#include "TextFieldClip.h"

#include "Scheduler.h"
#include "render/PainterRenderer.h"
#include "swf/Reader.h"
#include "swf/Writer.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace flash::test {
namespace {

using S = ScriptActions;
constexpr int16_t kAdvance = 700;   // em units of 1024: 273 twips at 20 pixels
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// "Sans": square glyphs for a, b, c, d with layout metrics, in DefineFont3 units
// (20 per unit of a 1024 square).
swf::Font sans(int16_t leading)
{
    swf::Font f;
    f.version = 3;
    f.name = "Sans";
    f.hasLayout = true;
    f.ascent = 900 * 20;
    f.descent = 200 * 20;
    f.leading = leading * 20;
    for (char c : {'a', 'b', 'c', 'd'}) {
        swf::Glyph g;
        g.code = uint16_t(c);
        g.advance = kAdvance * 20;
        swf::StyleChange start;
        start.moveTo = swf::Point{0, -10000};
        start.fill1 = 1;
        g.records = {start, swf::StraightEdge{10000, 0}, swf::StraightEdge{0, 10000}, swf::StraightEdge{-10000, 0},
                     swf::StraightEdge{0, -10000}};
        f.glyphs.push_back(g);
    }
    return f;
}

// A 200 x 100 white stage with the font, whose one frame runs the script.
struct Played {
    VirtualClock clock;
    std::unique_ptr<PlayerCore> core;
    QImage image;

    explicit Played(const S& script, int16_t fontLeading = 0)
    {
        swf::MovieBuilder mb(200, 100, 12, 8);
        mb.setBackground({255, 255, 255, 255});
        mb.add(sans(fontLeading));
        mb.action(script.done());
        mb.showFrame();
        auto bytes = mb.build();
        EXPECT_TRUE(bytes.ok());
        auto movie = swf::readMovie(*bytes);
        EXPECT_TRUE(movie.ok());
        core = std::make_unique<PlayerCore>(clock, PlayerLimits{}, render::createPainterRenderer());
        core->setQuality(Quality::Low);
        EXPECT_TRUE(core->load(std::make_shared<const swf::Movie>(std::move(movie).value()), {}));
        image = QImage(200, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
        core->render({image.bits(), 200, 100, int(image.bytesPerLine())});
    }
    TextFieldClip& field(const std::string& name = "t")
    {
        auto* f = dynamic_cast<TextFieldClip*>(core->root()->childClip(name));
        EXPECT_NE(f, nullptr);
        return *f;
    }
    EditTextRuns runs(const std::string& name = "t")
    {
        TextFieldClip& f = field(name);
        return layoutEditText(f.settings(), core->root()->children().rbegin()->second->text, *core->library(), f.view());
    }
    std::string var(const std::string& name) { return core->getVariable(name); }
    QRgb at(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
};

// t: a field at (10, 10) of w x h pixels in Sans at 20 pixels, with more format
// members for the new text.
S field(double w, double h, const std::vector<std::pair<std::string, S::Arg>>& format)
{
    S s;
    s.call("_root", "createTextField", {std::string("t"), 1.0, 10.0, 10.0, w, h});
    s.set("t", "embedFonts", true).set("t", "multiline", true);
    s.construct("", "TextFormat", {}, "tf");
    s.set("tf", "font", std::string("Sans")).set("tf", "size", 20.0);
    for (const auto& [name, value] : format)
        s.set("tf", name, value);
    s.call("t", "setNewTextFormat", {S::var("tf")});
    return s;
}

S withText(S s, const std::string& text) { return s.set("t", "text", text); }

constexpr double kEm = 20480;                       // DefineFont3 em square
constexpr double kScale = 400.0 / 1024;             // 20 pixels, in the 1024 units of the metrics
constexpr double kAscent = 900 * kScale, kDescent = 200 * kScale;

TEST(TextFieldScript, LinesStepByFontAndFormatLeading)
{
    struct Case {
        int16_t fontLeading;   // em units
        double formatLeading;  // pixels
    } cases[] = {{0, 0}, {0, 2}, {100, 0}, {100, 2}, {0, -2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fontLeading << " " << c.formatLeading);
        S s = field(180, 80, {{"leading", c.formatLeading}});
        s.call("t", "setNewTextFormat", {});   // ignored: no format
        Played p(withText(s, "ab\nab"), c.fontLeading);
        const EditTextRuns runs = p.runs();
        ASSERT_EQ(runs.glyphs.size(), 4u);
        EXPECT_DOUBLE_EQ(runs.glyphs[0].matrix.ty, 40 + kAscent);
        EXPECT_DOUBLE_EQ(runs.glyphs[2].matrix.ty - runs.glyphs[0].matrix.ty,
                         kAscent + kDescent + c.fontLeading * kScale + c.formatLeading * 20);
        EXPECT_DOUBLE_EQ(runs.glyphs[1].matrix.tx - runs.glyphs[0].matrix.tx, 273);
    }
}

TEST(TextFieldScript, AlignmentMarginsAndIndentPlaceTheLine)
{
    // Field 200 px = 4000 twips; "ab" is 546 twips wide.
    struct Case {
        const char* align;
        double left, right, indent;
        double x;   // twips of the first glyph
    } cases[] = {
        {"left", 0, 0, 0, 40},
        {"left", 10, 0, 5, 40 + 200 + 100},
        {"right", 0, 10, 0, 4000 - 40 - 200 - 546},
        {"center", 10, 10, 0, 40 + 200 + (4000 - 80 - 400 - 546) / 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        S s = field(200, 80,
                    {{"align", std::string(c.align)}, {"leftMargin", c.left}, {"rightMargin", c.right},
                     {"indent", c.indent}});
        Played p(withText(s, "ab"));
        const EditTextRuns runs = p.runs();
        ASSERT_EQ(runs.glyphs.size(), 2u);
        EXPECT_DOUBLE_EQ(runs.glyphs[0].matrix.tx, c.x);
    }
}

TEST(TextFieldScript, SetTextFormatColoursARangeAndGetTextFormatReadsIt)
{
    S s = withText(field(180, 80, {}), "abab");
    s.construct("", "TextFormat", {}, "red");
    s.set("red", "color", double(0xFF0000));
    s.call("t", "setTextFormat", {1.0, 3.0, S::var("red")});
    s.call("t", "getTextFormat", {1.0, 3.0}, "inside").get("inside", "color", "insideColor");
    s.call("t", "getTextFormat", {}, "all").get("all", "color", "allColor").get("all", "size", "allSize");
    s.call("t", "getTextFormat", {3.0}, "last").get("last", "color", "lastColor");
    // Ranges beyond the text are clamped; an empty one changes nothing.
    s.construct("", "TextFormat", {}, "big");
    s.set("big", "size", 30.0);
    s.call("t", "setTextFormat", {2.0, 2.0, S::var("big")});
    s.call("t", "setTextFormat", {-5.0, 1.0, S::var("big")});
    s.get("t", "length", "length");
    Played p(s);
    EXPECT_EQ(p.var("insideColor"), std::to_string(0xFF0000));
    EXPECT_EQ(p.var("allColor"), "null");
    EXPECT_EQ(p.var("allSize"), "20");
    EXPECT_EQ(p.var("lastColor"), "0");
    EXPECT_EQ(p.var("length"), "4");
    const EditTextRuns runs = p.runs();
    ASSERT_EQ(runs.glyphs.size(), 4u);
    const render::Rgba black{0, 0, 0, 255}, red{255, 0, 0, 255};
    EXPECT_EQ(runs.glyphs[0].color, black);
    EXPECT_EQ(runs.glyphs[1].color, red);
    EXPECT_EQ(runs.glyphs[2].color, red);
    EXPECT_EQ(runs.glyphs[3].color, black);
    EXPECT_DOUBLE_EQ(runs.glyphs[0].matrix.a, 600.0 / kEm);   // the first character in 30 pixels
    EXPECT_DOUBLE_EQ(runs.glyphs[1].matrix.a, 400.0 / kEm);
}

TEST(TextFieldScript, StyleSheetRulesStyleTagsAndClasses)
{
    S s = field(180, 80, {});
    s.construct("TextField", "StyleSheet", {}, "css");
    s.call("css", "parseCSS", {std::string(".red { color: #FF0000; } p { font-size: 30px; } /* x */ broken {")},
           "parsed");
    s.set("t", "styleSheet", S::var("css"));
    s.set("t", "htmlText", std::string(R"(<p>a<span class="red">b</span></p>c)"));
    s.call("css", "getStyleNames", {}, "names").get("names", "length", "count");
    s.get("t", "text", "text");
    Played p(s);
    EXPECT_EQ(p.var("parsed"), "true");
    EXPECT_EQ(p.var("count"), "3");   // .red, p and the unclosed rule
    EXPECT_EQ(p.var("text"), "ab\nc");
    const EditTextRuns runs = p.runs();
    ASSERT_EQ(runs.glyphs.size(), 3u);
    EXPECT_EQ(runs.glyphs[0].color, (render::Rgba{0, 0, 0, 255}));
    EXPECT_EQ(runs.glyphs[1].color, (render::Rgba{255, 0, 0, 255}));
    EXPECT_DOUBLE_EQ(runs.glyphs[0].matrix.a, 600.0 / kEm);
    EXPECT_DOUBLE_EQ(runs.glyphs[2].matrix.a, 400.0 / kEm);   // after </p>
}

TEST(TextFieldScript, ScrollShowsLaterLinesFromTheTop)
{
    // 30 pixels tall: 520 twips inside the gutter, a line is 429.7 twips.
    S s = withText(field(180, 30, {}), "a\nb\nc\nd");
    s.get("t", "maxscroll", "max").get("t", "bottomScroll", "lines");
    s.set("t", "scroll", 3.0).get("t", "scroll", "scrolled");
    Played p(s);
    EXPECT_EQ(p.var("max"), "4");
    EXPECT_EQ(p.var("scrolled"), "3");
    const EditTextRuns runs = p.runs();
    ASSERT_FALSE(runs.glyphs.empty());
    EXPECT_DOUBLE_EQ(runs.glyphs[0].matrix.ty, 40 + kAscent);   // "c" on top
    EXPECT_EQ(runs.glyphs.size(), 2u);   // "d" below it, nothing further
    EXPECT_DOUBLE_EQ(runs.textHeight, 4 * (kAscent + kDescent));
}

TEST(TextFieldScript, BoxDrawsInItsColoursAtTheFieldsPlace)
{
    S s;
    s.call("_root", "createTextField", {std::string("t"), 1.0, 10.0, 20.0, 50.0, 30.0});
    s.set("t", "background", true).set("t", "backgroundColor", double(0x00FF00));
    s.set("t", "border", true).set("t", "borderColor", double(0xFF0000));
    s.set("t", "_rotation", 0.001);   // turns no corner by half a pixel: stays on pixels
    s.get("t", "_width", "width");
    Played p(s);
    EXPECT_EQ(p.var("width"), "50");
    EXPECT_EQ(p.at(30, 35), 0x00FF00u);
    EXPECT_EQ(p.at(10, 35), 0xFF0000u);
    EXPECT_EQ(p.at(30, 20), 0xFF0000u);
    EXPECT_EQ(p.at(9, 35), 0xFFFFFFu);
    EXPECT_EQ(p.at(30, 52), 0xFFFFFFu);
}

TEST(TextFieldScript, HostileArgumentsAreClamped)
{
    struct Case {
        const char* what;
        std::vector<S::Arg> box;   // x, y, w, h
        std::vector<std::pair<std::string, S::Arg>> format;
    } cases[] = {
        {"not numbers", {kNaN, std::string("x"), kInf, -kInf}, {{"size", kNaN}, {"leading", kInf}}},
        {"huge", {1e300, -1e300, 1e300, 1e300}, {{"size", 1e9}, {"leftMargin", 1e12}, {"indent", -1e9}, {"leading", 1e12}}},
        {"negative", {-5.0, -5.0, -100.0, -100.0}, {{"rightMargin", -1e9}, {"letterSpacing", -1e9}, {"leading", -1e9}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        S s;
        std::vector<S::Arg> args{std::string("t"), 1.0};
        args.insert(args.end(), c.box.begin(), c.box.end());
        s.call("_root", "createTextField", args);
        s.set("t", "multiline", true).set("t", "wordWrap", true).set("t", "autoSize", std::string("center"));
        s.construct("", "TextFormat", {}, "tf");
        for (const auto& [name, value] : c.format)
            s.set("tf", name, value);
        s.call("t", "setTextFormat", {-1e300, 1e300, S::var("tf")});
        s.call("t", "setNewTextFormat", {S::var("tf")});
        s.set("t", "text", std::string("a b c d\na"));
        s.set("t", "scroll", 1e300).set("t", "hscroll", -kInf);
        Played p(s);
        const swf::EditText& e = p.field().settings();
        EXPECT_LE(std::abs(double(e.bounds.xMax - e.bounds.xMin)), 2e7);
        EXPECT_LE(std::abs(double(e.bounds.yMax - e.bounds.yMin)), 2e7);
        const swf::EditTextLayout l = e.layout.value_or(swf::EditTextLayout{});
        EXPECT_LE(l.leftMargin, kMaxMarginPixels * 20);
        EXPECT_LE(std::abs(l.leading), 20000);
        const EditTextRuns runs = p.runs();
        EXPECT_GE(runs.maxScroll, 1);
        EXPECT_LE(runs.maxScroll, runs.lineCount);
    }

    // Text beyond a million characters is cut; many ranges keep a bounded list.
    Played p(field(100, 20, {}));
    TextFieldClip& f = p.field();
    EXPECT_TRUE(f.setNamed("text", avm1::Value::fromString(std::string(3 << 20, 'a'))));
    avm1::Value length;
    ASSERT_TRUE(f.getNamed("length", length));
    EXPECT_EQ(length.number, double(kMaxFieldText));
    TextFormat red;
    red.color = 0xFF0000;
    for (int i = 0; i < 300; ++i)
        f.setTextFormat(i, i + 2, red);
    EXPECT_EQ(f.textFormat(290, 291).color, std::optional<uint32_t>(0xFF0000));
    EXPECT_EQ(f.textFormat(0, 1).color, std::optional<uint32_t>(0));   // the oldest ranges gave way

    // Malformed CSS: parts skipped, nothing read past the end.
    for (const char* css : {"", "{", "}", "a {", "a { color", ":;{}:;", "/* open", ",,, { x: y }", "a{b:c}}}}{"})
        EXPECT_LE(parseCss(css).size(), 3u) << css;
    EXPECT_EQ(parseCss("a, b { font-size: 3 ; color:#123456 }")[1].second[0].first, "fontSize");
}

}  // namespace
}  // namespace flash::test
