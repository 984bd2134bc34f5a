// The real program, started offscreen, ended by the signals of kill, Ctrl-C and
// a closed session: it closes as its exit key does and writes the last radio
// state before it ends.

#include <csignal>
#include <string>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

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
    const int signal = GetParam().signal;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir root(dir.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("program")));
    // The program reads quelm.ini from the folder it lies in.
    const QString program = root.filePath(QStringLiteral("program/quelm"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUELM_PROGRAM), program));
    QFile ini(root.filePath(QStringLiteral("program/quelm.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[COMM]\r\nport 1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n");
    ini.close();

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
