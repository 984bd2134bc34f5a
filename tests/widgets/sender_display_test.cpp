// The display and state steps that the senders take before their frame: what
// each shows, stores or leaves alone, also for a text that is in no table; and a
// frequency reply shown under a decimal-comma locale at the window level.

#include <functional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/civ_frames.h"
#include "support/locale_guard.h"
#include "support/quelm_fixture.h"

using namespace quelm;
using namespace testframes;

namespace {

struct SenderCase {
    const char* name;
    std::function<void(Quelm&)> before;
    std::function<void(Quelm&)> send;
    std::function<void(Quelm&)> expect;
    QByteArray frame;
};

void PrintTo(const SenderCase& c, std::ostream* os) { *os << c.name; }

class SenderDisplay : public ::testing::TestWithParam<SenderCase> {};

} // namespace

TEST_P(SenderDisplay, ShowsAndStoresWhatItSends)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    q.cmPower_Click();
    ASSERT_TRUE(isOn(q.st.PowerOn));
    f.fake.serial.clearWrites();
    GetParam().before(q);
    f.fake.serial.clearWrites();

    GetParam().send(q);

    GetParam().expect(q);
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(shown(f.fake.serial.writes()[0].bytes), shown(GetParam().frame));
}

INSTANTIATE_TEST_SUITE_P(
    Senders, SenderDisplay,
    ::testing::Values(
        SenderCase{"TransmitShowsTxHidesRx", [](Quelm&) {}, [](Quelm& q) { q.RadioSetRXTX(true); },
                   [](Quelm& q) {
                       EXPECT_FALSE(q.LCDTX->isHidden());
                       EXPECT_TRUE(q.LCDRX->isHidden());
                   },
                   sent({0x1C, 0x00, 0x01})},
        SenderCase{"ReceiveShowsRxHidesTx", [](Quelm& q) { q.RadioSetRXTX(true); },
                   [](Quelm& q) { q.RadioSetRXTX(false); },
                   [](Quelm& q) {
                       EXPECT_TRUE(q.LCDTX->isHidden());
                       EXPECT_FALSE(q.LCDRX->isHidden());
                   },
                   sent({0x1C, 0x00, 0x00})},
        // A mode in no table: shown and stored as given, the frame goes without its byte.
        SenderCase{"ModeInLowerCase", [](Quelm& q) { q.st.VFOActive = 1; },
                   [](Quelm& q) { q.RadioSetMode(QStringLiteral("usb")); },
                   [](Quelm& q) {
                       EXPECT_EQ(q.LCDModo->caption(), QStringLiteral("usb"));
                       EXPECT_EQ(q.st.VFOModo[1], QStringLiteral("usb"));
                   },
                   sent({0x06})},
        SenderCase{"StepWithoutCaption", [](Quelm& q) { q.st.VFOStep[q.st.VFOActive] = 9000; },
                   [](Quelm& q) { q.RadioSetStep(); },
                   [](Quelm& q) { EXPECT_EQ(q.LCDStep->caption(), QStringLiteral("10 Hz")); }, sent({0x10})},
        SenderCase{"VfoExchangeKeepsTheVfoField", [](Quelm&) {},
                   [](Quelm& q) { q.RadioSetVFO(QStringLiteral("A<>B")); },
                   [](Quelm& q) { EXPECT_EQ(q.LCDVFO->caption(), QStringLiteral("VFOA")); }, sent({0x07, 0xB0})},
        SenderCase{"SplitOffHidesTheSplitLamp", [](Quelm& q) { q.RadioSetSplit(true); },
                   [](Quelm& q) { q.RadioSetSplit(false); },
                   [](Quelm& q) { EXPECT_TRUE(q.LCDSplit->isHidden()); }, sent({0x0F, 0x00})}),
    [](const ::testing::TestParamInfo<SenderCase>& i) { return std::string(i.param.name); });

TEST(CommaLocale, AFrequencyReplyShowsWithTheUsersSeparatorsAndIsStoredExactly)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    q.cmPower_Click();
    ASSERT_TRUE(isOn(q.st.PowerOn));

    // 14,074,560 Hz as a transceive report.
    f.fake.serial.queueInput(fromRadio({0x00, 0x60, 0x45, 0x07, 0x14, 0x00}, 0x00));
    q.Timer1_Timer();

    EXPECT_EQ(q.QRG->caption(), QStringLiteral("14.074,56"));
    EXPECT_DOUBLE_EQ(q.st.VFOQrg[q.st.VFOActive], 14074.56);
    EXPECT_EQ(q.st.BandIndex, 5); // the 20 m row
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}
