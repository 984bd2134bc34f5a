// The power key against the fake port and the fake clock: the state push in its
// order with its indicators, closing, opening again, and the failures of the link.

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/quelm_fixture.h"
#include "window_support/bar_control.h"
#include "support/civ_frames.h"

using namespace quelm;
using namespace testframes;

namespace {



// Frames as hex text, so a failing comparison reads as bytes.
std::vector<std::string> written(const FakeSerialPort& port)
{
    std::vector<std::string> frames;
    for (const auto& w : port.writes())
        frames.push_back(w.bytes.toHex(' ').toUpper().toStdString());
    return frames;
}

std::vector<std::string> hex(const std::vector<QByteArray>& frames)
{
    std::vector<std::string> out;
    for (const auto& f : frames)
        out.push_back(f.toHex(' ').toUpper().toStdString());
    return out;
}

struct PowerFixture : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
        // VFO A 14074 kHz USB with a 1 kHz step; VFO B 7050.5 kHz CW with 100 Hz.
        q->st.VFOQrg = {14074, 7050.5};
        q->st.VFOModo = {QStringLiteral("USB"), QStringLiteral("CW")};
        q->st.VFOStep = {1000, 100};
        q->st.CompOn = kTrue;
        q->st.MonitorOn = kFalse;
        q->st.NBOn = kTrue;
        q->st.NROn = kFalse;
        q->st.NotchOn = kTrue;
        q->st.RitOn = kTrue;
        q->st.AGCMode = 2;
        q->st.DuplexMode = 0;
    }
};

} // namespace

struct PushCase {
    int vfoActive;
    std::vector<QByteArray> frames;
    const char* vfoCaption;
    const char* modeCaption;
    const char* qrgCaption;
    const char* stepCaption;
};

class PushOrder : public PowerFixture, public ::testing::WithParamInterface<PushCase> {};

// Sixteen frames reach the wire: receive first, whatever the radio was left
// in; the link sends nothing for RIT, whose step still sets its indicator and
// pauses.
TEST_P(PushOrder, SendsTheStoredStateInOrderAndOpensTheLink)
{
    const PushCase& c = GetParam();
    q->st.VFOActive = c.vfoActive;

    q->cmPower_Click();

    EXPECT_EQ(written(f.fake.serial), hex(c.frames));
    EXPECT_TRUE(isOn(q->st.PowerOn));
    EXPECT_EQ(q->LCDVFO->caption(), QString::fromLatin1(c.vfoCaption));
    EXPECT_EQ(q->LCDModo->caption(), QString::fromLatin1(c.modeCaption));
    EXPECT_EQ(q->QRG->caption(), QString::fromLatin1(c.qrgCaption));
    EXPECT_EQ(q->LCDStep->caption(), QString::fromLatin1(c.stepCaption));
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("USB"));
    EXPECT_EQ(q->st.VFOModo[1], QStringLiteral("CW"));
    EXPECT_EQ(q->st.VFOActive, c.vfoActive);

    EXPECT_EQ(q->LCDComp->foreColor(), kBlue);
    EXPECT_TRUE(q->LCDMonitor->isHidden());
    EXPECT_FALSE(q->LCDNB->isHidden());
    EXPECT_TRUE(q->LCDNR->isHidden());
    EXPECT_FALSE(q->LCDNotch->isHidden());
    EXPECT_FALSE(q->LCDRit->isHidden());
    EXPECT_EQ(q->LCDAGC->caption(), QStringLiteral("AGC SLOW"));
    EXPECT_EQ(q->LCDAGC->foreColor(), kBlue);
    EXPECT_EQ(q->LCDDUP->caption(), QStringLiteral("DUP OFF"));
    EXPECT_EQ(q->LCDDUP->foreColor(), kGrey);
    EXPECT_TRUE(q->LCDSplit->isHidden());

    EXPECT_FALSE(q->LCDRX->isHidden());
    EXPECT_TRUE(q->LCDOff->isHidden());
    EXPECT_TRUE(q->Timer1->enabled());
    EXPECT_TRUE(q->TimerS->enabled());
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    BothVfos, PushOrder,
    ::testing::Values(
        PushCase{0,
                 {sent({0x1C, 0x00, 0x00}), sent({0x07, 0x01}), sent({0x05, 0x00, 0x05, 0x05, 0x07, 0x00}), sent({0x06, 0x03}),
                  sent({0x07, 0x00}), sent({0x06, 0x01}), sent({0x05, 0x00, 0x40, 0x07, 0x14, 0x00}),
                  sent({0x0F, 0x00}), sent({0x10, 0x02}), sent({0x16, 0x44, 0x01}), sent({0x16, 0x45, 0x00}),
                  sent({0x16, 0x22, 0x01}), sent({0x16, 0x40, 0x00}), sent({0x16, 0x48, 0x01}),
                  sent({0x16, 0x12, 0x02}), sent({0x0F, 0x10})},
                 "VFOA", "USB", "14,074.00", "1 KHz"},
        PushCase{1,
                 {sent({0x1C, 0x00, 0x00}), sent({0x07, 0x00}), sent({0x05, 0x00, 0x40, 0x07, 0x14, 0x00}), sent({0x06, 0x01}),
                  sent({0x07, 0x01}), sent({0x06, 0x03}), sent({0x05, 0x00, 0x05, 0x05, 0x07, 0x00}),
                  sent({0x0F, 0x00}), sent({0x10, 0x01}), sent({0x16, 0x44, 0x01}), sent({0x16, 0x45, 0x00}),
                  sent({0x16, 0x22, 0x01}), sent({0x16, 0x40, 0x00}), sent({0x16, 0x48, 0x01}),
                  sent({0x16, 0x12, 0x02}), sent({0x0F, 0x10})},
                 "VFOB", "CW", "7,050.50", "100 Hz"}));

