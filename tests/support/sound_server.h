#pragma once

// A private PulseAudio sound server with a null sink and a null source, for the
// tests and benchmarks of the real wave device. It runs under a runtime folder of
// its own (also as root, as on a fresh CI machine), so it never meets the
// desktop's sound server. One server serves the whole process: Qt's connection
// to the sound server is made once per process.
//
// A null sink left without a stream falls back to rendering two-second blocks,
// and a new stream then waits up to two seconds before it is heard; a sound card
// runs in real time. A quiet low-latency stream (pacat playing silence) keeps the
// null sink running as a card does; a benchmark of the first sound of a session
// asks for an idle server (Wake::Idle) and goes without it. The server ends on
// its own twenty seconds after its last client has gone, so a test process that
// dies leaves nothing.
//
//     if (!testsupport::SoundServer::instance().running())
//         GTEST_SKIP() << testsupport::SoundServer::instance().whyNot();

#include <signal.h>
#include <sys/prctl.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace testsupport {

class SoundServer {
public:
    enum class Wake { KeptAwake, Idle };

    // The process's server; the first call decides whether it is kept awake.
    static SoundServer& instance(Wake wake = Wake::KeptAwake)
    {
        static SoundServer server(wake);
        return server;
    }

    bool running() const { return running_; }
    // Why no server runs, for the skip message.
    QString whyNot() const { return QStringLiteral("No sound server could be started: ") + why_; }
    // The environment of a program that is to use this server.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        // Cookies and state stay in the private folder, away from the user's home.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(runtime_.path()).filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("HOME"), runtime_.path());
        env.insert(QStringLiteral("PULSE_SERVER"),
                   QStringLiteral("unix:") + QDir(runtime_.path()).filePath(QStringLiteral("pulse/native")));
        return env;
    }

    // A pactl command against this server; true when it succeeded.
    bool pactl(const QStringList& args) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral("pactl"), args);
        return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    ~SoundServer()
    {
        if (keepAwake_.state() != QProcess::NotRunning) {
            keepAwake_.terminate();
            keepAwake_.waitForFinished(2000);
        }
        QFile pidFile(QDir(runtime_.path()).filePath(QStringLiteral("pulse/pid")));
        if (pidFile.open(QIODevice::ReadOnly)) {
            const int pid = QString::fromLatin1(pidFile.readAll()).trimmed().toInt();
            // The server's files go with the runtime folder once it has ended.
            if (pid > 0 && ::kill(pid, SIGTERM) == 0) {
                for (int i = 0; i < 100 && ::kill(pid, 0) == 0; ++i)
                    QThread::msleep(20);
            }
        }
    }

private:
    explicit SoundServer(Wake wake)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) {
            why_ = QStringLiteral("the program pulseaudio is not installed (scripts/install-deps.sh installs it).");
            return;
        }
        if (!runtime_.isValid()) {
            why_ = QStringLiteral("no runtime folder could be made.");
            return;
        }
        QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcess p;
        QProcessEnvironment daemonEnv = environment();
        daemonEnv.remove(QStringLiteral("PULSE_SERVER"));
        p.setProcessEnvironment(daemonEnv);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("pulseaudio"),
                {QStringLiteral("-D"), QStringLiteral("-n"), QStringLiteral("--exit-idle-time=20"),
                 QStringLiteral("--load=module-null-sink"), QStringLiteral("--load=module-null-source"),
                 QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1")});
        if (!p.waitForFinished(15000) || p.exitCode() != 0) {
            why_ = QStringLiteral("pulseaudio did not start: ") + QString::fromLocal8Bit(p.readAll()).trimmed();
            return;
        }
        const QString socket = QDir(runtime_.path()).filePath(QStringLiteral("pulse/native"));
        for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
            QThread::msleep(50);
        if (!QFile::exists(socket)) {
            why_ = QStringLiteral("pulseaudio made no socket in its runtime folder.");
            return;
        }
        // The program's own sound connection goes to this server from now on.
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
        qputenv("PULSE_SERVER", (QStringLiteral("unix:") + socket).toLocal8Bit());
        running_ = true;

        if (wake == Wake::KeptAwake && !QStandardPaths::findExecutable(QStringLiteral("pacat")).isEmpty()) {
            keepAwake_.setProcessEnvironment(environment());
            keepAwake_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
            keepAwake_.setStandardOutputFile(QProcess::nullDevice());
            keepAwake_.setStandardErrorFile(QProcess::nullDevice());
            keepAwake_.start(QStringLiteral("pacat"), {QStringLiteral("--playback"), QStringLiteral("--raw"),
                                                       QStringLiteral("--latency-msec=10"), QStringLiteral("/dev/zero")});
            keepAwake_.waitForStarted(5000);
            QThread::msleep(300);
        }
    }

    QTemporaryDir runtime_{QDir::tempPath() + QStringLiteral("/quelm-sound-XXXXXX")};
    QProcess keepAwake_;
    bool running_ = false;
    QString why_;
};

} // namespace testsupport
