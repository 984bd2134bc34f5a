// The real program, started offscreen, ended by the signals of kill, Ctrl-C and
// a closed session: it closes as its exit key does and writes the last radio
// state before it ends. With the simulated radio keyed from the panel on a
// display of the test's own (by the transmit key, or by the CQ caller on a private
// sound server), two signals at once, or a kill followed by the next start's
// power key, leave the radio in receive.

#include <csignal>
#include <functional>
#include <string>

#include <QDeadlineTimer>
#include <QDir>
#include <QPoint>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "simulator/radio_simulator.h"
#include "support/displayed_program.h"
#include "support/sound_server.h"
#include "support/tone_file.h"

namespace {

// True once the process has a handler of its own for `signal`.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

struct StopCase {
    const char* name;
    int signal;
};

class StopSignalLive : public ::testing::TestWithParam<StopCase> {};

} // namespace

TEST_P(StopSignalLive, TheProgramClosesThroughItsUnloadStepAndSavesTheLastState)
{
    using testsupport::programFolder;
    const int signal = GetParam().signal;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir root(dir.path());
    const QString program = programFolder(root, "[COMM]\r\nport 1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n");
    ASSERT_FALSE(program.isEmpty());

    QProcess quelm;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    quelm.setProcessEnvironment(env);
    quelm.start(program, {});
    ASSERT_TRUE(quelm.waitForStarted(10000));

    QDeadlineTimer ready(20000);
    while (!catches(quelm.processId(), signal) && !ready.hasExpired() && quelm.state() == QProcess::Running)
        QThread::msleep(10);
    ASSERT_TRUE(catches(quelm.processId(), signal)) << quelm.readAllStandardError().toStdString();

    ASSERT_EQ(::kill(static_cast<pid_t>(quelm.processId()), signal), 0);
    ASSERT_TRUE(quelm.waitForFinished(20000));
    EXPECT_EQ(quelm.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quelm.exitCode(), 128 + signal);

    QSettings saved(root.filePath(QStringLiteral("config/Quelm/Quelm.ini")), QSettings::IniFormat);
    saved.beginGroup(QStringLiteral("LAST"));
    EXPECT_EQ(saved.childKeys().size(), 15) << saved.childKeys().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(saved.value(QStringLiteral("VFOA")).toString(), QStringLiteral(" 50110"));
    saved.endGroup();
    // The window placement goes first in the unload step.
    EXPECT_TRUE(saved.childGroups().contains(QStringLiteral("Quelm")));
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalLive,
                         ::testing::Values(StopCase{"SIGTERM", SIGTERM}, StopCase{"SIGINT", SIGINT},
                                           StopCase{"SIGHUP", SIGHUP}),
                         [](const ::testing::TestParamInfo<StopCase>& i) { return std::string(i.param.name); });

namespace {

// The two ways of keying the radio from the panel, and two ways the program can
// end while it is keyed.
enum class Keyer { TransmitKey, Caller };
enum class Ending { TwoSignalsTogether, KilledThenStartedAgain };
struct KeyedCase {
    const char* name;
    Keyer keyer;
    Ending ending;
};

class KeyedProgramLive : public ::testing::TestWithParam<KeyedCase> {
protected:
    void SetUp() override
    {
        if (!p.display.whyNot().empty())
            GTEST_SKIP() << p.display.whyNot();
        const bool caller = GetParam().keyer == Keyer::Caller;
        testsupport::SoundServer& sound = testsupport::SoundServer::instance();
        if (caller && !sound.running())
            GTEST_SKIP() << sound.whyNot().toStdString();
        const QProcessEnvironment soundEnv = caller ? sound.environment() : QProcessEnvironment();
        // The first start's frequency, 50110, lies in the 6 m row: no band message.
        // The message is long enough to be on the air when the program ends.
        ASSERT_TRUE(p.setUp(QStringLiteral("[BAND LIMIT]\r\n20m 14200 14000 14350\r\n6m 50110 50000 52000\r\n"
                                           "[CQ]\r\n1,cq.wav,1\r\n"),
                            caller ? &soundEnv : nullptr));
        ASSERT_TRUE(testsupport::writeTone(p.programFile(QStringLiteral("cq.wav")), 8.0));
    }

    void TearDown() override
    {
        for (QProcess* q : {&first, &second}) {
            if (q->state() != QProcess::NotRunning) {
                q->kill();
                q->waitForFinished(5000);
            }
        }
    }

    QString startAndPowerOn(QProcess& quelm) { return p.startAndPowerOn(quelm); }

    void key(const QString& window)
    {
        using namespace testsupport::panelat;
        if (GetParam().keyer == Keyer::TransmitKey) {
            p.display.click(window, kTransmit);
            return;
        }
        p.display.click(window, kMenu);
        QThread::msleep(300);
        p.display.click(window, kCQ);
        QThread::msleep(300);
        p.display.click(window, kFirstMessage);
    }

    bool transmitting() const { return p.transmitting(); }

    testsupport::DisplayedProgram p;
    QProcess first;
    QProcess second;
};

} // namespace

// Logging out or shutting down sends the session's signals all at once: the
// second comes before the first is handled. A crash or a cut power ends the
// program with no word to the radio at all: the next start's power key must
// unkey it. Either way the radio ends in receive.
TEST_P(KeyedProgramLive, EndsWithTheRadioInReceive)
{
    const QString window = startAndPowerOn(first);
    ASSERT_FALSE(window.isEmpty()) << first.readAllStandardError().toStdString();
    key(window);
    ASSERT_TRUE(testsupport::within([&] { return transmitting(); }, 10000)) << first.readAllStandardError().toStdString();

    const auto pid = static_cast<pid_t>(first.processId());
    if (GetParam().ending == Ending::TwoSignalsTogether) {
        ASSERT_EQ(::kill(pid, SIGTERM), 0);
        ASSERT_EQ(::kill(pid, SIGHUP), 0);
        ASSERT_TRUE(first.waitForFinished(20000));
        EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
        EXPECT_TRUE(first.exitCode() == 128 + SIGTERM || first.exitCode() == 128 + SIGHUP) << first.exitCode();
    } else {
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        ASSERT_TRUE(first.waitForFinished(20000));
        QThread::msleep(300);
        ASSERT_TRUE(transmitting()) << "the killed program could still tell the radio";
        ASSERT_FALSE(startAndPowerOn(second).isEmpty()) << second.readAllStandardError().toStdString();
    }

    // The simulated radio reads the line on a thread of its own.
    EXPECT_TRUE(testsupport::within([&] { return !transmitting(); }, 3000));
}

INSTANTIATE_TEST_SUITE_P(
    Keyed, KeyedProgramLive,
    ::testing::Values(KeyedCase{"TransmitKey_TwoSignalsTogether", Keyer::TransmitKey, Ending::TwoSignalsTogether},
                      KeyedCase{"TransmitKey_KilledThenStartedAgain", Keyer::TransmitKey,
                                Ending::KilledThenStartedAgain},
                      KeyedCase{"Caller_TwoSignalsTogether", Keyer::Caller, Ending::TwoSignalsTogether},
                      KeyedCase{"Caller_KilledThenStartedAgain", Keyer::Caller, Ending::KilledThenStartedAgain}),
    [](const ::testing::TestParamInfo<KeyedCase>& i) { return std::string(i.param.name); });