TEST_F(PowerFixture, EachIndicatorChangesJustBeforeItsCommandAndEveryCommandIsFollowedByAPause)
{
    // Captured at every serving of events, i.e. inside the pauses.
    struct Seen {
        std::size_t frames;
        bool compBlue, nbShown, ritShown, agcSlow, dupOff;
    };
    std::vector<Seen> seen;
    q->LCDComp->setForeColor(kGrey);
    q->LCDAGC->setCaption(QStringLiteral("AGC FAST"));
    q->LCDDUP->setCaption(QStringLiteral("DUP+"));
    q->LCDNB->setVisible(false);
    q->LCDRit->setVisible(false);
    f.fake.events.setEveryServing([&] {
        seen.push_back({f.fake.serial.writes().size(), q->LCDComp->foreColor() == kBlue, !q->LCDNB->isHidden(),
                        !q->LCDRit->isHidden(), q->LCDAGC->caption() == QLatin1String("AGC SLOW"),
                        q->LCDDUP->caption() == QLatin1String("DUP OFF")});
    });

    q->cmPower_Click();

    ASSERT_EQ(f.fake.serial.writes().size(), 16u);
    // Frame numbers (1-based) of each indicator's command; RIT sends none, so its
    // indicator changes in the pause after the notch frame (14).
    for (const Seen& s : seen) {
        EXPECT_EQ(s.compBlue, s.frames >= 10) << s.frames;
        EXPECT_EQ(s.nbShown, s.frames >= 12) << s.frames;
        EXPECT_EQ(s.agcSlow, s.frames >= 15) << s.frames;
        EXPECT_EQ(s.dupOff, s.frames >= 16) << s.frames;
    }
    const bool ritPauseSeen = std::any_of(seen.begin(), seen.end(), [](const Seen& s) {
        return s.frames == 14 && s.ritShown;
    });
    EXPECT_TRUE(ritPauseSeen);

    // The pause after each command: the next frame comes more than CmdDelay later,
    // and the last one is followed by a pause as well.
    const auto& w = f.fake.serial.writes();
    for (std::size_t i = 1; i < w.size(); ++i)
        EXPECT_GT(w[i].time - w[i - 1].time, q->st.CmdDelay) << "before frame " << i + 1;
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](const Seen& s) { return s.frames == 16; }));
}

TEST_F(PowerFixture, AgcOffIsGreyAndSendsZero)
{
    q->st.AGCMode = 0;
    q->cmPower_Click();
    EXPECT_EQ(q->LCDAGC->caption(), QStringLiteral("AGC OFF"));
    EXPECT_EQ(q->LCDAGC->foreColor(), kGrey);
    EXPECT_EQ(f.fake.serial.writes().at(14).bytes, sent({0x16, 0x12, 0x00}));
}

TEST_F(PowerFixture, BytesArrivingDuringThePushAreDiscarded)
{
    const double t0 = f.fake.clock.now();
    f.fake.events.post([&] { f.fake.serial.queueInput(fromRadio({0x00, 0x00, 0x00, 0x05, 0x07, 0x00})); },
                       t0 + 0.5);
    f.fake.serial.queueInputAt(t0 + 1.0, fromRadio({0x01, 0x03, 0x01}));

    q->cmPower_Click();

    EXPECT_EQ(f.fake.serial.inBufferCount(), 0);
    q->Timer1_Timer();
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("14,074.00"));
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("USB"));
    EXPECT_EQ(q->st.VFOQrg[0], 14074);
}

