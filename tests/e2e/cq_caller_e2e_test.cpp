// The CQ caller end to end: the main window on the real serial layer, real
// timers and the real wave device (a private sound server with a null sink),
// against the simulated radio. The keying commands are read off the radio's side
// of the line.
//
// With QUELM_PANEL_SHOTS set to a folder, the first test leaves two pictures of
// the panel there: the CQ list open, and a call on the air (run under Xvfb with
// QT_QPA_PLATFORM=xcb to see them as the desktop draws them).

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "operating_aids/voice_recorder.h"
#include "platform/wave_device_qt.h"
#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "support/port_alias.h"
#include "support/sound_server.h"
#include "support/tone_file.h"

using namespace quelm;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

namespace {

using testsupport::eventually;

constexpr double kMessageSeconds = 0.4;

class CQCallerLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::SoundServer::instance().running())
            GTEST_SKIP() << testsupport::SoundServer::instance().whyNot().toStdString();
        radio.start();
        QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n"
                                 "20m 14200 14000 14350\r\n[CQ]\r\n1,cq.wav,1\r\n")
                      .arg(QString::fromStdString(alias))
                      .toUtf8());
        ini.close();
        ASSERT_TRUE(testsupport::writeTone(QDir(folder.path()).filePath(QStringLiteral("cq.wav")), kMessageSeconds));
        wave = std::make_unique<QtWaveDevice>();
        program = std::make_unique<testsupport::LiveProgram>(settings, folder.path(), wave.get());
        ASSERT_TRUE(program->load());
        q = program->window.get();
        q->st.VFOQrg = {14200, 14200};
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        radio.clearLog();
    }

    void TearDown() override
    {
        if (program && program->window)
            program->window->Form_Unload();
        program.reset();
        radio.stop();
    }

    void chooseTheMessage()
    {
        q->recorder->cmCQ_Click();
        ASSERT_EQ(q->LCDWav->count(), 1);
        q->LCDWav->setCurrentRow(0);
        q->recorder->LCDWav_Click();
    }

    // The keying commands the radio has received, in order, with their times.
    struct Keying {
        bool transmit;
        Steady::time_point when;
    };
    std::vector<Keying> keying() const
    {
        std::vector<Keying> out;
        for (const auto& f : radio.log())
            if (f.bytes.size() == 8 && f.bytes[4] == 0x1C && f.bytes[5] == 0x00)
                out.push_back({f.bytes[6] == 0x01, f.when});
        return out;
    }
    bool keyingCount(std::size_t n, int ms)
    {
        return eventually([&] { return keying().size() >= n; }, ms);
    }
    bool transmitting() const { return radio.state().transmitting; }

    void saveShot(const QString& name)
    {
        const QString dir = qEnvironmentVariable("QUELM_PANEL_SHOTS");
        if (dir.isEmpty())
            return;
        q->show();
        testsupport::serveFor(300);
        q->grab().save(QDir(dir).filePath(name));
    }

    const std::string alias = testsupport::uniquePortAlias();
    sim::RadioSimulator radio{testsupport::steadyRadio(alias, 120)};
    QTemporaryDir folder;
    MemorySettingsStore settings;
    std::unique_ptr<QtWaveDevice> wave;
    std::unique_ptr<testsupport::LiveProgram> program;
    Quelm* q = nullptr;
};

double seconds(Steady::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

TEST_F(CQCallerLive, KeysPlaysReceivesAndKeysAgainAfterThePauseUntilStop)
{
    q->cmMenu_Click(); // the recorder keys
    q->recorder->cmCQ_Click();
    saveShot(QStringLiteral("panel-cq-list.png"));
    chooseTheMessage();
    saveShot(QStringLiteral("panel-cq-calling.png"));
    ASSERT_TRUE(keyingCount(3, 8000)) << "keyed, back to receive, keyed again";
    const std::vector<Keying> k = keying();
    EXPECT_TRUE(k[0].transmit);
    EXPECT_FALSE(k[1].transmit);
    EXPECT_TRUE(k[2].transmit);
    // Receive only once the message has been played; the pause counts from there.
    EXPECT_GE(seconds(k[1].when - k[0].when), kMessageSeconds);
    EXPECT_GE(seconds(k[2].when - k[1].when), 0.97);
    EXPECT_LT(seconds(k[2].when - k[1].when), 1.5);
    EXPECT_TRUE(program->messages.criticals.isEmpty()) << program->messages.criticals.join(' ').toStdString();

    q->recorder->cmStop_Click();
    ASSERT_TRUE(eventually([&] { return !transmitting(); }, 2000));
    const std::size_t after = keying().size();
    testsupport::serveFor(1500);
    EXPECT_EQ(keying().size(), after) << "nothing keyed after STOP";
    EXPECT_FALSE(transmitting());
    EXPECT_EQ(wave->mode(), WaveDevice::NotOpen);
}

TEST_F(CQCallerLive, APulledCableDuringThePauseLeavesTheRadioInReceive)
{
    chooseTheMessage();
    ASSERT_TRUE(keyingCount(2, 6000));
    ASSERT_FALSE(transmitting());

    ASSERT_EQ(radio.control("unplug"), "ok");

    ASSERT_TRUE(eventually([&] { return !program->messages.criticals.isEmpty(); }, 3000));
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_FALSE(q->TimerCQ->enabled());
    EXPECT_EQ(wave->mode(), WaveDevice::NotOpen);
    radio.control("plug");
    testsupport::serveFor(1500); // longer than the pause
    EXPECT_EQ(keying().size(), 2u);
    EXPECT_FALSE(transmitting());
    EXPECT_EQ(program->messages.criticals.size(), 1);
}

TEST_F(CQCallerLive, ThePowerKeyOrTheWindowClosingDuringTheMessageSwitchesToReceiveFirst)
{
    const struct {
        const char* way;
        std::function<void(Quelm*)> close;
    } cases[] = {
        {"power key", [](Quelm* w) { w->cmPower_Click(); }},
        {"window", [](Quelm* w) { w->close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        if (!isOn(q->st.PowerOn)) {
            q->cmPower_Click();
            ASSERT_TRUE(isOn(q->st.PowerOn));
            radio.clearLog();
        }
        chooseTheMessage();
        ASSERT_TRUE(eventually([&] { return transmitting(); }, 2000));

        c.close(q);

        EXPECT_TRUE(eventually([&] { return !transmitting(); }, 1000)) << "receive went out before the port closed";
        ASSERT_EQ(keying().size(), 2u);
        EXPECT_FALSE(keying().back().transmit);
        EXPECT_EQ(wave->mode(), WaveDevice::NotOpen);
        testsupport::serveFor(int(kMessageSeconds * 1000) + 1200);
        EXPECT_EQ(keying().size(), 2u);
        EXPECT_FALSE(transmitting());
    }
    EXPECT_TRUE(program->messages.criticals.isEmpty());
}
