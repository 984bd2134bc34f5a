// The power key with nobody on the far end of the port: when nothing the push
// sent got an answer from the radio, one message says so and what to check,
// and the link stays open for a radio switched on later.

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/civ_frames.h"
#include "support/quelm_fixture.h"

using namespace quelm;
using namespace testframes;

namespace {

struct LineCase {
    const char* name;
    QByteArray line; // what arrives during the push
    bool radioHeard;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class PushAnswers : public ::testing::TestWithParam<LineCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
        q->st.VFOQrg = {14074, 7050};
    }

    QuelmFixture f;
    Quelm* q = nullptr;
};

} // namespace

TEST_P(PushAnswers, OnlyAFrameFromTheRadioCountsAsAnAnswer)
{
    f.fake.serial.queueInputAt(f.fake.clock.now() + 0.5, GetParam().line);

    q->cmPower_Click();

    // Open in either case: the display, the timers and the port.
    EXPECT_TRUE(isOn(q->st.PowerOn));
    EXPECT_TRUE(f.fake.serial.portOpen());
    EXPECT_TRUE(q->Timer1->enabled());
    EXPECT_TRUE(q->TimerS->enabled());
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    if (GetParam().radioHeard) {
        EXPECT_TRUE(f.fake.messages.warnings.isEmpty()) << f.fake.messages.warnings.join(' ').toStdString();
        return;
    }
    ASSERT_EQ(f.fake.messages.warnings.size(), 1);
    const QString& m = f.fake.messages.warnings[0];
    for (const char* named : {"COM1", "9600,n,8,1", "switched on", "baud rate", "address is 56", "transceive"})
        EXPECT_TRUE(m.contains(QLatin1String(named))) << named << " missing from: " << m.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PushAnswers,
    ::testing::Values(
        LineCase{"Nothing", QByteArray(), false},
        // A CI-V bus without a radio gives back the program's own frames.
        LineCase{"OwnEchoOnly", sent({0x07, 0x01}) + sent({0x05, 0x00, 0x00, 0x05, 0x07, 0x00}), false},
        LineCase{"AnotherRadio", hex("FEFEE058FBFD") + hex("FEFE0058000000140700FD"), false},
        LineCase{"WrongBaudNoise", hex("13370056FD00FEE0F8563F7F"), false},
        LineCase{"Ok", fromRadio({0xFB}), true},
        LineCase{"NotGood", fromRadio({0xFA}), true},
        LineCase{"TransceiveReport", fromRadio({0x00, 0x00, 0x00, 0x05, 0x07, 0x00}, 0x00), true},
        LineCase{"AnswerAmongEchoes", sent({0x07, 0x01}) + hex("FEFEFEE056FBFD") + sent({0x06, 0x01}), true}),
    [](const ::testing::TestParamInfo<LineCase>& i) { return std::string(i.param.name); });

TEST(NoRadio, ARadioSwitchedOnAfterTheMessageIsPickedUp)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm* q = f.window.get();
    q->st.VFOQrg = {14074, 7050};
    q->cmPower_Click();
    ASSERT_EQ(f.fake.messages.warnings.size(), 1);

    f.fake.serial.queueInput(fromRadio({0x00, 0x00, 0x60, 0x07, 0x14, 0x00}, 0x00));
    q->Timer1_Timer();

    EXPECT_EQ(q->QRG->caption(), QStringLiteral("14,076.00"));
    EXPECT_EQ(q->st.VFOQrg[0], 14076);
    // The message is for the push only; the running link raises no more of them.
    q->TimerS_Timer();
    q->Timer1_Timer();
    EXPECT_EQ(f.fake.messages.warnings.size(), 1);
}
