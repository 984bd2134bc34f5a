// The function switches: what each press shows and the exact frame it sends,
// the three-way AGC and duplex cycles (damaged saved modes included), the
// transmit key's own flag, and nothing at all while the link is closed.

#include <functional>
#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include "support/powered_panel.h"

using namespace quelm;
using namespace testframes;

namespace {

struct Switches : PoweredPanel {};

struct OnOffCase {
    const char* name;
    std::function<void(Quelm&)> press;
    std::function<Flag(const Quelm&)> flag;
    std::function<QWidget*(const Quelm&)> indicator;
    int code;
};

class OnOffKey : public Switches, public ::testing::WithParamInterface<OnOffCase> {};

} // namespace

TEST_P(OnOffKey, TwoPressesSendOnThenOffAndRestoreTheIndicator)
{
    const OnOffCase& c = GetParam();
    powerOn();
    ASSERT_FALSE(isOn(c.flag(*q)));
    QWidget* lamp = c.indicator(*q);

    c.press(*q);
    EXPECT_EQ(c.flag(*q), kTrue);
    EXPECT_FALSE(lamp->isHidden());
    c.press(*q);
    EXPECT_EQ(c.flag(*q), kFalse);
    EXPECT_TRUE(lamp->isHidden());

    EXPECT_EQ(frames(), shownAll({sent({0x16, c.code, 0x01}), sent({0x16, c.code, 0x00})}));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OnOffKey,
    ::testing::Values(
        OnOffCase{"Monitor", [](Quelm& q) { q.cmMonitor_Click(); }, [](const Quelm& q) { return q.st.MonitorOn; },
                  [](const Quelm& q) -> QWidget* { return q.LCDMonitor; }, 0x45},
        OnOffCase{"NoiseBlanker", [](Quelm& q) { q.cmNB_Click(); }, [](const Quelm& q) { return q.st.NBOn; },
                  [](const Quelm& q) -> QWidget* { return q.LCDNB; }, 0x22},
        OnOffCase{"Notch", [](Quelm& q) { q.cmNotch_Click(); }, [](const Quelm& q) { return q.st.NotchOn; },
                  [](const Quelm& q) -> QWidget* { return q.LCDNotch; }, 0x48},
        OnOffCase{"NoiseReduction", [](Quelm& q) { q.cmNR_Click(); }, [](const Quelm& q) { return q.st.NROn; },
                  [](const Quelm& q) -> QWidget* { return q.LCDNR; }, 0x40}),
    [](const ::testing::TestParamInfo<OnOffCase>& i) { return std::string(i.param.name); });

TEST_F(Switches, SplitShowsItsLampAndSymbolAndSends)
{
    powerOn();
    q->cmSplit_Click();
    EXPECT_FALSE(q->LCDSplit->isHidden());
    EXPECT_EQ(q->LCDQRGSplit->caption(), QStringLiteral("SPLIT"));
    q->cmSplit_Click();
    EXPECT_TRUE(q->LCDSplit->isHidden());
    EXPECT_EQ(q->LCDQRGSplit->caption(), QString());
    EXPECT_EQ(frames(), shownAll({sent({0x0F, 0x01}), sent({0x0F, 0x00})}));
}

TEST_F(Switches, CompressorColoursItsFieldAndSends)
{
    powerOn();
    q->LCDComp_Click();
    EXPECT_EQ(q->LCDComp->foreColor(), kBlue);
    q->LCDComp_Click();
    EXPECT_EQ(q->LCDComp->foreColor(), kGrey);
    EXPECT_EQ(frames(), shownAll({sent({0x16, 0x44, 0x01}), sent({0x16, 0x44, 0x00})}));
}

struct CycleCase {
    const char* name;
    std::function<void(Quelm&)> press;
    std::function<int&(Quelm&)> mode;
    std::function<LcdLabel*(Quelm&)> field;
    int start;
    std::vector<const char*> captions;
    std::vector<QByteArray> sentFrames;
};

class ThreeWayCycle : public Switches, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(ThreeWayCycle, EachPressShowsTheNextCaptionInItsColourAndSendsIt)
{
    const CycleCase& c = GetParam();
    c.mode(*q) = c.start;
    powerOn();
    for (const char* caption : c.captions) {
        c.press(*q);
        const QString shownCaption = c.field(*q)->caption();
        EXPECT_EQ(shownCaption, QString::fromLatin1(caption));
        EXPECT_EQ(c.field(*q)->foreColor(), shownCaption.endsWith(QLatin1String("OFF")) ? kGrey : kBlue) << caption;
    }
    EXPECT_EQ(frames(), shownAll(c.sentFrames));
}

namespace {
const auto pressAgc = [](Quelm& q) { q.LCDAGC_Click(); };
const auto agcMode = [](Quelm& q) -> int& { return q.st.AGCMode; };
const auto agcField = [](Quelm& q) { return q.LCDAGC; };
const auto pressDup = [](Quelm& q) { q.LCDDUP_Click(); };
const auto dupMode = [](Quelm& q) -> int& { return q.st.DuplexMode; };
const auto dupField = [](Quelm& q) { return q.LCDDUP; };
} // namespace

