// VFO swap and copy, the step list and the three mode keys.

#include <string>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/quelm_fixture.h"
#include "support/civ_frames.h"

using namespace quelm;
using namespace testframes;

namespace {


struct VfoFixture : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
        q->st.VFOQrg = {14074, 7050};
        q->st.VFOModo = {QStringLiteral("USB"), QStringLiteral("CW")};
        q->st.VFOStep = {1000, 12500};
    }

    void powerOn()
    {
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        f.fake.serial.clearWrites();
    }
};

} // namespace

struct SwapCase {
    const char* vfoCaption;
    int newVfo;
    std::vector<QByteArray> frames;
    const char* stepCaption;
    const char* modeCaption;
};

class VfoSwap : public VfoFixture, public ::testing::WithParamInterface<SwapCase> {};

TEST_P(VfoSwap, DirectionFollowsTheVfoLabel)
{
    const SwapCase& c = GetParam();
    powerOn();
    q->LCDVFO->setCaption(QString::fromLatin1(c.vfoCaption));

    q->cmVFO_Click();

    EXPECT_EQ(q->st.VFOActive, c.newVfo);
    const auto& w = f.fake.serial.writes();
    ASSERT_EQ(w.size(), c.frames.size());
    for (std::size_t i = 0; i < w.size(); ++i) {
        EXPECT_EQ(w[i].bytes.toHex(' ').toStdString(), c.frames[i].toHex(' ').toStdString()) << i;
        if (i > 0) {
            EXPECT_GT(w[i].time - w[i - 1].time, q->st.CmdDelay) << "no pause before frame " << i;
        }
    }
    EXPECT_EQ(q->LCDStep->caption(), QString::fromLatin1(c.stepCaption));
    EXPECT_EQ(q->LCDModo->caption(), QString::fromLatin1(c.modeCaption));
    // The new VFO's stored frequency is not sent: the radio's own comes back.
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 14074);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[1], 7050);
}

INSTANTIATE_TEST_SUITE_P(
    Label, VfoSwap,
    ::testing::Values(
        SwapCase{"VFOA", 1, {sent({0x07, 0x01}), sent({0x10, 0x06}), sent({0x06, 0x03}), sent({0x03})},
                 "12.5 KHz", "CW"},
        SwapCase{"VFOB", 0, {sent({0x07, 0x00}), sent({0x10, 0x02}), sent({0x06, 0x01}), sent({0x03})},
                 "1 KHz", "USB"},
        SwapCase{"vfoa", 0, {sent({0x07, 0x00}), sent({0x10, 0x02}), sent({0x06, 0x01}), sent({0x03})},
                 "1 KHz", "USB"}));

TEST_F(VfoFixture, DoubleClickArrivesAsClickThenDoubleClickAndCopiesTheNewVfo)
{
    powerOn();
    ASSERT_EQ(q->LCDVFO->caption(), QStringLiteral("VFOA"));

    q->cmVFO_Click();
    f.fake.serial.clearWrites();
    q->cmVFO_DblClick();

    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(f.fake.serial.writes()[0].bytes, sent({0x07, 0xA0}));
    EXPECT_EQ(q->st.VFOActive, 1);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 7050);
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("CW"));
    EXPECT_DOUBLE_EQ(q->st.VFOStep[0], 1000);
    EXPECT_EQ(q->LCDVFO->caption(), QStringLiteral("VFOB"));
}

TEST_F(VfoFixture, StepListOffersTheEightStepsAndAChoiceSetsAndSendsIt)
{
    powerOn();
    q->cmStep_Click();
    ASSERT_FALSE(q->cmbStep->isHidden());
    QStringList texts;
    for (int i = 0; i < q->cmbStep->count(); ++i)
        texts << q->cmbStep->item(i)->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("     10 Hz"), QStringLiteral("   100 Hz"),
                                  QStringLiteral("     1 KHz"), QStringLiteral("     5 KHz"),
                                  QStringLiteral("   10 KHz"), QStringLiteral("12.5 KHz"),
                                  QStringLiteral("   20 KHz"), QStringLiteral("   25 KHz")}));

    const std::pair<int, std::pair<double, int>> choices[] = {
        {0, {10, 0x00}}, {3, {5000, 0x03}}, {4, {10000, 0x05}}, {7, {25000, 0x08}}};
    for (const auto& [row, expected] : choices) {
        f.fake.serial.clearWrites();
        q->cmStep_Click();
        q->cmbStep->setCurrentRow(row);
        q->cmbStep_Click();
        EXPECT_DOUBLE_EQ(q->st.VFOStep[0], expected.first);
        ASSERT_EQ(f.fake.serial.writes().size(), 1u);
        EXPECT_EQ(f.fake.serial.writes()[0].bytes, sent({0x10, expected.second}));
        EXPECT_TRUE(q->cmbStep->isHidden());
    }
    EXPECT_DOUBLE_EQ(q->st.VFOStep[1], 12500);
}

