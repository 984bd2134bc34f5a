// No way out of the program leaves the radio transmitting: whether the transmit
// key or the CQ caller keyed it (the caller keys without the key's flag), the
// power key, closing the window and a serial failure each send receive while
// the port can still take it, and always end with TXOn false and the lamps
// showing receive. Every opening begins with receive, so one that could not go
// out (or a run that ended keyed) is made good there.
// SIGTERM with the transmit key on closes the window in receive.

#include <csignal>
#include <functional>
#include <string>

#include <QTest>

#include <gtest/gtest.h>

#include "app/stop_signals.h"
#include "support/powered_panel.h"

using namespace quelm;
using namespace testframes;

namespace {

const QByteArray kReceive = sent({0x1C, 0x00, 0x00});
const QByteArray kTransmit = sent({0x1C, 0x00, 0x01});

struct KeyedBy {
    const char* name;
    std::function<void(Quelm&)> key;
};

struct WayOut {
    const char* name;
    std::function<void(QuelmFixture&, Quelm&)> leave;
    bool portWritable; // can the receive frame still reach the radio?
};

struct SafetyCase {
    KeyedBy keyed;
    WayOut way;
};

const KeyedBy kTxKey{"TxKey", [](Quelm& q) { q.cmTX_Click(); }};
// The CQ caller keys with the transmit command alone and leaves TXOn alone.
const KeyedBy kCaller{"Caller", [](Quelm& q) { q.RadioSetRXTX(true); }};

const WayOut kPowerKey{"PowerKey", [](QuelmFixture&, Quelm& q) { q.cmPower_Click(); }, true};
const WayOut kWindowClosed{"WindowClosed", [](QuelmFixture&, Quelm& q) { q.close(); }, true};
const WayOut kReadFails{"ReadFails",
                        [](QuelmFixture& f, Quelm& q) {
                            f.fake.serial.queueInput(fromRadio({0x03}));
                            f.fake.serial.setReadFails(QStringLiteral("read failed"));
                            q.Timer1_Timer();
                        },
                        true};
const WayOut kWriteFails{"WriteFails",
                         [](QuelmFixture& f, Quelm& q) {
                             f.fake.serial.setWriteFails(QStringLiteral("device gone"));
                             q.TimerS_Timer();
                         },
                         false};

struct TransmitterSafety : PoweredPanel {};

class EveryWayOut : public PoweredPanel, public ::testing::WithParamInterface<SafetyCase> {};

} // namespace

TEST_P(EveryWayOut, EndsInReceive)
{
    const SafetyCase& c = GetParam();
    q->show();
    powerOn();
    c.keyed.key(*q);
    ASSERT_FALSE(q->LCDTX->isHidden());
    ASSERT_TRUE(q->link.mayBeKeyed());
    f.fake.serial.clearWrites();

    c.way.leave(f, *q);

    EXPECT_FALSE(f.fake.serial.portOpen());
    if (c.way.portWritable) {
        // Recorded writes all happened on an open port: the receive went out before it closed.
        ASSERT_FALSE(f.fake.serial.writes().empty());
        EXPECT_EQ(shown(f.fake.serial.writes().back().bytes), shown(kReceive));
        EXPECT_FALSE(q->link.mayBeKeyed());
    } else {
        EXPECT_TRUE(f.fake.serial.writes().empty());
        EXPECT_TRUE(q->link.mayBeKeyed()); // the radio was never told
    }
    EXPECT_EQ(q->st.TXOn, kFalse);
    EXPECT_TRUE(q->LCDTX->isHidden());
    EXPECT_LE(f.fake.messages.criticals.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, EveryWayOut,
    ::testing::Values(SafetyCase{kTxKey, kPowerKey}, SafetyCase{kCaller, kPowerKey}, SafetyCase{kTxKey, kWindowClosed},
                      SafetyCase{kCaller, kWindowClosed}, SafetyCase{kTxKey, kReadFails},
                      SafetyCase{kCaller, kReadFails}, SafetyCase{kTxKey, kWriteFails},
                      SafetyCase{kCaller, kWriteFails}),
    [](const ::testing::TestParamInfo<SafetyCase>& i) {
        return std::string(i.param.keyed.name) + "_" + i.param.way.name;
    });

TEST_F(TransmitterSafety, ClosingWithTheLinkOpenLeavesTheReceiveLampOn)
{
    powerOn();
    q->cmTX_Click();
    q->Form_Unload();
    EXPECT_FALSE(q->LCDRX->isHidden());
    EXPECT_TRUE(q->LCDTX->isHidden());
}

TEST_F(TransmitterSafety, NothingIsSentAtCloseWhenTheRadioWasLastToldToReceive)
{
    powerOn();
    q->RadioSetRXTX(true);
    q->RadioSetRXTX(false); // the caller's own receive at the end of its message
    f.fake.serial.clearWrites();
    q->cmPower_Click();
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(TransmitterSafety, AReceiveThatCouldNotGoOutIsTheFirstFrameOfTheNextOpening)
{
    powerOn();
    q->cmTX_Click();
    f.fake.serial.setWriteFails(QStringLiteral("device gone"));
    q->TimerS_Timer();
    ASSERT_FALSE(isOn(q->st.PowerOn));

    f.fake.serial.setWriteFails(QString());
    f.fake.serial.clearWrites();
    q->cmPower_Click();

    ASSERT_TRUE(isOn(q->st.PowerOn));
    ASSERT_EQ(f.fake.serial.writes().size(), 16u);
    EXPECT_EQ(shown(f.fake.serial.writes().front().bytes), shown(kReceive));
    EXPECT_GT(f.fake.serial.writes()[1].time - f.fake.serial.writes()[0].time, q->st.CmdDelay);
    EXPECT_FALSE(q->link.mayBeKeyed());
    EXPECT_FALSE(q->LCDRX->isHidden());
    EXPECT_TRUE(q->LCDTX->isHidden());

    // Every opening begins with receive, whatever this run remembers: an
    // earlier run may have ended with the radio keyed.
    q->cmPower_Click();
    f.fake.serial.clearWrites();
    q->cmPower_Click();
    ASSERT_EQ(f.fake.serial.writes().size(), 16u);
    EXPECT_EQ(shown(f.fake.serial.writes().front().bytes), shown(kReceive));
}

TEST_F(TransmitterSafety, ASigtermWithTheTransmitKeyOnClosesTheWindowInReceive)
{
    q->show();
    powerOn();
    q->cmTX_Click();
    ASSERT_EQ(frames(), std::vector<std::string>{shown(kTransmit)});
    // As the program's own watcher does: closed as the exit key closes it.
    bool stopped = false;
    StopSignals watch([&](int signal) {
        stopped = true;
        q->cmExit_Click();
        QCoreApplication::exit(128 + signal);
    });

    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, 2000));

    // Receive went out while the port could still take it, and nothing after.
    EXPECT_EQ(frames(), (std::vector<std::string>{shown(kTransmit), shown(kReceive)}));
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_FALSE(q->link.mayBeKeyed());
    EXPECT_EQ(q->st.TXOn, kFalse);
    EXPECT_TRUE(q->LCDTX->isHidden());
    EXPECT_FALSE(q->isVisible());
}
