#include <ostream>

#include <gtest/gtest.h>

#include "window_support/screen_reach.h"

using namespace quelm;

// Failures name the rectangle instead of its bytes.
static void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace {

// One 1280 x 900 screen.
const ScreenAreas kOne{{QRect(0, 0, 1280, 900)}, 0};
// A 1024 x 768 screen left of the primary one, whose task bar takes its 30
// bottom rows; listed first.
const ScreenAreas kPair{{QRect(-1024, 0, 1024, 768), QRect(0, 0, 1280, 870)}, 1};
// Two screens that show the same picture.
const ScreenAreas kMirrored{{QRect(0, 0, 1280, 900), QRect(0, 0, 1280, 900)}, 0};

TEST(FormPos, AStoredPlaceStaysWhereItCanBeReachedAndIsBroughtOntoAScreenElse)
{
    const struct {
        const char* what;
        const ScreenAreas& screens;
        QRect wanted, given;
    } cases[] = {
        {"on the screen", kOne, {100, 100, 701, 337}, {100, 100, 701, 337}},
        {"in the far corner to the pixel", kOne, {579, 563, 701, 337}, {579, 563, 701, 337}},
        {"just beyond the right edge", kOne, {1280, 100, 701, 337}, {579, 100, 701, 337}},
        {"left on a monitor since unplugged", kOne, {1500, 950, 701, 337}, {579, 563, 701, 337}},
        {"more on than off", kOne, {929, 100, 701, 337}, {929, 100, 701, 337}},
        {"more off than on", kOne, {930, 100, 701, 337}, {579, 100, 701, 337}},
        {"half on, half off", kOne, {930, 100, 700, 337}, {930, 100, 700, 337}},
        {"half the title bar above the top", kOne, {100, -16, 521, 600}, {100, -16, 521, 600}},
        {"most of the title bar above the top", kOne, {100, -20, 521, 600}, {100, 0, 521, 600}},
        {"far too large", kOne, {50, 40, 1000000, 1000000}, {0, 0, 1280, 900}},
        {"too wide where it stands", kOne, {0, 0, 1400, 500}, {0, 0, 1280, 500}},
        {"too wide and partly off", kOne, {-100, 200, 1400, 500}, {0, 200, 1280, 500}},
        {"on the screen left of the primary", kPair, {-900, 100, 701, 337}, {-900, 100, 701, 337}},
        {"across both screens", kPair, {-300, 100, 701, 337}, {-300, 100, 701, 337}},
        {"mostly beyond the left screen", kPair, {-1500, 100, 701, 337}, {-1024, 100, 701, 337}},
        {"beyond every screen", kPair, {-3000, 100, 701, 337}, {0, 100, 701, 337}},
        {"too large for the left screen that holds most", kPair, {-1024, 0, 1200, 800}, {-1024, 0, 1024, 768}},
        {"mostly behind the task bar", kPair, {100, 720, 701, 337}, {100, 533, 701, 337}},
        {"a third on mirrored screens", kMirrored, {1000, 100, 840, 337}, {440, 100, 840, 337}},
        {"no screen known", ScreenAreas{}, {5000, 5000, 10, 10}, {5000, 5000, 10, 10}},
        {"only a screen of no size", ScreenAreas{{QRect()}, 0}, {5000, 5000, 10, 10}, {5000, 5000, 10, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withinReach(c.wanted, c.screens), c.given) << c.what;
}

} // namespace