TEST_F(VfoFixture, AListTextMatchingNoneKeepsTheStepButStillSendsAndHides)
{
    powerOn();
    q->cmStep_Click();
    q->cmbStep->item(2)->setText(QStringLiteral("1 KHz"));
    q->cmbStep->setCurrentRow(2);

    q->cmbStep_Click();

    EXPECT_DOUBLE_EQ(q->st.VFOStep[0], 1000);
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(f.fake.serial.writes()[0].bytes, sent({0x10, 0x02}));
    EXPECT_TRUE(q->cmbStep->isHidden());
}

TEST_F(VfoFixture, AStepChosenAfterTheLinkClosedIsKeptAndShownButNotSent)
{
    powerOn();
    q->cmStep_Click();
    q->cmPower_Click(); // the list stays open
    q->cmbStep->setCurrentRow(6);

    q->cmbStep_Click();

    EXPECT_DOUBLE_EQ(q->st.VFOStep[0], 20000);
    EXPECT_EQ(q->LCDStep->caption(), QStringLiteral("20 KHz"));
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    EXPECT_TRUE(q->cmbStep->isHidden());
}

TEST_F(VfoFixture, StepListLosingTheFocusHides)
{
    powerOn();
    q->cmStep_Click();
    q->cmbStep_LostFocus();
    EXPECT_TRUE(q->cmbStep->isHidden());
}

struct ModeKeyCase {
    const char* key;
    const char* caption;
    const char* mode;
    int code;
};

class ModeKeys : public VfoFixture, public ::testing::WithParamInterface<ModeKeyCase> {};

TEST_P(ModeKeys, StepThroughTheirModes)
{
    const ModeKeyCase& c = GetParam();
    powerOn();
    q->st.VFOActive = 1;
    q->LCDModo->setCaption(QString::fromLatin1(c.caption));
    f.fake.serial.clearWrites();

    const std::string key = c.key;
    if (key == "SSB")
        q->cmSSB_Click();
    else if (key == "FM")
        q->cmFM_Click();
    else
        q->cmRTTY_Click();

    EXPECT_EQ(q->LCDModo->caption(), QString::fromLatin1(c.mode));
    EXPECT_EQ(q->st.VFOModo[1], QString::fromLatin1(c.mode));
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("USB"));
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(f.fake.serial.writes()[0].bytes, sent({0x06, c.code}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModeKeys,
    ::testing::Values(ModeKeyCase{"SSB", "USB", "LSB", 0x00}, ModeKeyCase{"SSB", "LSB", "USB", 0x01},
                      ModeKeyCase{"SSB", "AM", "USB", 0x01}, ModeKeyCase{"FM", "FM", "AM", 0x02},
                      ModeKeyCase{"FM", "AM", "FM", 0x05}, ModeKeyCase{"FM", "CW", "FM", 0x05},
                      ModeKeyCase{"RTTY", "CW", "CW-R", 0x07}, ModeKeyCase{"RTTY", "CW-R", "RTTY", 0x04},
                      ModeKeyCase{"RTTY", "RTTY", "RTTY-R", 0x08}, ModeKeyCase{"RTTY", "RTTY-R", "CW", 0x03},
                      ModeKeyCase{"RTTY", "USB", "CW", 0x03}, ModeKeyCase{"RTTY", "", "CW", 0x03}));

TEST_F(VfoFixture, WithTheLinkClosedTheKeysDoNothing)
{
    const auto before = q->st.VFOModo;
    const int vfo = q->st.VFOActive;
    q->cmVFO_Click();
    q->cmVFO_DblClick();
    q->cmStep_Click();
    q->cmSSB_Click();
    q->cmFM_Click();
    q->cmRTTY_Click();
    EXPECT_EQ(q->st.VFOActive, vfo);
    EXPECT_EQ(q->st.VFOModo, before);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[1], 7050);
    EXPECT_TRUE(q->cmbStep->isHidden());
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(VfoFixture, TheModeFieldKeepsTheOperatingVfosModeWhoeverWritesIt)
{
    q->st.VFOActive = 1;
    q->LCDModo->setCaption(QStringLiteral("RTTY"));
    EXPECT_EQ(q->st.VFOModo[1], QStringLiteral("RTTY"));
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("USB"));
}
