// Script drawing (MovieClip.beginFill, lineTo, beginGradientFill, clear, setMask):
// movies written with the SWF writer whose frame script draws, played and painted
// with the QPainter backend at low quality (no anti-aliasing, exact pixels).
#include "Drawing.h"
#include "PlayerCore.h"

#include "render/PainterRenderer.h"
#include "swf/Reader.h"
#include "swf/Writer.h"
#include "Scheduler.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <variant>

namespace flash {
namespace {

// Action records as a compiler writes them, enough for method calls on clips.
class Script {
public:
    struct Undefined {};
    struct Code {
        std::vector<uint8_t> bytes;   // actions that push one value
    };
    using Arg = std::variant<double, std::string, std::nullptr_t, Undefined, Code>;

    // target.method(args...), the result kept in the variable `into` or dropped.
    Script& call(const std::string& target, const std::string& method, const std::vector<Arg>& args,
                 const std::string& into = {})
    {
        if (!into.empty())
            push(std::string(into));
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            push(*it);
        push(double(args.size()));
        push(target);
        op(0x1C);   // GetVariable
        push(method);
        op(0x52);   // CallMethod
        op(into.empty() ? 0x17 : 0x1D);   // Pop or SetVariable
        return *this;
    }
    // into = target.property
    Script& get(const std::string& target, const std::string& property, const std::string& into)
    {
        push(into);
        push(target);
        op(0x1C);
        push(property);
        op(0x4E);   // GetMember
        op(0x1D);
        return *this;
    }
    std::vector<uint8_t> done() const
    {
        std::vector<uint8_t> out = m_bytes;
        out.push_back(0);
        return out;
    }

    static Code array(const std::vector<Arg>& items)
    {
        Script s;
        for (auto it = items.rbegin(); it != items.rend(); ++it)
            s.push(*it);
        s.push(double(items.size()));
        s.op(0x42);   // InitArray
        return {s.m_bytes};
    }
    static Code object(const std::vector<std::pair<std::string, Arg>>& members)
    {
        Script s;
        for (const auto& [name, value] : members) {
            s.push(name);
            s.push(value);
        }
        s.push(double(members.size()));
        s.op(0x43);   // InitObject
        return {s.m_bytes};
    }

private:
    void op(uint8_t code) { m_bytes.push_back(code); }
    void pushRecord(const std::vector<uint8_t>& payload)
    {
        m_bytes.push_back(0x96);
        m_bytes.push_back(uint8_t(payload.size()));
        m_bytes.push_back(uint8_t(payload.size() >> 8));
        m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
    }
    void push(const Arg& a)
    {
        if (const auto* d = std::get_if<double>(&a)) {
            // Type 6: the double's two 32-bit halves, high half first.
            uint64_t bits;
            std::memcpy(&bits, d, 8);
            std::vector<uint8_t> p{6};
            for (int i = 0; i < 4; ++i)
                p.push_back(uint8_t(bits >> (32 + 8 * i)));
            for (int i = 0; i < 4; ++i)
                p.push_back(uint8_t(bits >> (8 * i)));
            pushRecord(p);
        } else if (const auto* s = std::get_if<std::string>(&a)) {
            std::vector<uint8_t> p{0};
            p.insert(p.end(), s->begin(), s->end());
            p.push_back(0);
            pushRecord(p);
        } else if (std::holds_alternative<std::nullptr_t>(a)) {
            pushRecord({2});
        } else if (std::holds_alternative<Undefined>(a)) {
            pushRecord({3});
        } else {
            const auto& code = std::get<Code>(a).bytes;
            m_bytes.insert(m_bytes.end(), code.begin(), code.end());
        }
    }

    std::vector<uint8_t> m_bytes;
};

using S = Script;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A 100 x 100 white stage whose frames run the scripts given, one each; the last
// frame stops. Painted after each frame.
struct Drawn {
    VirtualClock clock;
    std::unique_ptr<PlayerCore> core;
    QImage image;

