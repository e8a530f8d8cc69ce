// Filters placed by the timeline and by button records, drawn with the QPainter
// backend: a drop shadow lands outside the shape, a move without filters keeps it, an
// empty list drops it, and the object's colour transform tints the shadow too.
#include "TestMovies.h"

#include "render/PainterRenderer.h"
#include "Scheduler.h"

#include <QImage>
#include <gtest/gtest.h>

namespace flash::test {
namespace {

swf::Filter hardShadow()
{
    swf::Filter f;
    f.kind = swf::FilterKind::DropShadow;
    f.colors = {swf::Rgba{0, 0, 255, 255}};
    f.distance = 10;   // to the right (angle 0), unblurred
    return f;
}

struct Painted {
    VirtualClock clock;
    PlayerCore core{clock, PlayerLimits{}, render::createPainterRenderer()};
    QImage image{100, 100, QImage::Format_ARGB32_Premultiplied};
    explicit Painted(MovieMaker& mm)
    {
        core.setQuality(Quality::Low);
        EXPECT_TRUE(core.load(mm.done(), {}));
    }
    void draw()
    {
        image.fill(0);
        core.render({image.bits(), 100, 100, int(image.bytesPerLine())});
    }
    QRgb at(int x, int y) const { return image.pixel(x, y); }
};

TEST(FilterRender, DropShadowFollowsTheTimeline)
{
    MovieMaker mm(100, 100);
    const uint16_t red = mm.rect({200, 600, 200, 600}, {255, 0, 0, 255});   // 10..30 px
    swf::PlaceObject shadowed = place(red, 1);
    shadowed.version = 3;
    shadowed.filters = std::vector<swf::Filter>{hardShadow()};
    mm.frame(0).tags = {swf::SetBackgroundColor{{255, 255, 255, 255}}, shadowed};
    mm.frame(1).tags = {moveTo(1, swf::Matrix::translate(200, 0))};   // 20..40 px, filters kept
    swf::PlaceObject cleared = moveTo(1, swf::Matrix::translate(200, 0));
    cleared.version = 3;
    cleared.filters = std::vector<swf::Filter>{};
    mm.frame(2).tags = {cleared};

    Painted p(mm);
    p.draw();
    EXPECT_EQ(p.at(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(35, 20), qRgb(0, 0, 255));     // beyond the shape's bounds
    EXPECT_EQ(p.at(35, 35), qRgb(255, 255, 255));
    EXPECT_EQ(p.at(45, 20), qRgb(255, 255, 255));

    p.core.advanceFrame();
    p.draw();
    EXPECT_EQ(p.at(45, 20), qRgb(0, 0, 255));
    EXPECT_EQ(p.at(15, 20), qRgb(255, 255, 255));

    p.core.advanceFrame();
    p.draw();
    EXPECT_EQ(p.at(30, 20), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(45, 20), qRgb(255, 255, 255));
}

TEST(FilterRender, ColourTransformTintsTheFilteredResult)
{
    MovieMaker mm(100, 100);
    const uint16_t black = mm.rect({200, 600, 200, 600}, {0, 0, 0, 255});
    swf::PlaceObject tinted = place(black, 1);
    tinted.version = 3;
    tinted.filters = std::vector<swf::Filter>{hardShadow()};
    swf::ColorTransform redAdd;
    redAdd.rAdd = 255;
    tinted.colorTransform = redAdd;
    mm.frame(0).tags = {swf::SetBackgroundColor{{255, 255, 255, 255}}, tinted};
    Painted p(mm);
    p.draw();
    EXPECT_EQ(p.at(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(35, 20), qRgb(255, 0, 255));
}

TEST(FilterRender, ButtonRecordsCarryTheirFilters)
{
    MovieMaker mm(100, 100);
    const uint16_t red = mm.rect({200, 600, 200, 600}, {255, 0, 0, 255});
    swf::Button button;
    swf::ButtonRecord up;
    up.up = up.hitTest = true;
    up.characterId = red;
    up.depth = 1;
    up.filters = {hardShadow()};
    button.records = {up};
    const uint16_t id = mm.add(button);
    mm.frame(0).tags = {swf::SetBackgroundColor{{255, 255, 255, 255}}, place(id, 1)};
    Painted p(mm);
    p.draw();
    EXPECT_EQ(p.at(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(p.at(35, 20), qRgb(0, 0, 255));
}

}  // namespace
}  // namespace flash::test
