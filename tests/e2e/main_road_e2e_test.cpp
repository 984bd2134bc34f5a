// The main window on the real serial layer, real clock, real timers and the Qt
// event loop, against the simulated radio on a pseudo-terminal: the power key's
// push, band keys, the radio's own dial and S-meter, a restart, a pulled cable.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "support/port_alias.h"
#include "window_support/bar_control.h"

using namespace quelm;
using namespace std::chrono_literals;

namespace {

std::string hex(const QByteArray& bytes)
{
    return bytes.toHex(' ').toUpper().toStdString();
}

using testsupport::eventually;
using testsupport::LiveProgram;

class MainRoadLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        radio.start();
        writeIni();
        startProgram();
    }

    void TearDown() override
    {
        if (program && program->window)
            program->window->Form_Unload();
        program.reset();
        radio.stop();
    }

    void writeIni()
    {
        QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n"
                                 "40m 7050 7000 7200\r\n20m 14200 14000 14350\r\n6m 50110 50000 52000\r\n")
                      .arg(QString::fromStdString(alias))
                      .toUtf8());
    }

    void startProgram()
    {
        program = std::make_unique<LiveProgram>(settings, folder.path());
        ASSERT_TRUE(program->load());
        ASSERT_TRUE(program->messages.warnings.isEmpty()) << program->messages.warnings.join(' ').toStdString();
        q = program->window.get();
    }

    void powerOn()
    {
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        ASSERT_TRUE(program->messages.criticals.isEmpty())
            << program->messages.criticals.join(' ').toStdString();
    }

    std::vector<std::string> loggedFrames() const
    {
        std::vector<std::string> out;
        for (const auto& f : radio.log())
            out.push_back(hex(QByteArray(reinterpret_cast<const char*>(f.bytes.data()),
                                         static_cast<qsizetype>(f.bytes.size()))));
        return out;
    }

    const std::string alias = testsupport::uniquePortAlias();
    sim::RadioSimulator radio{testsupport::steadyRadio(alias, 40)};
    QTemporaryDir folder;
    MemorySettingsStore settings;
    std::unique_ptr<LiveProgram> program;
    Quelm* q = nullptr;
};

} // namespace

TEST_F(MainRoadLive, PowerOnPushesTheStoredStateToTheRadioInOrder)
{
    q->st.VFOQrg = {14074, 7050.5};
    q->st.VFOModo = {QStringLiteral("USB"), QStringLiteral("CW")};
    q->st.VFOStep = {1000, 100};
    q->st.NBOn = kTrue;
    q->st.AGCMode = 2;

    powerOn();

    ASSERT_TRUE(radio.waitForFrames(16, 2s));
    const std::vector<std::string> expected{
        "FE FE 56 E0 1C 00 00 FD", "FE FE 56 E0 07 01 FD", "FE FE 56 E0 05 00 05 05 07 00 FD", "FE FE 56 E0 06 03 FD",
        "FE FE 56 E0 07 00 FD", "FE FE 56 E0 06 01 FD", "FE FE 56 E0 05 00 40 07 14 00 FD",
        "FE FE 56 E0 0F 00 FD", "FE FE 56 E0 10 02 FD", "FE FE 56 E0 16 44 00 FD",
        "FE FE 56 E0 16 45 00 FD", "FE FE 56 E0 16 22 01 FD", "FE FE 56 E0 16 40 00 FD",
        "FE FE 56 E0 16 48 00 FD", "FE FE 56 E0 16 12 02 FD", "FE FE 56 E0 0F 10 FD"};
    std::vector<std::string> pushed = loggedFrames();
    pushed.resize(std::min(pushed.size(), expected.size()));
    EXPECT_EQ(pushed, expected);

    const sim::RadioState s = radio.state();
    EXPECT_EQ(s.selectedVfo, 0);
    EXPECT_EQ(s.vfo[0].frequencyHz, 14074000u);
    EXPECT_EQ(s.vfo[0].mode, 0x01);
    EXPECT_EQ(s.vfo[1].frequencyHz, 7050500u);
    EXPECT_EQ(s.vfo[1].mode, 0x03);
    EXPECT_TRUE(q->Timer1->enabled());
}

TEST_F(MainRoadLive, BandKeyTunesTheRadioAndTheDisplayShowsItsReadBack)
{
    powerOn();
    q->st.BandIndex = 0;

    q->cm40m_Click();

    EXPECT_EQ(radio.frequencyHz(), 7050000u);
    // Only the receive loop's handling of the radio's answer sets the band row.
    EXPECT_TRUE(eventually([&] { return q->st.BandIndex == 1; }));
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("7,050.00"));
    EXPECT_TRUE(program->messages.criticals.isEmpty());
}

TEST_F(MainRoadLive, TheRadiosOwnDialAndSMeterShowOnThePanel)
{
    powerOn();

    ASSERT_EQ(radio.control("dial 14074560"), "ok");
    EXPECT_TRUE(eventually([&] { return q->QRG->caption() == QLatin1String("14,074.56"); }));
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 14074.56);
    EXPECT_EQ(q->st.BandIndex, 2);

    ASSERT_EQ(radio.control("smeter 200"), "ok");
    EXPECT_TRUE(eventually([&] { return q->LCDS->Value() == 200; }));
    ASSERT_EQ(radio.control("smeter 15"), "ok");
    EXPECT_TRUE(eventually([&] { return q->LCDS->Value() == 15; }));
}

TEST_F(MainRoadLive, PowerOffQuitAndRestartRestoresTheState)
{
    powerOn();
    q->cm20m_Click();
    q->cmRTTY_Click(); // CW
    q->cmStep_Click();
    q->cmbStep->setCurrentRow(2); // 1 KHz
    q->cmbStep_Click();
    ASSERT_TRUE(eventually([&] { return q->st.BandIndex == 2; }));

    q->cmPower_Click();
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_FALSE(q->Timer1->enabled());
    q->Form_Unload();
    program.reset();

    startProgram();
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 14200);
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("CW"));
    EXPECT_DOUBLE_EQ(q->st.VFOStep[0], 1000);

    radio.control("dial 7000000");
    radio.clearLog();
    powerOn();
    EXPECT_EQ(radio.frequencyHz(), 14200000u);
    EXPECT_EQ(radio.modeCode(), 0x03);
    EXPECT_EQ(radio.state().stepCode, 0x02);
}

TEST_F(MainRoadLive, TheRadioGoingAwayMidSessionIsReportedAndClosesTheLink)
{
    powerOn();

    ASSERT_EQ(radio.control("unplug"), "ok");

    ASSERT_TRUE(eventually([&] { return !program->messages.criticals.isEmpty(); }));
    EXPECT_TRUE(program->messages.criticals[0].contains(QString::fromStdString(alias)))
        << program->messages.criticals[0].toStdString();
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_FALSE(program->serial.portOpen());
    EXPECT_FALSE(q->Timer1->enabled());
    EXPECT_FALSE(q->TimerS->enabled());
    EXPECT_FALSE(q->LCDOff->isHidden());
    // Nothing more piles up while the link is closed.
    QTest::qWait(400);
    EXPECT_EQ(program->messages.criticals.size(), 1);
}
