// The panel's keys against the simulated radio with real timers: a held tuning
// key, and the transmitter left in receive by every way the link can end (the
// power key, closing the window, a pulled cable, the caller's keying), and a
// radio left keyed by an earlier run put in receive when the link opens.

#include <chrono>
#include <memory>
#include <string>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "platform/conversions.h"
#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "support/port_alias.h"

using namespace quelm;
using namespace std::chrono_literals;
using testsupport::eventually;

namespace {

class PanelKeysLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        radio = std::make_unique<sim::RadioSimulator>(testsupport::steadyRadio(alias, 120));
        radio->start();
        QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n")
                      .arg(QString::fromStdString(alias))
                      .toUtf8());
        ini.close();
        program = std::make_unique<testsupport::LiveProgram>(settings, folder.path());
        ASSERT_TRUE(program->load());
        q = program->window.get();
        q->st.VFOQrg[0] = 14074;
        q->st.VFOStep[0] = 1000;
    }

    void TearDown() override
    {
        if (program && program->window)
            program->window->Form_Unload();
        program.reset();
        radio->stop();
    }

    void powerOn()
    {
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        ASSERT_TRUE(program->messages.criticals.isEmpty())
            << program->messages.criticals.join(' ').toStdString();
    }

    bool radioTransmits() const { return radio->state().transmitting; }

    void transmitWithTheKey()
    {
        q->cmTX_Click();
        ASSERT_TRUE(eventually([&] { return radioTransmits(); }));
    }

    const std::string alias = testsupport::uniquePortAlias();
    std::unique_ptr<sim::RadioSimulator> radio;
    QTemporaryDir folder;
    MemorySettingsStore settings;
    std::unique_ptr<testsupport::LiveProgram> program;
    Quelm* q = nullptr;
};

} // namespace

TEST_F(PanelKeysLive, AHeldTuningKeyMovesTheRadioByWholeStepsAndTheDisplayAgreesWithIt)
{
    powerOn();
    ASSERT_EQ(radio->frequencyHz(), 14074000u);

    q->VFOUp_MouseDown();
    QTest::qWait(1000);
    q->VFOUp_MouseUp();
    QTest::qWait(200); // nothing moves after the release

    const std::uint32_t hz = radio->frequencyHz();
    EXPECT_EQ((hz - 14074000u) % 1000u, 0u);
    EXPECT_GE(hz, 14074000u + 3000u); // a step at the press, then about one per send
    EXPECT_EQ(radio->frequencyHz(), hz);
    EXPECT_EQ(q->QRG->caption(), conv::formatFixed2(hz / 1000.0));

    // The radio's own answer to a query reads the same on the panel.
    q->QRG->setCaption(QString());
    q->RadioReadFreq();
    EXPECT_TRUE(eventually([&] { return q->QRG->caption() == conv::formatFixed2(hz / 1000.0); }));
    EXPECT_TRUE(program->messages.criticals.isEmpty());
}

TEST_F(PanelKeysLive, ThePowerKeyLeavesTheRadioInReceive)
{
    powerOn();
    transmitWithTheKey();
    q->cmPower_Click();
    // The simulated radio reads the line on a thread of its own.
    EXPECT_TRUE(eventually([&] { return !radioTransmits(); }, 1000));
    EXPECT_TRUE(q->LCDTX->isHidden());
    EXPECT_EQ(q->st.TXOn, kFalse);
}

TEST_F(PanelKeysLive, ClosingTheWindowLeavesTheRadioInReceive)
{
    powerOn();
    transmitWithTheKey();
    q->show();
    q->close();
    EXPECT_TRUE(eventually([&] { return !radioTransmits(); }, 1000));
    EXPECT_FALSE(program->serial.portOpen());
}

TEST_F(PanelKeysLive, ARadioKeyedByTheCallerIsPutInReceiveWhenTheWindowCloses)
{
    powerOn();
    q->RadioSetRXTX(true); // as the CQ caller keys: TXOn stays false
    ASSERT_TRUE(eventually([&] { return radioTransmits(); }));
    ASSERT_EQ(q->st.TXOn, kFalse);
    q->Form_Unload();
    EXPECT_TRUE(eventually([&] { return !radioTransmits(); }, 1000));
}

TEST_F(PanelKeysLive, APulledCableLeavesThePanelInReceiveAndThePlugTellsTheRadio)
{
    powerOn();
    transmitWithTheKey();

    ASSERT_EQ(radio->control("unplug"), "ok");
    ASSERT_TRUE(eventually([&] { return !isOn(q->st.PowerOn); }));
    EXPECT_EQ(program->messages.criticals.size(), 1);
    EXPECT_EQ(q->st.TXOn, kFalse);
    EXPECT_TRUE(q->LCDTX->isHidden());
    // Nothing reached the radio: it is still on the air.
    EXPECT_TRUE(radioTransmits());

    ASSERT_EQ(radio->control("plug").rfind("ok", 0), 0u);
    program->messages.criticals.clear();
    radio->clearLog();
    powerOn();
    ASSERT_TRUE(radio->waitForFrames(1, 2s));
    EXPECT_EQ(sim::toHex(radio->log().front().bytes), "FE FE 56 E0 1C 00 00 FD");
    EXPECT_FALSE(radioTransmits());
}

TEST_F(PanelKeysLive, ARadioLeftKeyedByAnEarlierRunIsPutInReceiveByThePowerKey)
{
    // As a run killed while transmitting leaves it: the radio keyed, and this
    // run knowing nothing of it.
    ASSERT_EQ(radio->control("key"), "ok");
    ASSERT_TRUE(radioTransmits());
    powerOn();
    EXPECT_TRUE(eventually([&] { return !radioTransmits(); }, 1000));
    ASSERT_FALSE(radio->log().empty());
    EXPECT_EQ(sim::toHex(radio->log().front().bytes), "FE FE 56 E0 1C 00 00 FD");
    EXPECT_TRUE(q->LCDTX->isHidden());
}
