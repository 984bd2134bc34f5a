#pragma once

// The real program on an X display of the test's own, against the simulated
// radio, so that its keys can be clicked, dragged and typed at as an operator
// does (Xvfb and xdotool):
//     DisplayedProgram p;                     // skip when p.display.whyNot() is set
//     p.setUp(ini, soundEnvironment);         // the program folder and its environment
//     QProcess quelm;
//     const QString window = p.startAndPowerOn(quelm);
//     p.display.click(window, {64, 91});
// With p.display.frameWindows() first, a window manager frames the windows.

#include <functional>
#include <string>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "support/port_alias.h"

namespace testsupport {

// A copy of the program in `root`/program beside a quelm.ini holding `ini`: the
// program reads its settings file from the folder it lies in. Empty on failure.
inline QString programFolder(const QDir& root, const QByteArray& ini)
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

// An X display of the test's own, so that the program's keys can be clicked as
// an operator clicks them; one screen of `screen` pixels.
class VirtualDisplay {
public:
    explicit VirtualDisplay(QSize screen = QSize(1024, 768))
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
            why_ = "Xvfb and xdotool are needed to click the program's keys";
            return;
        }
        // Xvfb picks a free display and writes its number to the descriptor named.
        server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                                              QStringLiteral("-nolisten"),
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
        stop(manager_);
        stop(server_);
    }

    // Starts a window manager (openbox) on the display, so that windows get a
    // frame and a title bar as on a desktop. Empty once it runs, else why not.
    std::string frameWindows()
    {
        if (!why_.empty())
            return why_;
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
            return "openbox is needed to put frames round the program's windows";
        // Its cache and settings go to a folder of the test's own, not the user's.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), name_);
        env.insert(QStringLiteral("XDG_CACHE_HOME"), managerDir_.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), managerDir_.filePath(QStringLiteral("config")));
        manager_.setProcessEnvironment(env);
        // It runs the start-up command once it manages the screen; the word that
        // prints comes after any notes of its own.
        manager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                                                   QStringLiteral("echo managing")});
        QDeadlineTimer ready(10000);
        while (!ready.hasExpired() && manager_.state() != QProcess::NotRunning) {
            while (manager_.canReadLine()) {
                if (manager_.readLine().trimmed() == "managing")
                    return {};
            }
            manager_.waitForReadyRead(100);
        }
        return "openbox did not start on the display";
    }

    const std::string& whyNot() const { return why_; }
    const QString& name() const { return name_; }

    // Output of one X client command (xdotool, xwininfo, xprop) on this
    // display; empty when it fails.
    QString run(const QString& program, const QStringList& args) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), name_);
        tool.setProcessEnvironment(env);
        tool.start(program, args);
        if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
            return {};
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    QString xdotool(const QStringList& args) const { return run(QStringLiteral("xdotool"), args); }

    // The program's main window, once it is shown.
    QString windowOf(qint64 pid) const { return shownWindow(pid, QStringLiteral("^Quelm$")); }

    // The program's window whose title matches `title`, once it is shown.
    QString shownWindow(qint64 pid, const QString& title) const
    {
        QDeadlineTimer shown(20000);
        while (!shown.hasExpired()) {
            const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--all"),
                                         QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                         QString::number(pid), QStringLiteral("--name"), title});
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
    static void stop(QProcess& process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }

    QProcess server_;
    QProcess manager_;
    QTemporaryDir managerHome_;
    const QDir managerDir_{managerHome_.path()};
    QString name_;
    std::string why_;
};

inline bool within(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Places on the panel, in the window's own coordinates.
namespace panelat {
constexpr QPoint kPower{64, 48};
constexpr QPoint kTransmit{64, 91};
constexpr QPoint kMenu{226, 233};  // its first press brings the recorder keys
constexpr QPoint kCQ{398, 128};
constexpr QPoint kFirstMessage{300, 66};
constexpr QPoint kMemory{616, 92}; // the MEM key: the memory editor
} // namespace panelat

// The simulated radio, a program folder beside it and the program's environment.
struct DisplayedProgram {
    explicit DisplayedProgram(QSize screen = QSize(1024, 768)) : display(screen) {}

    VirtualDisplay display;
    const std::string alias = uniquePortAlias();
    quelm::sim::RadioSimulator radio{steadyRadio(alias, 120)};
    QTemporaryDir dir;
    const QDir root{dir.path()};
    QString program;
    QProcessEnvironment env;

    ~DisplayedProgram() { radio.stop(); }

    // `iniRest` follows the [COMM] section that points at the simulator. With a
    // sound environment the program plays on that server; without, on none.
    // False when the folder cannot be laid out.
    bool setUp(const QString& iniRest, const QProcessEnvironment* sound = nullptr)
    {
        radio.start();
        if (!dir.isValid())
            return false;
        program = programFolder(root, (QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n")
                                           .arg(QString::fromStdString(alias))
                                       + iniRest)
                                          .toUtf8());
        env = sound ? *sound : QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display.name());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
        if (!sound) // never the desktop's own sound server
            env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + root.filePath(QStringLiteral("none")));
        return !program.isEmpty();
    }

    QString programFile(const QString& name) const { return root.filePath(QStringLiteral("program/") + name); }

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
        display.click(window, panelat::kPower);
        // The push's sixteen frames, then its last pause before the receive loop starts.
        if (!within([&] { return radio.logSize() >= 16; }, 10000))
            return {};
        QThread::msleep(300);
        return window;
    }

    bool transmitting() const { return radio.state().transmitting; }
};

} // namespace testsupport
