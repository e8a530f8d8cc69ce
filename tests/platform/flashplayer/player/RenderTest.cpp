// Frames drawn with the QPainter backend: positions, the default scale mode (show
// all, centred), other scale modes, transparency, colour transforms. Low quality
// draws without anti-aliasing, so pixel values are exact.
#include "TestMovies.h"

#include "render/PainterRenderer.h"
#include "Scheduler.h"

#include <QImage>
#include <gtest/gtest.h>

namespace flash::test {
namespace {

struct Painted {
    VirtualClock clock;
    std::unique_ptr<PlayerCore> core;
    QImage image;
    explicit Painted(MovieMaker& mm)
    {
        core = std::make_unique<PlayerCore>(clock, PlayerLimits{}, render::createPainterRenderer());
        core->setQuality(Quality::Low);
        EXPECT_TRUE(core->load(mm.done(), {}));
    }
    QRgb draw(int w, int h, QRgb prefill = 0)
    {
        image = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
        image.fill(prefill);
        core->render({image.bits(), w, h, int(image.bytesPerLine())});
        return 0;
    }
    QRgb at(int x, int y) const { return image.pixel(x, y); }
};

MovieMaker redSquareOnGreen()
{
    MovieMaker mm(100, 100);
    mm.frame(0).tags = {swf::SetBackgroundColor{{0, 255, 0, 255}}};
    const uint16_t red = mm.rect({200, 600, 200, 600}, {255, 0, 0, 255});   // 10..30 px
    mm.frame(0).tags.push_back(place(red, 1));
    return mm;
}

TEST(Render, ShapeLandsAtItsStagePosition)
{
    MovieMaker mm = redSquareOnGreen();
    Painted p(mm);
    p.draw(100, 100);
    EXPECT_EQ(p.at(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(9, 20), qRgb(0, 255, 0));
    EXPECT_EQ(p.at(30, 20), qRgb(0, 255, 0));
    EXPECT_EQ(p.at(80, 80), qRgb(0, 255, 0));
}

TEST(Render, ShowAllCentresTheStageInAWiderView)
{
    MovieMaker mm = redSquareOnGreen();
    Painted p(mm);
    p.core->setViewSize(200, 100);
    p.draw(200, 100);
    EXPECT_EQ(p.at(70, 20), qRgb(255, 0, 0));    // 50 px letterbox on the left
    EXPECT_EQ(p.at(20, 20), qRgb(0, 255, 0));    // the letterbox shows the background
    p.core->setViewSize(200, 200);
    p.draw(200, 200);
    EXPECT_EQ(p.at(40, 40), qRgb(255, 0, 0));    // scaled by 2: 20..60 px
    EXPECT_EQ(p.at(61, 40), qRgb(0, 255, 0));
}

struct ModeCase {
    ScaleMode mode;
    unsigned align;
    int x, y;       // a pixel that must be red
    int bx, by;     // a pixel that must be background
};

class ScaleModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ScaleModes, PlaceTheStage)
{
    MovieMaker mm = redSquareOnGreen();
    Painted p(mm);
    p.core->setScaleMode(GetParam().mode);
    p.core->setAlign(GetParam().align);
    p.core->setViewSize(200, 100);
    p.draw(200, 100);
    EXPECT_EQ(p.at(GetParam().x, GetParam().y), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(GetParam().bx, GetParam().by), qRgb(0, 255, 0));
}

INSTANTIATE_TEST_SUITE_P(Player, ScaleModes, ::testing::Values(
    ModeCase{ScaleMode::ShowAll, AlignLeft, 20, 20, 70, 20},
    ModeCase{ScaleMode::ShowAll, AlignRight, 120, 20, 20, 20},
    ModeCase{ScaleMode::ExactFit, AlignCentre, 50, 20, 62, 20},     // x stretched: 20..60
    ModeCase{ScaleMode::NoScale, AlignCentre, 70, 20, 45, 20},
    ModeCase{ScaleMode::NoBorder, AlignCentre, 50, 2, 50, 70}));   // 2x: 20..60 x, -30..10 y

TEST(Render, TransparentModeKeepsWhatTheSurfaceHolds)
{
    MovieMaker mm = redSquareOnGreen();
    Painted p(mm);
    p.core->setTransparent(true);
    p.draw(100, 100, qRgb(0, 0, 255));
    EXPECT_EQ(p.at(80, 80), qRgb(0, 0, 255));
    EXPECT_EQ(p.at(20, 20), qRgb(255, 0, 0));
}

TEST(Render, OriginMovesTheViewInsideTheSurface)
{
    MovieMaker mm = redSquareOnGreen();
    Painted p(mm);
    QImage image(150, 150, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(0, 0, 255));
    p.core->render({image.bits(), 150, 150, int(image.bytesPerLine())}, 50, 50);
    EXPECT_EQ(image.pixel(70, 70), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(55, 55), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(20, 20), qRgb(0, 0, 255));   // outside the view: untouched
}

TEST(Render, ColourTransformAndBackgroundOverride)
{
    MovieMaker mm(100, 100);
    const uint16_t grey = mm.rect({0, 2000, 0, 2000}, {100, 100, 100, 255});
    swf::PlaceObject p0 = place(grey, 1);
    p0.colorTransform = swf::ColorTransform{512, 0, 256, 256, 0, 50, -100, 0};
    mm.frame(0).tags = {p0};
    Painted p(mm);
    p.draw(100, 100);
    EXPECT_EQ(p.at(50, 50), qRgb(200, 50, 0));
    EXPECT_EQ(p.core->backgroundColor(), 0xFFFFFFu);
    p.core->setBackgroundColor(0x123456);
    EXPECT_EQ(p.core->backgroundColor(), 0x123456u);
}

// A bordered text field's box lies on whole pixels at any quality: corners round to the
// nearest pixel, the border is one pixel on the pixels right of and below each edge.
TEST(Render, TextFieldBorderSitsOnWholePixels)
{
    struct Case {
        const char* name;
        swf::Matrix matrix;
        int x0, y0, x1, y1;   // the rounded corners in pixels
    };
    swf::Matrix moved;
    moved.tx = 100;
    moved.ty = 200;
    swf::Matrix scaled;
    scaled.a = scaled.d = 1.365;
    scaled.tx = 764;
    scaled.ty = 964;
    const Case cases[] = {{"moved", moved, 5, 10, 15, 20}, {"scaled", scaled, 38, 48, 52, 62}};
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255), green = qRgb(0, 255, 0);
    for (const Case& c : cases) {
        for (Quality quality : {Quality::Low, Quality::High}) {
            MovieMaker mm(100, 100);
            mm.frame(0).tags = {swf::SetBackgroundColor{{0, 255, 0, 255}}};
            swf::EditText field;
            field.bounds = {0, 200, 0, 200};
            field.border = true;
            const uint16_t id = mm.add(field);
            mm.frame(0).tags.push_back(place(id, 1, c.matrix));
            Painted p(mm);
            p.core->setQuality(quality);
            p.draw(100, 100);
            const std::string what = std::string(c.name) + (quality == Quality::Low ? " low" : " high");
            EXPECT_EQ(p.at(c.x0, c.y0), black) << what;
            EXPECT_EQ(p.at(c.x1, c.y0), black) << what;
            EXPECT_EQ(p.at(c.x0, c.y1), black) << what;
            EXPECT_EQ(p.at(c.x1, c.y1 - 1), black) << what;
            EXPECT_EQ(p.at(c.x1 - 1, c.y1), black) << what;
            EXPECT_EQ(p.at(c.x1, c.y1), green) << what;
            EXPECT_EQ(p.at(c.x0 - 1, c.y0 + 2), green) << what;
            EXPECT_EQ(p.at(c.x0 + 2, c.y0 - 1), green) << what;
            EXPECT_EQ(p.at(c.x1 + 1, c.y0 + 2), green) << what;
            EXPECT_EQ(p.at(c.x0 + 1, c.y0 + 1), white) << what;
            EXPECT_EQ(p.at(c.x1 - 1, c.y1 - 1), white) << what;
        }
    }
}

// `object.member = value`, in the actions a compiler writes for it.
std::vector<uint8_t> setMember(const std::string& object, const std::string& member, int32_t value)
{
    std::vector<uint8_t> out;
    auto pushString = [&](const std::string& text) {
        const size_t n = text.size() + 2;
        out.insert(out.end(), {0x96, uint8_t(n), uint8_t(n >> 8), 0});
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
    };
    pushString(object);
    out.push_back(0x1C);   // GetVariable
    pushString(member);
    out.insert(out.end(), {0x96, 5, 0, 7, uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                           uint8_t(value >> 24)});
    out.push_back(0x4F);   // SetMember
    return out;
}

TEST(Render, ScriptsSetATextFieldsBorderAndBackground)
{
    MovieMaker mm(100, 100);
    mm.frame(0).tags = {swf::SetBackgroundColor{{0, 255, 0, 255}}};
    swf::EditText field;
    field.bounds = {0, 200, 0, 200};
    field.border = true;
    const uint16_t id = mm.add(field);
    swf::Matrix left, right;
    left.tx = right.tx = 100;
    right.tx = 1000;
    left.ty = right.ty = 200;
    mm.frame(0).tags.push_back(place(id, 1, left, "filled"));
    mm.frame(0).tags.push_back(place(id, 2, right, "framed"));
    swf::Matrix turned;   // a quarter turn: not on whole pixels, drawn as shapes
    turned.a = turned.d = 0;
    turned.b = 1;
    turned.c = -1;
    turned.tx = 1000;
    turned.ty = 1000;
    mm.frame(0).tags.push_back(place(id, 3, turned, "turned"));
    std::vector<uint8_t> code;
    for (const auto& part : {setMember("filled", "border", 0), setMember("filled", "backgroundColor", 0xFF0000),
                             setMember("framed", "background", 0), setMember("framed", "borderColor", 0x0000FF),
                             setMember("turned", "backgroundColor", 0xFF00FF)})
        code.insert(code.end(), part.begin(), part.end());
    code.push_back(0);
    mm.frame(0).tags.push_back(actions(code));
    Painted p(mm);
    p.core->advanceFrame();
    p.draw(100, 100);
    // The filled field: red over its pixels, no border.
    EXPECT_EQ(p.at(5, 10), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(14, 19), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(15, 15), qRgb(0, 255, 0));
    // The framed field: a blue border around the stage's green.
    EXPECT_EQ(p.at(50, 10), qRgb(0, 0, 255));
    EXPECT_EQ(p.at(60, 15), qRgb(0, 0, 255));
    EXPECT_EQ(p.at(55, 15), qRgb(0, 255, 0));
    // The turned field (x 40..50, y 50..60) keeps its script colour.
    EXPECT_EQ(p.at(45, 55), qRgb(255, 0, 255));
}

}  // namespace
}  // namespace flash::test
