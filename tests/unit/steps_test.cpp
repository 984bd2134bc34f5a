#include <gtest/gtest.h>

#include "front_panel/steps.h"

using namespace quelm;

TEST(Steps, ListTextsCaptionsAndStepsBelongTogether)
{
    struct Case {
        const char* listText;
        double hz;
        const char* caption;
    };
    const Case cases[] = {
        {"     10 Hz", 10, "10 Hz"},      {"   100 Hz", 100, "100 Hz"},    {"     1 KHz", 1000, "1 KHz"},
        {"     5 KHz", 5000, "5 KHz"},    {"   10 KHz", 10000, "10 KHz"}, {"12.5 KHz", 12500, "12.5 KHz"},
        {"   20 KHz", 20000, "20 KHz"},   {"   25 KHz", 25000, "25 KHz"},
    };
    ASSERT_EQ(steps::listTexts().size(), 8);
    for (int i = 0; i < 8; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(steps::listTexts()[i], QLatin1String(c.listText));
        EXPECT_EQ(steps::forListText(QLatin1String(c.listText)), c.hz);
        EXPECT_EQ(steps::caption(c.hz), QLatin1String(c.caption));
    }
}

TEST(Steps, TextsAndStepsOutsideTheTableGiveNothing)
{
    EXPECT_FALSE(steps::forListText(QStringLiteral("10 Hz")));    // blanks count
    EXPECT_FALSE(steps::forListText(QStringLiteral("     1 kHz"))); // so does the case
    EXPECT_FALSE(steps::caption(9000));
}
