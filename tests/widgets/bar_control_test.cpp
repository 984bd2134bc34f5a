#include <gtest/gtest.h>

#include "window_support/bar_control.h"

using namespace quelm;

namespace {

TEST(Bar, StoredPropertiesAndResize)
{
    VexlanProgBar bar;
    bar.resize(96, 9);
    bar.show(); // a hidden widget gets its resize when it is shown
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("MAX"), 255.0f, 0.0f);
    bag.WriteProperty(QStringLiteral("backcolor"), 0x00E2E6DBu, 0u);
    bar.UserControl_ReadProperties(bag);
    EXPECT_EQ(bar.Max(), 255); // names match whatever their case
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.BackColor(), 0x00E2E6DBu);
    EXPECT_EQ(bar.barBackColor(), 0x00E2E6DBu);
    // no stored bar colour: black, and sent to the bar all the same
    EXPECT_EQ(bar.ForeColor(), 0u);
    EXPECT_EQ(bar.barColor(), 0u);

    bar.setValue(128);
    EXPECT_EQ(bar.Value(), 128);
    bar.setMax(300);
    EXPECT_EQ(bar.Max(), 300);
    bar.resize(150, 20);
    EXPECT_EQ(bar.barGeometry(), QRect(0, 0, 150, 20));

    PropertyBag saved;
    bar.UserControl_WriteProperties(saved);
    EXPECT_EQ(saved.ReadProperty(QStringLiteral("max"), 0).toFloat(), 300.0f);
    EXPECT_EQ(saved.ReadProperty(QStringLiteral("Value"), 0).toFloat(), 128.0f);
    EXPECT_FALSE(saved.contains(QStringLiteral("ForeColor"))); // the default is not written
}

} // namespace
