// Script bitmaps (flash.display.BitmapData, MovieClip.attachBitmap) and clip scroll
// rectangles (MovieClip.scrollRect): movies written with the SWF writer whose frame script builds bitmaps,
// played and painted with the QPainter backend at low quality (exact pixels).
#include "BitmapSurface.h"
#include "PlayerCore.h"

#include "render/PainterRenderer.h"
#include "swf/Reader.h"
#include "swf/Writer.h"
#include "Scheduler.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace flash {
namespace {

// Action records for statements of the form  into = path.method(args)  and
// into = new path.Class(args), arguments being numbers, strings or variables.
class Code {
public:
    struct Var {
        std::string name;
    };
    using Arg = std::variant<double, std::string, Var>;

    Code& call(const std::string& object, const std::string& method, const std::vector<Arg>& args,
               const std::string& into = {})
    {
        return statement(into, args, object, method, 0x52);
    }
    Code& make(const std::string& into, const std::string& package, const std::string& cls, const std::vector<Arg>& args)
    {
        return statement(into, args, package, cls, 0x53);
    }
    // into = object.member
    Code& get(const std::string& into, const std::string& object, const std::string& member)
    {
        push(into);
        push(Var{object});
        push(member);
        m_bytes.push_back(0x4E);
        m_bytes.push_back(0x1D);
        return *this;
    }
    // object.member = value
    Code& set(const std::string& object, const std::string& member, const Arg& value)
    {
        push(Var{object});
        push(member);
        push(value);
        m_bytes.push_back(0x4F);
        return *this;
    }
    std::vector<uint8_t> done() const
    {
        std::vector<uint8_t> out = m_bytes;
        out.push_back(0x07);   // Stop
        out.push_back(0);
        return out;
    }

private:
    Code& statement(const std::string& into, const std::vector<Arg>& args, const std::string& object,
                    const std::string& name, uint8_t op)
    {
        if (!into.empty())
            push(into);
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            push(*it);
        push(double(args.size()));
        push(Var{object});
        push(name);
        m_bytes.push_back(op);
        m_bytes.push_back(into.empty() ? 0x17 : 0x1D);   // Pop or SetVariable
        return *this;
    }
    void record(const std::vector<uint8_t>& payload)
    {
        m_bytes.push_back(0x96);
        m_bytes.push_back(uint8_t(payload.size()));
        m_bytes.push_back(uint8_t(payload.size() >> 8));
        m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
    }
    void push(const Arg& a)
    {
        if (const auto* d = std::get_if<double>(&a)) {
            uint64_t bits;   // type 6: high half first
            std::memcpy(&bits, d, 8);
            std::vector<uint8_t> p{6};
            for (int i = 0; i < 4; ++i)
                p.push_back(uint8_t(bits >> (32 + 8 * i)));
            for (int i = 0; i < 4; ++i)
                p.push_back(uint8_t(bits >> (8 * i)));
            record(p);
            return;
        }
        const std::string& s = std::holds_alternative<Var>(a) ? std::get<Var>(a).name : std::get<std::string>(a);
        std::vector<uint8_t> p{0};
        p.insert(p.end(), s.begin(), s.end());
        p.push_back(0);
        record(p);
        if (std::holds_alternative<Var>(a))
            m_bytes.push_back(0x1C);   // GetVariable
    }

    std::vector<uint8_t> m_bytes;
};

using V = Code::Var;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A 100 x 100 white stage running one frame script, painted once.
struct Played {
    VirtualClock clock;
    std::unique_ptr<PlayerCore> core;
    QImage image;

