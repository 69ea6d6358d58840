#include "frame/units.h"

#include <gtest/gtest.h>

namespace quillet::ui {
namespace {

constexpr Dpi screen_96{96, 96};

TEST(LayoutUnits, PixelsBecomeUnitsAt96Dpi) {
    EXPECT_EQ(pixels_to_units_x(1024, screen_96), 4681);  // 1024 * 32 / 7 = 4681.14
    EXPECT_EQ(pixels_to_units_y(768, screen_96), 3072);
    EXPECT_EQ(pixels_to_units_x(7, screen_96), 32);
    EXPECT_EQ(pixels_to_units_x(800, screen_96), 3657);  // 3657.14
    EXPECT_EQ(pixels_to_units_x(0, screen_96), 0);
}

TEST(LayoutUnits, UnitsBecomePixelsRoundedToNearest) {
    EXPECT_EQ(units_to_pixels_x(2002, screen_96), 438);  // 437.94
    EXPECT_EQ(units_to_pixels_y(1224, screen_96), 306);
    EXPECT_EQ(units_to_pixels_x(2217, screen_96), 485);  // 484.97
    EXPECT_EQ(units_to_pixels_y(1756, screen_96), 439);
    EXPECT_EQ(units_to_pixels_x(1232, screen_96), 270);  // 269.5: halves go up
    EXPECT_EQ(units_to_pixels_x(-1232, screen_96), -270);
    EXPECT_EQ(units_to_pixels_y(2, screen_96), 1);                               // 0.5
    EXPECT_EQ(units_to_pixels(Rect{713, 372, 1198, 68}, screen_96).width, 262);  // 262.06
}

TEST(LayoutUnits, KeepTheirPhysicalSizeAtOtherResolutions) {
    constexpr Dpi screen_120{120, 120};
    EXPECT_EQ(pixels_to_units_x(1280, screen_120), 4681);
    EXPECT_EQ(pixels_to_units_y(960, screen_120), 3072);
    EXPECT_EQ(units_to_pixels_x(2002, screen_120), 547);  // 547.42
    EXPECT_EQ(units_to_pixels_y(1224, screen_120), 383);  // 382.5
    constexpr Dpi unknown{0, -5};
    EXPECT_EQ(pixels_to_units_x(1024, unknown), 4681);
    EXPECT_EQ(units_to_pixels_y(1224, unknown), 306);
}

TEST(Centring, DatabaseWindowOnA1024By768Screen) {
    // 4681 * 0.5 - 2002 * 0.5 = 1339.5, rounded to nearest; 3072 * 0.5 - 1224 * 0.5 = 924.
    const Point at = w_center2(Size{1024, 768}, screen_96, Size{2002, 1224});
    EXPECT_EQ(at, (Point{1340, 924}));
    EXPECT_EQ(units_to_pixels(at, screen_96), (Point{293, 231}));  // (1024 - 438) / 2, (768 - 306) / 2
}

TEST(Centring, PelvaneWindowOnA1024By768Screen) {
    const Point at = w_center2(Size{1024, 768}, screen_96, Size{2217, 1756});
    EXPECT_EQ(at, (Point{1232, 658}));
}

TEST(Centring, OddDifferencesRoundToNearest) {
    struct Case {
        Size screen, window;
        Point expected;
    };
    const Case cases[] = {
        {{4681, 3072}, {2000, 1001}, {1341, 1036}},  // 1340.5, 1035.5
        {{4681, 3072}, {2001, 1000}, {1340, 1036}},  // 1340, 1036
        {{101, 51}, {50, 20}, {26, 16}},             // 25.5, 15.5
        {{100, 50}, {100, 50}, {0, 0}},
        {{3657, 2400}, {2002, 1224}, {828, 588}},  // an 800 x 600 screen: 827.5, 588
    };
    for (const Case& c : cases) {
        EXPECT_EQ(w_center2(c.screen, c.window), c.expected) << c.screen.width << "x" << c.screen.height;
    }
}

TEST(Centring, WindowLargerThanTheScreenGoesNegativeWithoutClamping) {
    EXPECT_EQ(w_center2(Size{4681, 3072}, Size{5000, 4001}), (Point{-160, -465}));  // -159.5, -464.5
    // A 640 x 480 screen is 2926 x 1920 units.
    EXPECT_EQ(w_center2(Size{640, 480}, screen_96, Size{4000, 3000}), (Point{-537, -540}));
}

}  // namespace
}  // namespace quillet::ui