TEST_F(PowerFixture, AStoredFrequencyOutsideEveryBandShowsTheMessageAndThePushGoesOn)
{
    q->st.VFOQrg[0] = 13000;
    q->cmPower_Click();
    EXPECT_EQ(f.fake.messages.criticals, QStringList{f.notInBandMessage()});
    EXPECT_EQ(f.fake.serial.writes().size(), 16u);
    EXPECT_TRUE(isOn(q->st.PowerOn));
}

TEST_F(PowerFixture, ClosingSendsNothingAndOpeningAgainPushesTheStateOfTheRun)
{
    q->cmPower_Click();
    f.fake.serial.clearWrites();
    f.fake.wave.clearCommands();
    q->cmPlay->setText(QStringLiteral("STOP"));

    q->cmPower_Click();

    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_FALSE(q->Timer1->enabled());
    EXPECT_FALSE(q->TimerS->enabled());
    EXPECT_FALSE(q->LCDOff->isHidden());
    EXPECT_TRUE(q->LCDRX->isHidden());
    EXPECT_EQ(q->cmPlay->text(), QStringLiteral("PLAY"));
    EXPECT_EQ(f.fake.wave.commands(), (QStringList{QStringLiteral("stop"), QStringLiteral("close")}));
    EXPECT_EQ(f.fake.wave.mode(), WaveDevice::NotOpen);

    q->st.SplitOn = kTrue;
    q->cmPower_Click();

    ASSERT_EQ(f.fake.serial.writes().size(), 16u);
    EXPECT_EQ(f.fake.serial.writes().at(7).bytes, sent({0x0F, 0x01}));
    EXPECT_FALSE(q->LCDSplit->isHidden());
    EXPECT_TRUE(isOn(q->st.PowerOn));
    EXPECT_EQ(f.fake.serial.openCount(), 2);
}

// A port that will not open: what the message says, and what it must not.
struct OpenFailure {
    const char* name;
    std::function<void(FakeSerialPort&)> fail;
    std::vector<const char*> says;
    std::vector<const char*> saysNot;
    bool namesTheSettingsFile = false;
};

// A USB serial cable as Debian hands it out: root:dialout 0660.
DeviceAccess dialoutDevice(bool userInGroup, bool groupInSession)
{
    DeviceAccess a;
    a.path = QStringLiteral("COM1");
    a.user = QStringLiteral("ann");
    a.owner = QStringLiteral("root");
    a.group = QStringLiteral("dialout");
    a.groupMayOpen = true;
    a.userInGroup = userInGroup;
    a.groupInSession = groupInSession;
    return a;
}

class PortThatWillNotOpen : public PowerFixture, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(PortThatWillNotOpen, IsReportedWithAdviceThatFitsAndNothingIsPushed)
{
    const OpenFailure& c = GetParam();
    c.fail(f.fake.serial);

    q->cmPower_Click();

    ASSERT_EQ(f.fake.messages.criticals.size(), 1);
    const QString& m = f.fake.messages.criticals[0];
    EXPECT_TRUE(m.contains(QStringLiteral("COM1"))) << m.toStdString();
    for (const char* text : c.says)
        EXPECT_TRUE(m.contains(QString::fromUtf8(text))) << text << " not in:\n" << m.toStdString();
    for (const char* text : c.saysNot)
        EXPECT_FALSE(m.contains(QString::fromUtf8(text))) << text << " in:\n" << m.toStdString();
    EXPECT_EQ(m.contains(f.programFile(QStringLiteral("quelm.ini"))), c.namesTheSettingsFile);
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_FALSE(q->Timer1->enabled());

    // Once the port opens the key works.
    f.fake.serial.setOpenFails(QString());
    f.fake.serial.setOpenDenied(std::nullopt);
    q->cmPower_Click();
    EXPECT_TRUE(isOn(q->st.PowerOn));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PortThatWillNotOpen,
    ::testing::Values(
        // A wrong port stays wrong until the settings file is corrected and the
        // program started again: the message names the file and says so.
        OpenFailure{"Busy",
                    [](FakeSerialPort& p) { p.setOpenFails(QStringLiteral("Device or resource busy")); },
                    {"Device or resource busy", "no other program uses the port", "start Quelm again"},
                    {"usermod", "group"},
                    true},
        OpenFailure{"AUserOutsideTheDevicesGroup",
                    [](FakeSerialPort& p) { p.setOpenDenied(dialoutDevice(false, false)); },
                    {"Permission denied", "This user (ann) may not open COM1", "group \"dialout\"",
                     "sudo usermod -aG dialout $USER", "log in again"},
                    {"no other program uses the port"}},
        OpenFailure{"AUserWhoJoinedTheGroupAfterLoggingIn",
                    [](FakeSerialPort& p) { p.setOpenDenied(dialoutDevice(true, false)); },
                    {"is in the group \"dialout\"", "log in again"},
                    {"usermod", "no other program uses the port"}},
        OpenFailure{"ADeviceOnlyItsOwnerMayOpen",
                    [](FakeSerialPort& p) {
                        DeviceAccess a = dialoutDevice(false, false);
                        a.group = QStringLiteral("root");
                        a.groupMayOpen = false;
                        p.setOpenDenied(a);
                    },
                    {"only its owner, root,"},
                    {"usermod", "no other program uses the port"}}),
    [](const ::testing::TestParamInfo<OpenFailure>& i) { return std::string(i.param.name); });

