#include "DeviceContext.h"

#include <gtest/gtest.h>

#include <vector>

TEST(DeviceContext, WindowOriginMapsLogicalToDevicePixels)
{
    std::vector<uint8_t> pixels(4 * 3 * 2);
    DeviceContext dc{pixels.data(), 3, 2, 12, {}};
    EXPECT_EQ(dc.pixelAt(0, 0), pixels.data());
    EXPECT_EQ(dc.pixelAt(2, 1), pixels.data() + 12 + 8);
    EXPECT_EQ(dc.pixelAt(3, 0), nullptr);
    EXPECT_EQ(dc.pixelAt(0, -1), nullptr);

    POINT previous{9, 9};
    ASSERT_TRUE(SetWindowOrgEx(&dc, 10, 20, &previous));
    EXPECT_EQ(previous, (POINT{0, 0}));
    EXPECT_EQ(dc.logicalToDevice(POINT{10, 20}), (POINT{0, 0}));
    EXPECT_EQ(dc.logicalBounds(), (RECT{10, 20, 13, 22}));

    ASSERT_TRUE(OffsetWindowOrgEx(&dc, 5, -5, &previous));
    EXPECT_EQ(previous, (POINT{10, 20}));
    POINT now;
    GetWindowOrgEx(&dc, &now);
    EXPECT_EQ(now, (POINT{15, 15}));
    EXPECT_FALSE(SetWindowOrgEx(nullptr, 0, 0, nullptr));
}

TEST(DeviceContext, MoveWindowOrgShiftsThePictureForPartialRepaints)
{
    // A host repainting rectangle R of a control into a scratch buffer moves the
    // origin by (-R.left, -R.top): logical R.left then lands on device column 0.
    std::vector<uint8_t> pixels(4 * 8 * 8);
    DeviceContext work{pixels.data(), 8, 8, 32, {}};
    RECT r{30, 40, 38, 48};
    MoveWindowOrg(&work, -r.left, -r.top);
    EXPECT_EQ(work.logicalToDevice(POINT{r.left, r.top}), (POINT{0, 0}));
    EXPECT_EQ(work.logicalToDevice(r), (RECT{0, 0, 8, 8}));
    MoveWindowOrg(&work, r.left, r.top);
    EXPECT_EQ(work.windowOrg, (POINT{0, 0}));
}