// A saved mode outside 0..2 shows as the third caption; its press goes on to
// off, as the third's does, instead of counting up through values the radio refuses.
INSTANTIATE_TEST_SUITE_P(
    Fields, ThreeWayCycle,
    ::testing::Values(
        CycleCase{"AgcFromFast", pressAgc, agcMode, agcField, 1, {"AGC SLOW", "AGC OFF", "AGC FAST"},
                  {sent({0x16, 0x12, 0x02}), sent({0x16, 0x12, 0x00}), sent({0x16, 0x12, 0x01})}},
        CycleCase{"AgcDamagedFive", pressAgc, agcMode, agcField, 5, {"AGC OFF", "AGC FAST"},
                  {sent({0x16, 0x12, 0x00}), sent({0x16, 0x12, 0x01})}},
        CycleCase{"AgcDamagedMinusOne", pressAgc, agcMode, agcField, -1, {"AGC OFF"}, {sent({0x16, 0x12, 0x00})}},
        CycleCase{"DuplexFromOff", pressDup, dupMode, dupField, 0, {"DUP-", "DUP+", "DUP OFF"},
                  {sent({0x0F, 0x11}), sent({0x0F, 0x12}), sent({0x0F, 0x10})}},
        CycleCase{"DuplexDamagedFive", pressDup, dupMode, dupField, 5, {"DUP OFF", "DUP-"},
                  {sent({0x0F, 0x10}), sent({0x0F, 0x11})}},
        CycleCase{"DuplexDamagedMinusOne", pressDup, dupMode, dupField, -1, {"DUP OFF"}, {sent({0x0F, 0x10})}}),
    [](const ::testing::TestParamInfo<CycleCase>& i) { return std::string(i.param.name); });

TEST_F(Switches, TheTransmitKeySendsTheOppositeOfItsOwnLastPressWhateverOthersSent)
{
    powerOn();
    q->cmTX_Click();
    EXPECT_EQ(q->st.TXOn, kTrue);
    EXPECT_FALSE(q->LCDTX->isHidden());
    EXPECT_TRUE(q->LCDRX->isHidden());

    q->RadioSetRXTX(false); // the CQ caller's receive at the end of a call
    q->cmTX_Click();
    EXPECT_EQ(q->st.TXOn, kFalse);
    q->cmTX_Click();

    EXPECT_EQ(frames(), shownAll({sent({0x1C, 0x00, 0x01}), sent({0x1C, 0x00, 0x00}), sent({0x1C, 0x00, 0x00}),
                                  sent({0x1C, 0x00, 0x01})}));
    EXPECT_FALSE(q->LCDTX->isHidden());
}

TEST_F(Switches, WithTheLinkClosedNoSwitchChangesOrSendsAnything)
{
    const std::vector<std::function<void(Quelm&)>> presses{
        [](Quelm& q) { q.cmMonitor_Click(); }, [](Quelm& q) { q.cmNB_Click(); },
        [](Quelm& q) { q.cmNotch_Click(); },   [](Quelm& q) { q.cmNR_Click(); },
        [](Quelm& q) { q.cmSplit_Click(); },   [](Quelm& q) { q.cmTX_Click(); },
        [](Quelm& q) { q.LCDComp_Click(); },   [](Quelm& q) { q.LCDAGC_Click(); },
        [](Quelm& q) { q.LCDDUP_Click(); }};
    // Once open and closed again, so that a closed link is not just the start-up state.
    powerOn();
    q->cmPower_Click();
    f.fake.serial.clearWrites();
    const OperatingState before = q->st;
    const QString agc = q->LCDAGC->caption();
    const QString dup = q->LCDDUP->caption();

    for (const auto& press : presses)
        press(*q);

    EXPECT_TRUE(f.fake.serial.writes().empty());
    for (Flag OperatingState::*flag : {&OperatingState::MonitorOn, &OperatingState::NBOn, &OperatingState::NotchOn,
                                       &OperatingState::NROn, &OperatingState::SplitOn, &OperatingState::TXOn,
                                       &OperatingState::CompOn})
        EXPECT_EQ(q->st.*flag, before.*flag);
    EXPECT_EQ(q->st.AGCMode, before.AGCMode);
    EXPECT_EQ(q->st.DuplexMode, before.DuplexMode);
    EXPECT_EQ(q->LCDAGC->caption(), agc);
    EXPECT_EQ(q->LCDDUP->caption(), dup);
    EXPECT_TRUE(q->LCDTX->isHidden());
}

TEST_F(Switches, TheRitKeyTakesNoClicks)
{
    powerOn();
    EXPECT_FALSE(q->cmRit->isEnabled());
    q->show();
    QTest::mouseClick(q->cmRit, Qt::LeftButton);
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_TRUE(q->LCDRit->isHidden());
}
