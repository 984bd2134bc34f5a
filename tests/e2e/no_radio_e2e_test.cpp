// The power key on the real serial layer with no radio answering: a simulated
// radio that keeps silent, and a bare pseudo-terminal with nothing behind it.
// Either way one message names the port and the speed, the link stays open, and
// a radio that starts talking later is picked up.

#include <chrono>
#include <memory>
#include <string>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "simulator/radio_simulator.h"
#include "support/civ_frames.h"
#include "support/live_program.h"
#include "support/port_alias.h"
#include "support/pty_pair.h"

using namespace quelm;
using testsupport::eventually;
using testsupport::LiveProgram;

namespace {

class NoRadio : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (program && program->window)
            program->window->Form_Unload();
    }

    // The program with its port at `port`; the link opened by the power key.
    void powerOnAt(const QString& port)
    {
        QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n"
                                 "20m 14200 14000 14350\r\n")
                      .arg(port)
                      .toUtf8());
        ini.close();
        program = std::make_unique<LiveProgram>(settings, folder.path());
        ASSERT_TRUE(program->load());
        q = program->window.get();
        q->st.VFOQrg = {14074, 14074};
        q->cmPower_Click();
    }

    // One warning naming the port and the speed; the link open all the same.
    void expectOneNoRadioMessageAndAnOpenLink(const QString& port)
    {
        EXPECT_TRUE(program->messages.criticals.isEmpty()) << program->messages.criticals.join(' ').toStdString();
        ASSERT_EQ(program->messages.warnings.size(), 1);
        const QString& m = program->messages.warnings[0];
        EXPECT_TRUE(m.contains(port)) << m.toStdString();
        EXPECT_TRUE(m.contains(QLatin1String("9600,n,8,1"))) << m.toStdString();
        EXPECT_TRUE(isOn(q->st.PowerOn));
        EXPECT_TRUE(program->serial.portOpen());
        EXPECT_TRUE(q->Timer1->enabled());
    }

    QTemporaryDir folder;
    MemorySettingsStore settings;
    std::unique_ptr<LiveProgram> program;
    Quelm* q = nullptr;
};

} // namespace

TEST_F(NoRadio, ASilentRadioGetsTheMessageAndIsPickedUpWhenItSpeaks)
{
    sim::SimulatorOptions o;
    o.sMeterWanders = false;
    o.symlinkPath = testsupport::uniquePortAlias();
    sim::RadioSimulator radio(o);
    radio.start();
    ASSERT_EQ(radio.control("silent on"), "ok");

    powerOnAt(QString::fromStdString(o.symlinkPath));
    expectOneNoRadioMessageAndAnOpenLink(QString::fromStdString(o.symlinkPath));
    // Silent, not deaf: every frame of the push reached it.
    EXPECT_GE(radio.log().size(), 16u);

    ASSERT_EQ(radio.control("silent off"), "ok");
    ASSERT_EQ(radio.control("dial 14076000"), "ok");
    EXPECT_TRUE(eventually([&] { return q->QRG->caption() == QLatin1String("14,076.00"); }))
        << q->QRG->caption().toStdString();
    EXPECT_EQ(program->messages.warnings.size(), 1);
    q->Form_Unload();
    radio.stop();
}

TEST_F(NoRadio, ABarePseudoTerminalGetsTheMessageAndATalkerLaterIsPickedUp)
{
    testsupport::PtyPair pty;
    ASSERT_TRUE(pty.ok());

    powerOnAt(pty.slavePath());
    expectOneNoRadioMessageAndAnOpenLink(pty.slavePath());
    // The push did go out on the line.
    EXPECT_GE(pty.receive(16 * 6).size(), 16 * 6);

    pty.send(testframes::fromRadio({0x00, 0x00, 0x60, 0x07, 0x14, 0x00}, 0x00));
    EXPECT_TRUE(eventually([&] { return q->QRG->caption() == QLatin1String("14,076.00"); }))
        << q->QRG->caption().toStdString();
    EXPECT_TRUE(program->messages.criticals.isEmpty());
}