    explicit Drawn(std::vector<Script> frames)
    {
        swf::MovieBuilder mb(100, 100, 12, 10);
        mb.setBackground({255, 255, 255, 255});
        for (size_t i = 0; i < frames.size(); ++i) {
            std::vector<uint8_t> code = frames[i].done();
            if (i + 1 == frames.size())
                code.insert(code.end() - 1, 0x07);   // Stop
            mb.action(code);
            mb.showFrame();
        }
        auto bytes = mb.build();
        EXPECT_TRUE(bytes.ok());
        auto movie = swf::readMovie(*bytes);
        EXPECT_TRUE(movie.ok());
        core = std::make_unique<PlayerCore>(clock, PlayerLimits{}, render::createPainterRenderer());
        core->setQuality(Quality::Low);
        EXPECT_TRUE(core->load(std::make_shared<const swf::Movie>(std::move(movie).value()), {}));
        paint();
    }
    void paint()
    {
        image = QImage(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
        core->render({image.bits(), 100, 100, int(image.bytesPerLine())});
    }
    void nextFrame()
    {
        core->advanceFrame();
        paint();
    }
    QRgb at(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
    MovieClip* clip(const std::string& name) { return core->root()->findChildClip(name); }
    std::string var(const std::string& name) { return core->getVariable(name); }
};

// A filled square from (x0, y0) to (x1, y1), closed by endFill (no last lineTo).
void square(Script& s, const std::string& clip, double x0, double y0, double x1, double y1)
{
    s.call(clip, "moveTo", {x0, y0}).call(clip, "lineTo", {x1, y0}).call(clip, "lineTo", {x1, y1});
    s.call(clip, "lineTo", {x0, y1}).call(clip, "endFill", {});
}

TEST(Drawing, FillsAndStrokesDrawUnderTheClipsChildren)
{
    Script s;
    // The root draws green over 0..40; its child d draws red over 20..60 and a blue
    // 4-pixel line at y 80, all after the root's drawing began.
    s.call("_root", "beginFill", {double(0x00FF00)});
    s.call("_root", "createEmptyMovieClip", {std::string("d"), 1.0}, "made");
    square(s, "_root", 0, 0, 40, 40);
    s.call("d", "beginFill", {double(0xFF0000), 100.0});
    square(s, "d", 20, 20, 60, 60);
    s.call("d", "lineStyle", {4.0, double(0x0000FF)}).call("d", "moveTo", {60.0, 80.0}).call("d", "lineTo", {90.0, 80.0});
    s.get("d", "_width", "w").get("d", "_height", "h");
    s.call("d", "hitTest", {30.0, 30.0, 1.0}, "inside").call("d", "hitTest", {10.0, 30.0, 1.0}, "outside");
    s.call("_root", "getNextHighestDepth", {}, "next");
    Drawn d({s});
    EXPECT_EQ(d.at(10, 10), 0x00FF00u);
    EXPECT_EQ(d.at(30, 30), 0xFF0000u);   // the child lies above the parent's drawing
    EXPECT_EQ(d.at(50, 50), 0xFF0000u);
    EXPECT_EQ(d.at(75, 80), 0x0000FFu);
    EXPECT_EQ(d.at(75, 85), 0xFFFFFFu);
    EXPECT_EQ(d.at(70, 30), 0xFFFFFFu);
    EXPECT_EQ(d.var("made"), "_level0.d");
    // Bounds: fill 20..60, line 60..90 with round caps 2 px past its ends, y 78..82.
    EXPECT_EQ(d.var("w"), "72");
    EXPECT_EQ(d.var("h"), "62");
    EXPECT_EQ(d.var("inside"), "true");
    EXPECT_EQ(d.var("outside"), "false");
    EXPECT_EQ(d.var("next"), "2");
}

TEST(Drawing, LinearGradientFillRunsAcrossItsBox)
{
    Script s;
    s.call("_root", "createEmptyMovieClip", {std::string("g"), 0.0});
    s.call("g", "beginGradientFill",
           {std::string("linear"), S::array({double(0xFF0000), double(0x0000FF)}), S::array({100.0, 100.0}),
            S::array({0.0, 255.0}),
            S::object({{"matrixType", std::string("box")}, {"x", 0.0}, {"y", 0.0}, {"w", 100.0}, {"h", 100.0},
                       {"r", 0.0}})});
    square(s, "g", 0, 0, 100, 100);
    Drawn d({s});
    const QRgb left = d.at(1, 50), middle = d.at(50, 50), right = d.at(98, 50);
    EXPECT_GT(qRed(left), 240);
    EXPECT_LT(qBlue(left), 15);
    EXPECT_GT(qBlue(right), 240);
    EXPECT_LT(qRed(right), 15);
    EXPECT_NEAR(qRed(middle), 128, 12);
    EXPECT_NEAR(qBlue(middle), 128, 12);
    EXPECT_EQ(d.at(50, 10), middle);   // constant along the vertical
}

TEST(Drawing, ClearDropsTheDrawingAndANewOneShows)
{
    Script s;
    s.call("_root", "createEmptyMovieClip", {std::string("d"), 0.0});
    s.call("d", "beginFill", {double(0xFF0000)});
    square(s, "d", 10, 10, 50, 50);
    Script again;
    again.call("d", "beginFill", {double(0x0000FF)});
    square(again, "d", 60, 60, 90, 90);
    Drawn d({s, Script().call("d", "clear", {}), again});
    ASSERT_EQ(d.at(30, 30), 0xFF0000u);
    d.nextFrame();
    EXPECT_EQ(d.at(30, 30), 0xFFFFFFu);
    EXPECT_TRUE(d.clip("d")->drawingIfAny()->empty());
    d.nextFrame();
    EXPECT_EQ(d.at(30, 30), 0xFFFFFFu);
    EXPECT_EQ(d.at(75, 75), 0x0000FFu);
}

TEST(Drawing, SetMaskShowsTheClipOnlyInsideTheMask)
{
    Script s;
    s.call("_root", "createEmptyMovieClip", {std::string("content"), 0.0});
    s.call("_root", "createEmptyMovieClip", {std::string("m"), 1.0});
    s.call("content", "beginFill", {double(0xFF0000)});
    square(s, "content", 0, 0, 100, 100);
    s.call("m", "beginFill", {double(0x00FF00)});
    square(s, "m", 20, 20, 40, 40);
    s.call("content", "setMask", {std::string("m")}, "byName");
    s.call("content", "setMask", {std::string("nothing")}, "unknown");
    s.call("content", "setMask", {std::string("content")}, "itself");
    Drawn d({s, Script().call("content", "setMask", {nullptr}, "cleared"),
             Script().call("content", "setMask", {std::string("m")}).call("m", "removeMovieClip", {})});
    EXPECT_EQ(d.var("byName"), "true");
    EXPECT_EQ(d.var("unknown"), "false");
    EXPECT_EQ(d.var("itself"), "false");
    EXPECT_EQ(d.at(30, 30), 0xFF0000u);   // the mask itself is not drawn
    EXPECT_EQ(d.at(70, 70), 0xFFFFFFu);
    d.nextFrame();
    EXPECT_EQ(d.var("cleared"), "true");
    EXPECT_EQ(d.at(70, 70), 0xFF0000u);
    EXPECT_EQ(d.at(30, 30), 0x00FF00u);   // no longer a mask: drawn again
    // A mask that goes away leaves nothing behind.
    d.nextFrame();
    EXPECT_EQ(d.at(70, 70), 0xFF0000u);
}

TEST(Drawing, HostileArgumentsAreClampedOrIgnored)
{
    const S::Code matrix = S::object({{"a", 0.05}, {"b", 0.0}, {"c", 0.0}, {"d", 0.05}, {"tx", 50.0}, {"ty", 50.0}});
    std::vector<S::Arg> twenty, twentyAlphas, twentyRatios;
    for (int i = 0; i < 20; ++i) {
        twenty.push_back(double(0x00FF00));
        twentyAlphas.push_back(100.0);
        twentyRatios.push_back(double(i * 12));
    }
    struct Case {
        const char* what;
        std::vector<S::Arg> gradient;
        bool fills;
    } cases[] = {
        {"colours and ratios of different lengths",
         {std::string("linear"), S::array({1.0, 2.0}), S::array({100.0, 100.0}), S::array({0.0}), matrix}, false},
        {"a ratio beyond 255",
         {std::string("linear"), S::array({1.0, 2.0}), S::array({100.0, 100.0}), S::array({0.0, 256.0}), matrix},
         false},
        {"no matrix", {std::string("linear"), S::array({1.0}), S::array({100.0}), S::array({0.0})}, false},
        {"an unknown type",
         {std::string("conic"), S::array({1.0}), S::array({100.0}), S::array({0.0}), matrix}, false},
        {"twenty stops, cut to fifteen",
         {std::string("radial"), S::array(twenty), S::array(twentyAlphas), S::array(twentyRatios), matrix}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Script s;
        s.call("_root", "createEmptyMovieClip", {std::string("d"), 0.0});
        s.call("d", "beginGradientFill", c.gradient);
        square(s, "d", 10, 10, 90, 90);
        Drawn d({s});
        EXPECT_EQ(d.at(50, 50) != 0xFFFFFFu, c.fills);
    }

    // Coordinates and widths out of range: NaN is ignored, the rest clamped.
    Script s;
    s.call("_root", "createEmptyMovieClip", {std::string("d"), kNaN});
    s.call("d", "lineStyle", {1e300, double(0xFF0000), kNaN});
    s.call("d", "moveTo", {kNaN, 5.0}).call("d", "lineTo", {kInf, -kInf}).call("d", "lineTo", {kNaN, kNaN});
    s.call("d", "curveTo", {1e300, 1e300, -1e300, 7.0});
    s.call("d", "beginFill", {double(0x00FF00), -5.0});
    s.call("d", "lineTo", {1e12, 1e12}).call("d", "lineStyle", {-3.0});
    Drawn d({s});
    const std::optional<swf::Rect> b = d.clip("d")->drawingIfAny()->bounds();
    ASSERT_TRUE(b);
    const swf::Twips reach = Drawing::kMaxCoordinate + 255 * 10;   // clamped point and half a 255 px stroke
    EXPECT_EQ(b->xMax, reach);
    EXPECT_EQ(b->yMin, -reach);
    EXPECT_EQ(d.clip("d")->drawingIfAny()->recordCount(), 6u);   // group, two edges, fill group, edge, style
}

TEST(Drawing, StopsGrowingAtTheRecordLimit)
{
    Drawing drawing;
    drawing.lineStyle(swf::LineStyle::solid(20, {0, 0, 0, 255}));
    for (size_t i = 0; i < Drawing::kMaxRecords + 10; ++i)
        drawing.lineTo(double(i % 100), double(i % 7));
    EXPECT_EQ(drawing.recordCount(), Drawing::kMaxRecords);
    drawing.beginFill(swf::FillStyle::solid({255, 0, 0, 255}));
    drawing.moveTo(1, 1);
    EXPECT_EQ(drawing.recordCount(), Drawing::kMaxRecords);
    drawing.clear();
    EXPECT_EQ(drawing.recordCount(), 0u);
    EXPECT_FALSE(drawing.bounds());
}

TEST(Drawing, DrawingsOfAMovieShareOneBudget)
{
    DrawingBudget budget;
    budget.limit = 10;
    Drawing first(&budget);
    for (int i = 0; i < 6; ++i)
        first.lineTo(i, i);   // a group record and six edges
    {
        Drawing second(&budget);
        for (int i = 0; i < 6; ++i)
            second.lineTo(i, i);
        EXPECT_EQ(second.recordCount(), 3u);
        EXPECT_EQ(budget.used, 10u);
    }
    EXPECT_EQ(budget.used, 7u);   // the second one gave its records back
    first.clear();
    EXPECT_EQ(budget.used, 0u);
}

}  // namespace
}  // namespace flash
