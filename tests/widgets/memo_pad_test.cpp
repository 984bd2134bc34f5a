// The memo pad: five notes per band row, most recent first, listed with the
// "###,###.##" pattern, a click tuning through the band check.

#include <gtest/gtest.h>

#include "radio_link/civ_codec.h"
#include "support/powered_panel.h"

using namespace quelm;
using namespace testframes;

namespace {

struct MemoPad : PoweredPanel {
    void note(double kHz)
    {
        q->st.VFOQrg[q->st.VFOActive] = kHz;
        q->cmMPW_Click();
    }
    QStringList listed() const
    {
        QStringList items;
        for (int i = 0; i < q->cmbBandStack->count(); ++i)
            items << q->cmbBandStack->item(i)->text();
        return items;
    }
    void choose(int row)
    {
        q->cmbBandStack->setCurrentRow(row);
        q->cmbBandStack_Click();
    }
};

} // namespace

TEST_F(MemoPad, SixNotesKeepTheLastFiveMostRecentFirst)
{
    powerOn();
    q->st.BandIndex = 3;
    for (double kHz : {7001, 7002, 7003, 7004, 7005, 7006})
        note(kHz);
    q->cmMPR_Click();
    EXPECT_EQ(listed(), (QStringList{"7,006.", "7,005.", "7,004.", "7,003.", "7,002."}));
    EXPECT_FALSE(q->cmbBandStack->isHidden());
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(MemoPad, ANoteIsListedToTwoDecimalsAndAClickTunesThroughTheBandCheck)
{
    powerOn();
    q->st.BandIndex = 3;
    note(14074.123);
    note(7074.5);
    q->st.PrevQrg = 0;
    q->cmMPR_Click();
    ASSERT_EQ(listed(), (QStringList{"7,074.5", "14,074.12"}));

    choose(1);

    EXPECT_EQ(q->st.VFOQrg[q->st.VFOActive], 14074.12);
    EXPECT_EQ(frames(), std::vector<std::string>{shown(civ::setFreqFrame(0x56, 14074.12))});
    EXPECT_EQ(q->st.BandIndex, 5); // the band row follows
    EXPECT_EQ(q->st.PrevQrg, 0);   // an NG answer has nothing to put back
    EXPECT_TRUE(q->cmbBandStack->isHidden());
}

TEST_F(MemoPad, EachBandRowListsOnlyItsOwnNotesRowZeroBeforeTheFirstMatch)
{
    q->st.VFOQrg[0] = 13000; // no band holds it: the push leaves the row at 0
    powerOn();
    ASSERT_EQ(q->st.BandIndex, 0);
    note(13001);

    q->CambiaQRG(14100, true);
    ASSERT_EQ(q->st.BandIndex, 5);
    q->cmMPR_Click();
    EXPECT_EQ(q->cmbBandStack->count(), 0);
    EXPECT_TRUE(q->cmbBandStack->isHidden()); // an empty row shows nothing
    note(14100);

    q->st.BandIndex = 0;
    q->cmMPR_Click();
    EXPECT_EQ(listed(), QStringList{"13,001."});
}

TEST_F(MemoPad, WithTheLinkClosedTheKeysAndAStaleListDoNothing)
{
    q->st.BandIndex = 3;
    note(7001);
    q->cmMPR_Click();
    EXPECT_EQ(q->st.MemoPad[3][1], 0);
    EXPECT_TRUE(q->cmbBandStack->isHidden());

    powerOn();
    note(7001);
    q->cmMPR_Click();
    q->cmPower_Click(); // the list is open when the link closes
    f.fake.serial.clearWrites();
    choose(0);
    EXPECT_TRUE(q->cmbBandStack->isHidden());
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}
