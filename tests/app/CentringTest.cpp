#include "Centring.h"

#include <gtest/gtest.h>

TEST(HalfRoundedToEven, HalvesGoToTheEvenNeighbour)
{
    struct Case {
        int n, expected;
    };
    const Case cases[] = {
        {0, 0}, {2, 1}, {1, 0}, {3, 2}, {5, 2}, {7, 4}, {441, 220}, {443, 222}, {-1, 0}, {-3, -2}, {-5, -2}, {-4, -2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HalfRoundedToEven(c.n), c.expected) << "n = " << c.n;
}

TEST(CentredOffset, FollowsTheRoundingOfBothHalves)
{
    struct Case {
        int panel, view, expected;
    };
    const Case cases[] = {
        {441, 440, 0},   // R(220.5) = 220, R(220) = 220
        {440, 440, 0},
        {442, 440, 1},
        {443, 440, 2},   // R(221.5) = 222
        {322, 316, 3},
        {323, 334, -5},  // R(161.5) = 162, R(167) = 167
        {441, 1000, -280},
        {300, 440, -70}, // a shrunken panel: negative, still centred
        {301, 441, -70}, // R(150.5) = 150, R(220.5) = 220
        {0, 316, -158},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CentredOffset(c.panel, c.view), c.expected) << c.panel << " vs " << c.view;
}
