#include <gtest/gtest.h>

#include "platform/conversions.h"

TEST(Conversions, NumberTextHasSignPlace)
{
    EXPECT_EQ(quelm::conv::numberText(1200), QStringLiteral(" 1200"));
}
