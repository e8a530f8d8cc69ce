// Filters placed by the timeline, drawn with the QPainter backend: a drop shadow
// lands outside the shape, a move without filters keeps it, an empty list drops it.
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

    VirtualClock clock;
    PlayerCore core(clock, PlayerLimits{}, render::createPainterRenderer());
    core.setQuality(Quality::Low);
    ASSERT_TRUE(core.load(mm.done(), {}));
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    auto draw = [&] {
        image.fill(0);
        core.render({image.bits(), 100, 100, int(image.bytesPerLine())});
    };

    draw();
    EXPECT_EQ(image.pixel(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(35, 20), qRgb(0, 0, 255));     // beyond the shape's bounds
    EXPECT_EQ(image.pixel(35, 35), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(45, 20), qRgb(255, 255, 255));

    core.advanceFrame();
    draw();
    EXPECT_EQ(image.pixel(45, 20), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(15, 20), qRgb(255, 255, 255));

    core.advanceFrame();
    draw();
    EXPECT_EQ(image.pixel(30, 20), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(45, 20), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace flash::test
