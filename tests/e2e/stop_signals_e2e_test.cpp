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
#include "support/live_program.h"
#include "support/port_alias.h"
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

// A copy of the program in `root`/program beside a quelm.ini holding `ini`: the
// program reads its settings file from the folder it lies in. Empty on failure.
QString programFolder(const QDir& root, const QByteArray& ini)
{
    if (!root.mkpath(QStringLiteral("program")))
        return {};
    const QString program = root.filePath(QStringLiteral("program/quelm"));
    QFile file(root.filePath(QStringLiteral("program/quelm.ini")));
    if (!QFile::copy(QStringLiteral(QUELM_PROGRAM), program) || !file.open(QIODevice::WriteOnly)
        || file.write(ini) != ini.size())
        return {};
    return program;
}

struct StopCase {
    const char* name;
    int signal;
};

class StopSignalLive : public ::testing::TestWithParam<StopCase> {};

} // namespace

TEST_P(StopSignalLive, TheProgramClosesThroughItsUnloadStepAndSavesTheLastState)
{
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

// An X display of the test's own, so that the program's keys can be clicked as
// an operator clicks them.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
            why_ = "Xvfb and xdotool are needed to click the program's keys";
            return;
        }
        // Xvfb picks a free display and writes its number to the descriptor named.
        server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                              QStringLiteral("tcp")});
        QDeadlineTimer ready(10000);
        while (!server_.canReadLine() && !ready.hasExpired() && server_.state() != QProcess::NotRunning)
            server_.waitForReadyRead(100);
        const QByteArray number = server_.readLine().trimmed();
        if (number.isEmpty())
            why_ = "Xvfb did not start";
        else
            name_ = QStringLiteral(":") + QString::fromLatin1(number);
    }

    ~VirtualDisplay()
    {
        server_.terminate();
        if (!server_.waitForFinished(5000))
            server_.kill();
        server_.waitForFinished(5000);
    }

    const std::string& whyNot() const { return why_; }
    const QString& name() const { return name_; }

    // Output of one xdotool command on this display; empty when it fails.
    QString xdotool(const QStringList& args) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), name_);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), args);
        if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
            return {};
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    // The program's main window, once it is shown.
    QString windowOf(qint64 pid) const
    {
        QDeadlineTimer shown(20000);
        while (!shown.hasExpired()) {
            const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"),
                                         QStringLiteral("^Quelm$")});
            if (!ids.isEmpty())
                return ids.split(QLatin1Char('\n')).first();
            QThread::msleep(100);
        }
        return {};
    }

    void click(const QString& window, QPoint at) const
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
                 QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    }

private:
    QProcess server_;
    QString name_;
    std::string why_;
};

bool within(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

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
    // Places on the panel, in the window's own coordinates.
    static constexpr QPoint kPower{64, 48};
    static constexpr QPoint kTransmit{64, 91};
    static constexpr QPoint kMenu{226, 233};  // its first press brings the recorder keys
    static constexpr QPoint kCQ{398, 128};
    static constexpr QPoint kFirstMessage{300, 66};

    void SetUp() override
    {
        if (!display.whyNot().empty())
            GTEST_SKIP() << display.whyNot();
        const bool caller = GetParam().keyer == Keyer::Caller;
        if (caller && !testsupport::SoundServer::instance().running())
            GTEST_SKIP() << testsupport::SoundServer::instance().whyNot().toStdString();
        radio.start();
        ASSERT_TRUE(dir.isValid());
        // The first start's frequency, 50110, lies in the 6 m row: no band message.
        // The message is long enough to be on the air when the program ends.
        program = programFolder(root, QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n"
                                                     "20m 14200 14000 14350\r\n6m 50110 50000 52000\r\n"
                                                     "[CQ]\r\n1,cq.wav,1\r\n")
                                          .arg(QString::fromStdString(alias))
                                          .toUtf8());
        ASSERT_FALSE(program.isEmpty());
        ASSERT_TRUE(testsupport::writeTone(root.filePath(QStringLiteral("program/cq.wav")), 8.0));

        env = caller ? testsupport::SoundServer::instance().environment() : QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display.name());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
        if (!caller) // never the desktop's own sound server
            env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + root.filePath(QStringLiteral("none")));
    }

    void TearDown() override
    {
        for (QProcess* p : {&first, &second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
        radio.stop();
    }

    // Starts the program and opens the link with its power key; the window's id.
    QString startAndPowerOn(QProcess& quelm)
    {
        quelm.setProcessEnvironment(env);
        quelm.start(program, {});
        if (!quelm.waitForStarted(10000))
            return {};
        const QString window = display.windowOf(quelm.processId());
        if (window.isEmpty())
            return {};
        radio.clearLog();
        display.click(window, kPower);
        // The push's sixteen frames, then its last pause before the receive loop starts.
        if (!within([&] { return radio.logSize() >= 16; }, 10000))
            return {};
        QThread::msleep(300);
        return window;
    }

    void key(const QString& window)
    {
        if (GetParam().keyer == Keyer::TransmitKey) {
            display.click(window, kTransmit);
            return;
        }
        display.click(window, kMenu);
        QThread::msleep(300);
        display.click(window, kCQ);
        QThread::msleep(300);
        display.click(window, kFirstMessage);
    }

    bool transmitting() const { return radio.state().transmitting; }

    VirtualDisplay display;
    const std::string alias = testsupport::uniquePortAlias();
    quelm::sim::RadioSimulator radio{testsupport::steadyRadio(alias, 120)};
    QTemporaryDir dir;
    const QDir root{dir.path()};
    QString program;
    QProcessEnvironment env;
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
    ASSERT_TRUE(within([&] { return transmitting(); }, 10000)) << first.readAllStandardError().toStdString();

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
    EXPECT_TRUE(within([&] { return !transmitting(); }, 3000));
}

INSTANTIATE_TEST_SUITE_P(
    Keyed, KeyedProgramLive,
    ::testing::Values(KeyedCase{"TransmitKey_TwoSignalsTogether", Keyer::TransmitKey, Ending::TwoSignalsTogether},
                      KeyedCase{"TransmitKey_KilledThenStartedAgain", Keyer::TransmitKey,
                                Ending::KilledThenStartedAgain},
                      KeyedCase{"Caller_TwoSignalsTogether", Keyer::Caller, Ending::TwoSignalsTogether},
                      KeyedCase{"Caller_KilledThenStartedAgain", Keyer::Caller, Ending::KilledThenStartedAgain}),
    [](const ::testing::TestParamInfo<KeyedCase>& i) { return std::string(i.param.name); });
