// How quickly the panel shows a frequency the radio reports by itself, and what
// the open, idle link costs in processor time.
//
// Against the simulated radio on a pseudo-terminal at 9600 and 19200 baud, with
// the real serial layer, clock, event loop and timers:
//  - latency: from the simulator having written the last byte of a transceive
//    frequency report (its output queue reported drained) to QRG showing the
//    frequency; also from the control command that turns the dial, which adds
//    the frame's own line time. The S-meter poll is stopped meanwhile so the
//    report has the line to itself.
//  - idle: processor time of the window thread (and of the whole process, the
//    simulator's thread included) over a stretch with the link open, both
//    timers running and the radio quiet.
//
// Usage: bench_receive_latency [reports per rate, default 250] [idle seconds, default 30]

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>

#include "front_panel/quelm.h"
#include "platform/clock.h"
#include "platform/conversions.h"
#include "platform/event_pump.h"
#include "platform/fakes.h"
#include "platform/serial_port_qt.h"
#include "platform/waits.h"
#include "platform/wave_device.h"
#include "simulator/radio_simulator.h"

using namespace quelm;
using Steady = std::chrono::steady_clock;

namespace {

struct LiveProgram {
    explicit LiveProgram(const QString& folder) : folder(folder) {}
    QString folder;
    SteadyClock clock;
    QtEventPump events;
    Waits waits{clock, events};
    QtSerialPort serial;
    MemorySettingsStore settings;
    RecordingMessageBox messages;
    ModeMachineWaveDevice wave;
    Platform platform{serial, clock, events, waits, settings, messages, wave, folder};
    std::unique_ptr<Quelm> window;
};

double ms(Steady::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::clamp(p * static_cast<double>(v.size() - 1), 0.0,
                                                        static_cast<double>(v.size() - 1)));
    return v[i];
}

double threadCpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop, sleeping between events as the program's own loop does.
void serveFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

bool openProgram(sim::RadioSimulator& radio, QTemporaryDir& folder, LiveProgram& program, int baud)
{
    QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed %2,n,8,1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n"
                             "6m 50110 50000 52000\r\n")
                  .arg(QString::fromStdString(radio.devicePath()))
                  .arg(baud)
                  .toUtf8());
    ini.close();
    program.window = std::make_unique<Quelm>(program.platform);
    if (!program.window->Form_Load())
        return false;
    program.window->cmPower_Click();
    return isOn(program.window->st.PowerOn);
}

struct Latencies {
    std::vector<double> fromLastByte;
    std::vector<double> fromCommand;
    int missed = 0;
};

Latencies measureReports(sim::RadioSimulator& radio, Quelm& q, int reports)
{
    Latencies out;
    Steady::time_point shownAt;
    QString target;
    bool shown = false;
    QEventLoop loop;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(q.QRG, &LcdLabel::change, &loop, [&] {
        if (!shown && q.QRG->caption() == target) {
            shownAt = Steady::now();
            shown = true;
            loop.quit();
        }
    });
    std::mt19937 rng(746);
    std::uniform_int_distribution<int> spacingMs(15, 40);

    for (int i = 0; i < reports; ++i) {
        const long long hz = 14000000 + 10LL * (i + 1);
        target = conv::formatFixed2(static_cast<double>(hz) / 1000.0);
        shown = false;
        Steady::time_point commandAt;
        Steady::time_point lastByteAt;
        commandAt = Steady::now();
        std::thread dial([&] {
            radio.control("dial " + std::to_string(hz));
            radio.waitForOutputDrained(std::chrono::milliseconds(1000));
            lastByteAt = Steady::now();
        });
        giveUp.start(2000);
        if (!shown)
            loop.exec();
        giveUp.stop();
        dial.join();
        if (!shown) {
            ++out.missed;
            continue;
        }
        out.fromLastByte.push_back(ms(shownAt - lastByteAt));
        out.fromCommand.push_back(ms(shownAt - commandAt));
        serveFor(spacingMs(rng) / 1000.0);
    }
    return out;
}

void runRate(int baud, int reports, double idleSeconds)
{
    sim::SimulatorOptions options;
    options.baudRate = baud;
    options.sMeterWanders = false;
    sim::RadioSimulator radio(options);
    radio.start();
    QTemporaryDir folder;
    LiveProgram program(folder.path());
    if (!openProgram(radio, folder, program, baud)) {
        std::printf("%d baud: the link could not be opened: %s\n", baud,
                    program.messages.criticals.join(QLatin1Char(' ')).toLocal8Bit().constData());
        return;
    }
    Quelm& q = *program.window;

    const double lineMs = 11 * 10 * 1000.0 / baud; // a frequency report is 11 bytes
    q.TimerS->setEnabled(false);
    const Latencies l = measureReports(radio, q, reports);
    q.TimerS->setEnabled(true);
    if (!l.fromLastByte.empty()) {
        std::printf("%5d baud, %zu reports (%d missed), frame line time %.2f ms\n", baud, l.fromLastByte.size(),
                    l.missed, lineMs);
        std::printf("      last byte -> QRG: median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                    percentile(l.fromLastByte, 0.5), percentile(l.fromLastByte, 0.99),
                    percentile(l.fromLastByte, 1.0));
        std::printf("      dial command -> QRG: median %.2f ms, p99 %.2f ms (line time included)\n",
                    percentile(l.fromCommand, 0.5), percentile(l.fromCommand, 0.99));
    }

    if (idleSeconds > 0) {
        serveFor(1.0);
        const double thread0 = threadCpuSeconds(RUSAGE_THREAD);
        const double process0 = threadCpuSeconds(RUSAGE_SELF);
        const auto t0 = Steady::now();
        serveFor(idleSeconds);
        const double wall = std::chrono::duration<double>(Steady::now() - t0).count();
        const double thread = threadCpuSeconds(RUSAGE_THREAD) - thread0;
        const double process = threadCpuSeconds(RUSAGE_SELF) - process0;
        std::printf("      idle, link open, %.1f s: window thread %.2f %% of a core, whole process %.2f %%\n",
                    wall, 100.0 * thread / wall, 100.0 * process / wall);
    }
    if (!program.messages.criticals.isEmpty())
        std::printf("      messages: %s\n", program.messages.criticals.join(QLatin1Char(' ')).toLocal8Bit().constData());
    q.cmPower_Click();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    const int reports = argc > 1 ? std::max(1, std::atoi(argv[1])) : 250;
    const double idleSeconds = argc > 2 ? std::atof(argv[2]) : 30.0;
    for (int baud : {9600, 19200})
        runRate(baud, reports, idleSeconds);
    return 0;
}
