// The menu key steps the shared display area through the recorder keys, the
// satellite panel and neither, only while the link is open.

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "support/powered_panel.h"

using namespace quelm;

namespace {

struct MenuKey : PoweredPanel {
    // The ten controls of the two panels as "v"/"h" in the order
    // cmRec cmPause cmStop cmPlay cmCQ LCDWav cmSatSelect LCDSat LCDSatQrg QRGEditSat.
    std::string shown() const
    {
        std::string s;
        for (QWidget* w : std::array<QWidget*, 10>{q->cmRec, q->cmPause, q->cmStop, q->cmPlay, q->cmCQ, q->LCDWav,
                                                   q->cmSatSelect, q->LCDSat, q->LCDSatQrg, q->QRGEditSat})
            s += w->isHidden() ? 'h' : 'v';
        return s;
    }
};

} // namespace

TEST_F(MenuKey, ThreePressesShowTheRecorderThenTheSatellitePanelThenNeither)
{
    powerOn();
    ASSERT_EQ(q->cmMenu->Tag, QStringLiteral("0"));
    ASSERT_EQ(shown(), "hhhhhhhhhh");
    q->LCDWav->show(); // a wave list left open is closed by the recorder step

    q->cmMenu_Click();
    EXPECT_EQ(shown(), "vvvvvhhhhh");
    EXPECT_EQ(q->cmMenu->Tag, QStringLiteral("1"));

    q->LCDWav->show();
    q->cmMenu_Click();
    EXPECT_EQ(shown(), "hhhhhhvvvh");
    EXPECT_EQ(q->cmMenu->Tag, QStringLiteral("L"));

    q->QRGEditSat->show();
    q->cmMenu_Click();
    EXPECT_EQ(shown(), "hhhhhhhhhh");
    EXPECT_EQ(q->cmMenu->Tag, QStringLiteral("0"));
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(MenuKey, TheSatelliteStepWithNoSatelliteChosenLeavesItsFrequencyAlone)
{
    powerOn();
    q->cmMenu_Click();
    q->cmMenu_Click();
    ASSERT_FALSE(q->LCDSatQrg->isHidden());
    ASSERT_EQ(q->cmbSatellite->currentRow(), -1);
    const QString before = q->LCDSatQrg->caption();
    q->CambiaQRG(14100, true);
    EXPECT_EQ(q->LCDSatQrg->caption(), before);
    EXPECT_EQ(f.fake.serial.writes().size(), 1u);
}

TEST_F(MenuKey, DoesNothingWithTheLinkClosedOrAnUnknownTag)
{
    q->cmMenu_Click();
    EXPECT_EQ(q->cmMenu->Tag, QStringLiteral("0"));
    EXPECT_EQ(shown(), "hhhhhhhhhh");

    powerOn();
    q->cmMenu_Click();
    q->cmPower_Click(); // the panel on show stays on show
    EXPECT_EQ(shown(), "vvvvvhhhhh");
    q->cmMenu_Click();
    EXPECT_EQ(q->cmMenu->Tag, QStringLiteral("1"));

    powerOn();
    q->cmMenu->Tag = QStringLiteral("x");
    q->cmMenu_Click();
    EXPECT_EQ(q->cmMenu->Tag, QStringLiteral("x"));
    EXPECT_EQ(shown(), "vvvvvhhhhh");
}