TEST_F(PowerFixture, ASecondPressDuringThePushDoesNotOpenThePortAgain)
{
    f.fake.events.post([&] { q->cmPower_Click(); }, f.fake.clock.now() + 0.35);

    q->cmPower_Click();

    EXPECT_EQ(f.fake.serial.openCount(), 1);
    EXPECT_EQ(f.fake.serial.writes().size(), 16u);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    EXPECT_TRUE(isOn(q->st.PowerOn));
    EXPECT_TRUE(f.fake.serial.portOpen());
}

TEST_F(PowerFixture, ClosingTheWindowDuringThePushClosesThePortAndEndsThePush)
{
    f.fake.events.post([&] { q->Form_Unload(); }, f.fake.clock.now() + 0.35);

    q->cmPower_Click();

    const size_t sentBeforeClose = f.fake.serial.writes().size();
    EXPECT_GT(sentBeforeClose, 0u);
    EXPECT_LT(sentBeforeClose, 16u);
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_FALSE(q->Timer1->isActive());
    EXPECT_FALSE(q->TimerS->isActive());
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

TEST_F(PowerFixture, AWriteFailureDuringThePushClosesTheLinkWithOneMessage)
{
    f.fake.events.post([&] { f.fake.serial.setWriteFails(QStringLiteral("Input/output error")); },
                       f.fake.clock.now() + 0.45);

    q->cmPower_Click();

    ASSERT_EQ(f.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(f.fake.messages.criticals[0].contains(QStringLiteral("Input/output error")));
    EXPECT_LT(f.fake.serial.writes().size(), 16u);
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_FALSE(q->Timer1->enabled());
    EXPECT_FALSE(q->LCDOff->isHidden());
}

struct FailureCase {
    const char* name;
    std::function<void(QuelmFixture&)> fail;
    std::function<void(Quelm&)> act;
};

class FailureWhileOpen : public PowerFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureWhileOpen, IsReportedOnceClosesTheLinkAndTheProgramGoesOn)
{
    q->cmPower_Click();
    ASSERT_TRUE(isOn(q->st.PowerOn));
    f.fake.serial.queueInput(fromRadio({0x15, 0x02, 0x01, 0x20}));

    GetParam().fail(f);
    GetParam().act(*q);
    q->Timer1_Timer();
    q->TimerS_Timer();
    q->cm20m_Click();

    ASSERT_EQ(f.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(f.fake.messages.criticals[0].contains(QStringLiteral("gone")));
    EXPECT_TRUE(f.fake.messages.criticals[0].contains(QStringLiteral("COM1")));
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_FALSE(q->Timer1->enabled());
    EXPECT_FALSE(q->TimerS->enabled());
    EXPECT_FALSE(q->LCDOff->isHidden());
    EXPECT_TRUE(q->LCDRX->isHidden());

    // The state is still saved at close.
    q->st.VFOQrg[0] = 21074;
    q->Form_Unload();
    EXPECT_EQ(f.fake.settings.getSetting(QStringLiteral("Quelm"), QStringLiteral("LAST"), QStringLiteral("VFOA"),
                                         QString()),
              QStringLiteral(" 21074"));
}

INSTANTIATE_TEST_SUITE_P(
    Senders, FailureWhileOpen,
    ::testing::Values(
        FailureCase{"BandKey", [](QuelmFixture& f) { f.fake.serial.setWriteFails(QStringLiteral("device gone")); },
                    [](Quelm& q) { q.cm20m_Click(); }},
        FailureCase{"SMeterPoll",
                    [](QuelmFixture& f) { f.fake.serial.setWriteFails(QStringLiteral("device gone")); },
                    [](Quelm& q) { q.TimerS_Timer(); }},
        FailureCase{"ModeKey", [](QuelmFixture& f) { f.fake.serial.setWriteFails(QStringLiteral("device gone")); },
                    [](Quelm& q) { q.cmSSB_Click(); }},
        FailureCase{"Reader", [](QuelmFixture& f) { f.fake.serial.setReadFails(QStringLiteral("device gone")); },
                    [](Quelm& q) { q.Timer1_Timer(); }}),
    [](const ::testing::TestParamInfo<FailureCase>& i) { return std::string(i.param.name); });