    explicit Played(const Code& code, const std::function<void(swf::MovieBuilder&)>& extra = {})
    {
        swf::MovieBuilder mb(100, 100, 12, 10);
        mb.setBackground({255, 255, 255, 255});
        if (extra)
            extra(mb);
        mb.action(code.done());
        mb.showFrame();
        auto bytes = mb.build();
        EXPECT_TRUE(bytes.ok());
        auto movie = swf::readMovie(*bytes);
        EXPECT_TRUE(movie.ok());
        core = std::make_unique<PlayerCore>(clock, PlayerLimits{}, render::createPainterRenderer());
        core->setQuality(Quality::Low);
        EXPECT_TRUE(core->load(std::make_shared<const swf::Movie>(std::move(movie).value()), {}));
        image = QImage(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
        core->render({image.bits(), 100, 100, int(image.bytesPerLine())});
    }
    QRgb at(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
    std::string var(const std::string& name) { return core->getVariable(name); }
};

std::string signedText(uint32_t argb) { return std::to_string(int32_t(argb)); }

TEST(BitmapData, Pixel32RoundTripsThroughPremultipliedStorage)
{
    struct Row {
        bool transparent;
        uint32_t set;
        uint32_t get;   // straight ARGB read back
    };
    const Row rows[] = {
        {true, 0xFF123456u, 0xFF123456u},
        {true, 0x80FF8040u, 0x80FF8040u},
        {true, 0x10123456u, 0x10103050u},   // premultiplied to (1, 3, 5): precision is lost
        {true, 0x00FFFFFFu, 0x00000000u},   // no alpha, no colour
        {false, 0x10123456u, 0xFF123456u},  // opaque bitmaps drop the alpha
    };
    for (const Row& r : rows) {
        Code c;
        c.make("b", "flash.display", "BitmapData", {4.0, 4.0, r.transparent ? std::string("1") : std::string(""), 0.0});
        c.call("b", "setPixel32", {1.0, 2.0, double(int32_t(r.set))});
        c.call("b", "getPixel32", {1.0, 2.0}, "v");
        c.call("b", "getPixel", {1.0, 2.0}, "rgb");
        Played p(c);
        EXPECT_EQ(p.var("v"), signedText(r.get)) << std::hex << r.set;
        EXPECT_EQ(p.var("rgb"), std::to_string(r.get & 0xFFFFFF)) << std::hex << r.set;
    }
}

TEST(BitmapData, FillCopyAndColorTransformValues)
{
    Code c;
    c.make("b", "flash.display", "BitmapData", {10.0, 10.0, std::string("1"), double(int32_t(0xFF0000FFu))});
    c.make("r", "flash.geom", "Rectangle", {2.0, 2.0, 3.0, 3.0});
    c.call("b", "fillRect", {V{"r"}, double(int32_t(0xFFFF0000u))});
    c.call("b", "getPixel32", {2.0, 2.0}, "filled");
    c.call("b", "getPixel32", {5.0, 5.0}, "outside");
    // Copy the red square onto another bitmap at (0, 0), half of it over the edge.
    c.make("d", "flash.display", "BitmapData", {4.0, 4.0, std::string("1"), 0.0});
    c.make("at", "flash.geom", "Point", {-1.0, 0.0});
    c.call("d", "copyPixels", {V{"b"}, V{"r"}, V{"at"}});
    c.call("d", "getPixel32", {0.0, 0.0}, "copied");
    c.call("d", "getPixel32", {2.0, 0.0}, "notReached");
    // Halve the red and add 16 to the blue, on the whole bitmap.
    c.make("t", "flash.geom", "ColorTransform", {0.5, 1.0, 1.0, 1.0, 0.0, 0.0, 16.0, 0.0});
    c.get("all", "b", "rectangle");
    c.call("b", "colorTransform", {V{"all"}, V{"t"}});
    c.call("b", "getPixel32", {3.0, 3.0}, "tinted");
    c.call("b", "getPixel32", {0.0, 0.0}, "blue");
    c.get("w", "b", "width");
    Played p(c);
    EXPECT_EQ(p.var("filled"), signedText(0xFFFF0000u));
    EXPECT_EQ(p.var("outside"), signedText(0xFF0000FFu));
    EXPECT_EQ(p.var("copied"), signedText(0xFFFF0000u));
    EXPECT_EQ(p.var("notReached"), "0");
    EXPECT_EQ(p.var("tinted"), signedText(0xFF7F0010u));
    EXPECT_EQ(p.var("blue"), signedText(0xFF0000FFu));   // 255 + 16 clamps
    EXPECT_EQ(p.var("w"), "10");
}

TEST(BitmapData, AttachedBitmapShowsAndLaterChangesToo)
{
    Code c;
    c.make("b", "flash.display", "BitmapData", {20.0, 10.0, std::string(""), double(int32_t(0xFF00FF00u))});
    c.call("_root", "createEmptyMovieClip", {std::string("holder"), 1.0}, "m");
    c.call("m", "attachBitmap", {V{"b"}, 1.0});
    c.set("m", "_x", 30.0);
    c.set("m", "_y", 40.0);
    c.get("width", "m", "_width");
    Played p(c);
    EXPECT_EQ(p.at(30, 40), 0x00FF00u);
    EXPECT_EQ(p.at(49, 49), 0x00FF00u);
    EXPECT_EQ(p.at(50, 40), 0xFFFFFFu);
    EXPECT_EQ(p.at(30, 50), 0xFFFFFFu);
    EXPECT_EQ(p.var("width"), "20");
}

// A script-drawn red square (0, 0)-(10, 10) drawn into a white bitmap moved by (5, 5)
// and tinted, then within a clip rectangle.
TEST(BitmapData, DrawRendersAClipIntoTheBitmap)
{
    Code c;
    c.call("_root", "createEmptyMovieClip", {std::string("shape"), 1.0}, "m");
    c.call("m", "beginFill", {double(0xFF0000)});
    c.call("m", "moveTo", {0.0, 0.0});
    for (auto [x, y] : {std::pair{10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}, {0.0, 0.0}})
        c.call("m", "lineTo", {x, y});
    c.call("m", "endFill", {});
    c.make("b", "flash.display", "BitmapData", {20.0, 20.0, std::string(""), double(int32_t(0xFFFFFFFFu))});
    c.make("move", "flash.geom", "Matrix", {1.0, 0.0, 0.0, 1.0, 5.0, 5.0});
    c.make("green", "flash.geom", "ColorTransform", {0.0, 1.0, 1.0, 1.0, 0.0, 255.0, 0.0, 0.0});
    c.call("b", "draw", {V{"m"}, V{"move"}});
    c.call("b", "getPixel32", {5.0, 5.0}, "inside");
    c.call("b", "getPixel32", {14.0, 14.0}, "corner");
    c.call("b", "getPixel32", {15.0, 15.0}, "beyond");
    c.call("b", "getPixel32", {4.0, 10.0}, "left");
    c.make("part", "flash.geom", "Rectangle", {0.0, 0.0, 10.0, 20.0});
    c.make("d", "flash.display", "BitmapData", {20.0, 20.0, std::string(""), double(int32_t(0xFFFFFFFFu))});
    c.call("d", "draw", {V{"m"}, V{"move"}, V{"green"}, std::string("normal"), V{"part"}});
    c.call("d", "getPixel32", {9.0, 9.0}, "tinted");
    c.call("d", "getPixel32", {10.0, 9.0}, "clipped");
    Played p(c);
    EXPECT_EQ(p.var("inside"), signedText(0xFFFF0000u));
    EXPECT_EQ(p.var("corner"), signedText(0xFFFF0000u));
    EXPECT_EQ(p.var("beyond"), signedText(0xFFFFFFFFu));
    EXPECT_EQ(p.var("left"), signedText(0xFFFFFFFFu));
    EXPECT_EQ(p.var("tinted"), signedText(0xFF00FF00u));
    EXPECT_EQ(p.var("clipped"), signedText(0xFFFFFFFFu));
}

TEST(BitmapData, LoadBitmapTakesAnExportedBitmap)
{
    Code c;
    c.call("flash.display.BitmapData", "loadBitmap", {std::string("pic")}, "b");
    c.call("b", "getPixel32", {1.0, 0.0}, "v");
    c.get("h", "b", "height");
    c.call("flash.display.BitmapData", "loadBitmap", {std::string("none")}, "missing");
    Played p(c, [](swf::MovieBuilder& mb) {
        const uint16_t id = mb.addBitmap(2, 3, std::vector<uint32_t>(6, 0xFF102030u));
        mb.movie().exports.push_back({id, "pic"});
    });
    EXPECT_EQ(p.var("v"), signedText(0xFF102030u));
    EXPECT_EQ(p.var("h"), "3");
    EXPECT_EQ(p.var("missing"), "");
}

TEST(BitmapData, HostileArgumentsAreRefusedOrClamped)
{
    struct Row {
        std::vector<Code::Arg> size;
        const char* width;   // "" when the bitmap is refused
    };
    const Row sizes[] = {
        {{2880.0, 1.0}, "2880"},  {{2881.0, 1.0}, ""}, {{2880.0, 5826.0}, ""}, {{2880.0, 2880.0}, "2880"},
        {{0.0, 5.0}, ""},         {{-1.0, 5.0}, ""},   {{kNaN, 5.0}, ""},      {{kInf, 5.0}, ""},
        {{4096.0, 4096.0}, ""},   {{1.0, 1.0}, "1"},
    };
    for (const Row& r : sizes) {
        Code c;
        c.make("b", "flash.display", "BitmapData", r.size);
        c.get("w", "b", "width");
        c.call("b", "getPixel32", {0.0, 0.0}, "v");
        Played p(c);
        EXPECT_EQ(p.var("w"), r.width);
    }
    // Rectangles and points far outside, counts far too large: nothing outside is
    // touched and the inside keeps working.
    Code c;
    c.make("b", "flash.display", "BitmapData", {8.0, 8.0, std::string("1"), 0.0});
    c.make("huge", "flash.geom", "Rectangle", {-1e9, -1e9, 4e9, 4e9});
    c.make("nan", "flash.geom", "Rectangle", {kNaN, 0.0, kInf, 4.0});
    c.make("far", "flash.geom", "Point", {2e9, -2e9});
    c.call("b", "fillRect", {V{"huge"}, double(int32_t(0xFF112233u))});
    c.call("b", "fillRect", {V{"nan"}, 0.0});
    c.call("b", "copyPixels", {V{"b"}, V{"huge"}, V{"far"}});
    c.call("b", "pixelDissolve", {V{"b"}, V{"huge"}, V{"far"}, 7.0, 1e15, 0.0});
    c.call("b", "pixelDissolve", {V{"b"}, V{"huge"}, V{"far"}, -7.0, -5.0, 0.0});
    c.call("b", "colorTransform", {V{"huge"}, std::string("x")});
    c.call("b", "floodFill", {-1e12, 3.0, 0.0});
    c.call("b", "setPixel32", {8.0, 0.0, 0.0});
    c.call("b", "setPixel32", {kNaN, kInf, 0.0});
    c.call("b", "getPixel32", {7.0, 7.0}, "corner");
    c.call("b", "getPixel32", {-1.0, 99.0}, "outside");
    c.call("b", "dispose", {});
    c.call("b", "fillRect", {V{"huge"}, 0.0});
    c.get("gone", "b", "width");
    Played p(c);
    EXPECT_EQ(p.var("corner"), signedText(0xFF112233u));
    EXPECT_EQ(p.var("outside"), "0");
    EXPECT_EQ(p.var("gone"), "-1");
}

TEST(BitmapData, PixelDissolveReplacesTheCountAskedForDeterministically)
{
    auto whites = [](uint32_t seed, double count, std::string& next) {
        Code c;
        c.make("b", "flash.display", "BitmapData", {10.0, 10.0, std::string(""), double(int32_t(0xFF000000u))});
        c.make("box", "flash.geom", "Rectangle", {0.0, 0.0, 10.0, 10.0});
        c.make("o", "flash.geom", "Point", {0.0, 0.0});
        c.call("b", "pixelDissolve", {V{"b"}, V{"box"}, V{"o"}, double(seed), count, double(int32_t(0xFFFFFFFFu))},
               "next");
        c.call("_root", "attachBitmap", {V{"b"}, 1.0});
        Played p(c);
        next = p.var("next");
        std::vector<bool> white;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                white.push_back(p.at(x, y) == 0xFFFFFFu);
        return white;
    };
    std::string nextA, nextB, nextC;
    const std::vector<bool> a = whites(3, 40, nextA), again = whites(3, 40, nextB), other = whites(4, 40, nextC);
    EXPECT_EQ(std::count(a.begin(), a.end(), true), 40);
    EXPECT_EQ(a, again);
    EXPECT_EQ(nextA, nextB);
    EXPECT_NE(a, other);
    std::string unused;
    const std::vector<bool> all = whites(9, 1e9, unused);
    EXPECT_EQ(std::count(all.begin(), all.end(), true), 100);
}

// A clip drawing a red square from (0, 0) to (40, 40) with a blue one from (10, 10) to
// (20, 20); its scroll rectangle shows (10, 10)-(30, 30) at its origin (50, 50).
TEST(ScrollRect, ClipsAndScrollsTheClipsContent)
{
    struct Row {
        std::vector<Code::Arg> rect;   // x, y, width, height; empty: none set
        int x, y;
        QRgb colour;
    };
    const QRgb red = 0xFF0000u, blue = 0x0000FFu, white = 0xFFFFFFu;
    const Row rows[] = {
        {{}, 50, 50, red},                            // no rectangle: the content as drawn
        {{}, 89, 89, red},
        {{10.0, 10.0, 20.0, 20.0}, 50, 50, blue},     // content (10, 10) moves to the origin
        {{10.0, 10.0, 20.0, 20.0}, 59, 59, blue},
        {{10.0, 10.0, 20.0, 20.0}, 60, 60, red},
        {{10.0, 10.0, 20.0, 20.0}, 69, 69, red},
        {{10.0, 10.0, 20.0, 20.0}, 70, 70, white},    // outside the rectangle
        {{10.0, 10.0, 20.0, 20.0}, 49, 55, white},
        {{0.0, 0.0, -5.0, 10.0}, 89, 89, red},        // an empty rectangle is ignored
        {{kNaN, 0.0, 10.0, 10.0}, 89, 89, red},
    };
    for (const Row& r : rows) {
        Code c;
        c.call("_root", "createEmptyMovieClip", {std::string("m"), 1.0}, "m");
        c.make("red", "flash.display", "BitmapData", {40.0, 40.0, std::string(""), double(int32_t(0xFFFF0000u))});
        c.make("square", "flash.geom", "Rectangle", {10.0, 10.0, 10.0, 10.0});
        c.call("red", "fillRect", {V{"square"}, double(int32_t(0xFF0000FFu))});
        c.call("m", "attachBitmap", {V{"red"}, 1.0});
        c.set("m", "_x", 50.0);
        c.set("m", "_y", 50.0);
        if (!r.rect.empty()) {
            c.make("scroll", "flash.geom", "Rectangle", r.rect);
            c.set("m", "scrollRect", V{"scroll"});
        }
        Played p(c);
        EXPECT_EQ(p.at(r.x, r.y), r.colour) << r.x << "," << r.y << " rect " << r.rect.size();
    }
}

}  // namespace
}  // namespace flash

namespace flash {
namespace {

TEST(BitmapEffects, ThresholdBoundsScrollMergeAndPaletteMap)
{
    auto s = BitmapSurface::make(8, 8, true, 0xFF000000u);
    ASSERT_TRUE(s);
    s->fillRect({2, 3, 3, 2}, 0xFF00FF00u);
    // getColorBoundsRect finds the green block, and what is not black.
    const PixelBox green = s->colorBounds(0xFFFFFFFFu, 0xFF00FF00u, true);
    EXPECT_EQ(green.x, 2);
    EXPECT_EQ(green.y, 3);
    EXPECT_EQ(green.width, 3);
    EXPECT_EQ(green.height, 2);
    const PixelBox none = s->colorBounds(0xFFFFFFFFu, 0xFF123456u, true);
    EXPECT_EQ(none.width, 0);

    // threshold: green above 0x80 becomes red, counted; copySource keeps the rest.
    auto out = BitmapSurface::make(8, 8, true, 0);
    EXPECT_EQ(out->threshold(*s, {0, 0, 8, 8}, 0, 0, BitmapSurface::ThresholdTest::Greater, 0x00008000u,
                             0xFFFF0000u, 0x0000FF00u, true), 6);
    EXPECT_EQ(out->getPixel32(3, 3), 0xFFFF0000u);
    EXPECT_EQ(out->getPixel32(0, 0), 0xFF000000u);

    // scroll: the block moves right and down by one; the uncovered row keeps its pixels.
    s->scroll(1, 1);
    EXPECT_EQ(s->getPixel32(3, 4), 0xFF00FF00u);
    EXPECT_EQ(s->getPixel32(2, 3), 0xFF000000u);

    // merge: half of white over black.
    auto white = BitmapSurface::make(8, 8, true, 0xFFFFFFFFu);
    auto black = BitmapSurface::make(8, 8, true, 0xFF000000u);
    black->merge(*white, {0, 0, 8, 8}, 0, 0, {128, 128, 128, 128});
    EXPECT_EQ(black->getPixel32(4, 4), 0xFF7F7F7Fu);   // (255 * 128 + 0 * 128) / 256

    // paletteMap: red picks from its array, the others keep their values.
    std::array<std::optional<std::array<uint32_t, 256>>, 4> maps;
    std::array<uint32_t, 256> red{};
    red[255] = 0x00110000u;
    maps[0] = red;
    auto coloured = BitmapSurface::make(2, 2, true, 0xFFFF2233u);
    coloured->paletteMap(*coloured, {0, 0, 2, 2}, 0, 0, maps);
    EXPECT_EQ(coloured->getPixel32(1, 1), 0xFF112233u);
}

TEST(BitmapEffects, NoiseIsTheSameForASeedAndHitTestsAlpha)
{
    auto a = BitmapSurface::make(16, 16, true, 0), b = BitmapSurface::make(16, 16, true, 0);
    a->noise(42, 10, 20, 7, false);
    b->noise(42, 10, 20, 7, false);
    EXPECT_EQ(a->premultiplied(), b->premultiplied());
    for (int i = 0; i < 16; ++i) {
        const uint32_t p = a->getPixel32(i, i);
        EXPECT_EQ(p >> 24, 255u);
        EXPECT_GE((p >> 16) & 255, 10u);
        EXPECT_LE((p >> 16) & 255, 20u);
    }
    b->noise(43, 10, 20, 7, false);
    EXPECT_NE(a->premultiplied(), b->premultiplied());

    auto p1 = BitmapSurface::make(16, 16, true, 0), p2 = BitmapSurface::make(16, 16, true, 0);
    p1->perlinNoise(8, 8, 3, 7, false, true, 7, true, {});
    p2->perlinNoise(8, 8, 3, 7, false, true, 7, true, {});
    EXPECT_EQ(p1->premultiplied(), p2->premultiplied());
    EXPECT_NE(p1->getPixel32(0, 0), p1->getPixel32(9, 5));   // not flat

    auto spot = BitmapSurface::make(10, 10, true, 0);
    spot->setPixel32(5, 5, 0xFF000000u);
    EXPECT_TRUE(spot->hitAlpha({5, 5, 1, 1}, 255));
    EXPECT_FALSE(spot->hitAlpha({0, 0, 5, 5}, 1));
    auto other = BitmapSurface::make(2, 2, true, 0xFF000000u);
    EXPECT_TRUE(spot->hitBitmap(0, 0, 1, *other, 4, 4, 1));
    EXPECT_FALSE(spot->hitBitmap(0, 0, 1, *other, 7, 7, 1));
}

TEST(BitmapEffects, ApplyFilterBlursIntoTheDestination)
{
    auto s = BitmapSurface::make(20, 20, true, 0);
    s->fillRect({8, 8, 4, 4}, 0xFFFFFFFFu);
    swf::Filter blur;
    blur.kind = swf::FilterKind::Blur;
    blur.blurX = blur.blurY = 6;
    blur.passes = 1;
    auto out = BitmapSurface::make(20, 20, true, 0);
    out->applyFilter(*s, {0, 0, 20, 20}, 0, 0, blur);
    // The square spreads: its edge softens and a pixel beside it is no longer empty.
    EXPECT_LT(out->getPixel32(8, 8) >> 24, 255u);
    EXPECT_GT(out->getPixel32(7, 10) >> 24, 0u);
}

}  // namespace
}  // namespace flash
