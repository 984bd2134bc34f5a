// What the operator sees of the radio's own reports: how long after a
// transceive frequency report has left the radio the panel paints it, how
// many reports are ever painted, how long the window thread is held by one
// handler, and what the open link costs in processor time and wake-ups.
//
// Against the simulated radio on a pseudo-terminal at 9600 and 19200 baud, with
// the real serial layer, clock, event loop, timers and a shown window:
//  - display lag: from the ideal moment the report's last byte left the radio
//    (the simulator's pacing clock: start of the frame on the line plus its
//    byte times) to the first paint of the frequency field that shows that
//    frequency or a newer one; median, p99 and worst;
//  - painted: the share of reports whose own frequency was painted at all;
//  - longest handler: the longest time the window thread spent in one event
//    handler (one outermost event dispatch), and the share of the time it
//    spent in handlers;
//  - processor time and wake-ups (context switches) of the window thread per
//    second.
// Cases: isolated reports (the line idle before each), back-to-back floods of
// 10, 50 and 100 reports a second and at the line's limit (a report is 11
// bytes of 10 bits; 87.3 a second at 9600 baud, 174.5 at 19200), and idle with
// the link open (the S-meter poll running, the radio quiet). The S-meter poll
// is stopped while reports are measured, so they have the line to themselves.
// With a soak time, a flood at the line's limit at 19200 baud runs that long
// and the process's resident memory is sampled every 10 s.
//
// Usage: bench_receive_latency [seconds per case, default 5] [idle seconds, default 20]
//                              [soak seconds, default 0]

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <set>
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
#include "bench_setup.h"

using namespace quelm;
using Steady = std::chrono::steady_clock;

namespace {

double ms(Steady::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Times every outermost event dispatch of the window thread: one handler each.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (depth_++ > 0) {
            const bool done = QApplication::notify(receiver, event);
            --depth_;
            return done;
        }
        const auto t0 = Steady::now();
        const bool done = QApplication::notify(receiver, event);
        const double d = ms(Steady::now() - t0);
        --depth_;
        longestMs = std::max(longestMs, d);
        busyMs += d;
        return done;
    }

    void resetTimes()
    {
        longestMs = 0;
        busyMs = 0;
    }

    double longestMs = 0;
    double busyMs = 0;

private:
    int depth_ = 0;
};

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

// The window thread's processor time and context switches so far.
struct ThreadUsage {
    double cpuSeconds = 0;
    long switches = 0;

    static ThreadUsage now()
    {
        rusage u{};
        getrusage(RUSAGE_THREAD, &u);
        return {static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                    static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6,
                u.ru_nvcsw + u.ru_nivcsw};
    }
};

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0)
                             : 0;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(
        std::clamp(std::ceil(p * static_cast<double>(v.size())) - 1, 0.0, static_cast<double>(v.size() - 1)));
    return v[i];
}

// Runs the event loop, sleeping between events as the program's own loop does.
void serveFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// The frequency in Hz of a frequency report (command 00, five BCD bytes).
long long reportHz(const sim::Bytes& frame)
{
    if (frame.size() != 11 || frame[4] != 0x00)
        return -1;
    long long hz = 0;
    for (int i = 9; i >= 5; --i)
        hz = hz * 100 + (frame[static_cast<std::size_t>(i)] >> 4) * 10 + (frame[static_cast<std::size_t>(i)] & 0x0F);
    return hz;
}

// What left the radio and what the panel painted, with their times.
class Recorder : public QObject {
public:
    Recorder(sim::RadioSimulator& radio, LcdLabel* qrg) : qrg_(qrg)
    {
        radio.onRadioFrameSent([this](const sim::Bytes& frame, Steady::time_point leftAt) {
            const long long hz = reportHz(frame);
            if (hz < 0 || !keeping)
                return;
            std::lock_guard lock(mutex_);
            sent_.push_back({hz, leftAt});
        });
        qrg_->installEventFilter(this);
    }

    void clear()
    {
        std::lock_guard lock(mutex_);
        sent_.clear();
        painted_.clear();
    }

    struct Event {
        long long hz;
        Steady::time_point at;
    };
    std::vector<Event> sent() const
    {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    const std::vector<Event>& painted() const { return painted_; }
    // Off for the soak, whose only measure is memory: the records would grow.
    std::atomic<bool> keeping{true};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qrg_ && event->type() == QEvent::Paint && keeping) {
            const std::optional<double> kHz = conv::localeReading(QStringView(qrg_->text()));
            if (kHz)
                painted_.push_back({std::llround(*kHz * 1000.0), Steady::now()});
        }
        return false;
    }

private:
    LcdLabel* qrg_;
    mutable std::mutex mutex_;
    std::vector<Event> sent_;
    std::vector<Event> painted_;
};

struct CaseResult {
    std::size_t reports = 0;
    std::size_t neverShown = 0;
    std::vector<double> lagMs;
    double paintedShare = 0;
    double longestHandlerMs = 0;
    double busyShare = 0;
    double cpuShare = 0;
    double wakeupsPerSecond = 0;
};

// Each report against the first paint at or after it left that shows its
// frequency or a newer one (the frequencies of one case only grow).
void scoreLags(const std::vector<Recorder::Event>& sent, const std::vector<Recorder::Event>& painted,
               CaseResult& r)
{
    r.reports = sent.size();
    std::set<long long> paintedHz;
    for (const auto& p : painted)
        paintedHz.insert(p.hz);
    std::size_t exact = 0;
    // Both lists run in time order and their frequencies only grow, so the
    // first paint late enough and the first paint new enough only move on.
    std::size_t late = 0, fresh = 0;
    for (const auto& s : sent) {
        exact += paintedHz.count(s.hz);
        while (late < painted.size() && painted[late].at < s.at)
            ++late;
        while (fresh < painted.size() && painted[fresh].hz < s.hz)
            ++fresh;
        const std::size_t shown = std::max(late, fresh);
        if (shown == painted.size())
            ++r.neverShown;
        else
            r.lagMs.push_back(ms(painted[shown].at - s.at));
    }
    r.paintedShare = sent.empty() ? 0 : static_cast<double>(exact) / static_cast<double>(sent.size());
}

// Runs `drive` (on a thread of its own, turning the radio's dial) while the
// window thread serves events; then lets the line drain and scores the case.
CaseResult runCase(TimedApplication& app, sim::RadioSimulator& radio, Recorder& recorder,
                   const std::function<void(const std::atomic<bool>& stop)>& drive)
{
    recorder.clear();
    app.resetTimes();
    const ThreadUsage u0 = ThreadUsage::now();
    const auto t0 = Steady::now();
    std::atomic<bool> done{false};
    std::atomic<bool> stop{false};
    std::thread driver([&] {
        drive(stop);
        done = true;
    });
    while (!done)
        serveFor(0.05);
    driver.join();
    while (!radio.waitForOutputDrained(std::chrono::milliseconds(0)))
        serveFor(0.02);
    serveFor(0.2);
    const double wall = std::chrono::duration<double>(Steady::now() - t0).count();
    const ThreadUsage u1 = ThreadUsage::now();

    CaseResult r;
    scoreLags(recorder.sent(), recorder.painted(), r);
    r.longestHandlerMs = app.longestMs;
    r.busyShare = app.busyMs / 1000.0 / wall;
    r.cpuShare = (u1.cpuSeconds - u0.cpuSeconds) / wall;
    r.wakeupsPerSecond = static_cast<double>(u1.switches - u0.switches) / wall;
    return r;
}

void print(const char* name, const CaseResult& r)
{
    std::printf("  %-18s %5zu reports  lag median %6.2f  p99 %6.2f  worst %7.2f ms  painted %5.1f %%"
                "  never %zu  longest handler %6.2f ms  busy %5.1f %%  cpu %5.2f %%  wake-ups %6.1f/s\n",
                name, r.reports, percentile(r.lagMs, 0.5), percentile(r.lagMs, 0.99), percentile(r.lagMs, 1.0),
                100.0 * r.paintedShare, r.neverShown, r.longestHandlerMs, 100.0 * r.busyShare, 100.0 * r.cpuShare,
                r.wakeupsPerSecond);
    std::fflush(stdout);
}

bool openProgram(sim::RadioSimulator& radio, QTemporaryDir& folder, LiveProgram& program, int baud)
{
    QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // One band row over the whole range the reports use: no band-limit message.
    ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed %2,n,8,1\r\n[BAND LIMIT]\r\nall 7000 1000 60000\r\n")
                  .arg(QString::fromStdString(radio.devicePath()))
                  .arg(baud)
                  .toUtf8());
    ini.close();
    program.window = std::make_unique<Quelm>(program.platform);
    if (!program.window->Form_Load())
        return false;
    program.window->show();
    program.window->cmPower_Click();
    return isOn(program.window->st.PowerOn);
}

// Turns the dial `count` times, one report every `interval`, on a fixed schedule.
void dialAtRate(sim::RadioSimulator& radio, long long baseHz, double perSecond, double seconds,
                const std::atomic<bool>& stop)
{
    const auto interval = std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(1.0 / perSecond));
    const int count = static_cast<int>(perSecond * seconds);
    auto next = Steady::now();
    for (int i = 0; i < count && !stop; ++i) {
        std::this_thread::sleep_until(next);
        radio.control("dial " + std::to_string(baseHz + 10LL * i));
        next += interval;
    }
}

void runBaud(TimedApplication& app, int baud, double seconds, double idleSeconds, double soakSeconds)
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
    const double lineLimit = baud / 10.0 / 11.0;
    std::printf("%d baud (line's limit %.1f reports/s), %.0f s a case\n", baud, lineLimit, seconds);
    serveFor(0.5);
    q.TimerS->setEnabled(false);
    Recorder recorder(radio, q.QRG);
    long long base = 7000000;

    // Isolated: the line idle for 60-120 ms before each report.
    {
        std::mt19937 rng(746);
        std::uniform_int_distribution<int> gapMs(60, 120);
        const int count = std::max(10, static_cast<int>(seconds / 0.09));
        const CaseResult r = runCase(app, radio, recorder, [&](const std::atomic<bool>& stop) {
            for (int i = 0; i < count && !stop; ++i) {
                radio.control("dial " + std::to_string(base + 10LL * i));
                std::this_thread::sleep_for(std::chrono::milliseconds(gapMs(rng)));
            }
        });
        print("isolated", r);
        base += 1000000;
    }

    for (double rate : {10.0, 50.0, 100.0, 0.0}) {
        const bool atLimit = rate == 0.0;
        if (!atLimit && rate >= lineLimit) {
            std::printf("  %-18s above the line's limit\n", (std::to_string(static_cast<int>(rate)) + "/s").c_str());
            continue;
        }
        // At the limit the dial turns a little faster than the line can carry,
        // so the reports leave back to back.
        const double perSecond = atLimit ? lineLimit * 1.1 : rate;
        const CaseResult r = runCase(app, radio, recorder, [&](const std::atomic<bool>& stop) {
            dialAtRate(radio, base, perSecond, seconds, stop);
        });
        const std::string name = atLimit ? "line's limit" : std::to_string(static_cast<int>(rate)) + "/s";
        print(name.c_str(), r);
        base += 1000000;
    }

    if (soakSeconds > 0) {
        std::printf("  soak at the line's limit, %.0f s: resident memory (MiB) every 10 s:", soakSeconds);
        recorder.keeping = false;
        const CaseResult r = runCase(app, radio, recorder, [&](const std::atomic<bool>& stop) {
            std::atomic<bool> ended{false};
            std::thread meter([&] {
                const auto start = Steady::now();
                for (int i = 1; !ended; ++i) {
                    std::printf(" %.1f", residentMiB());
                    std::fflush(stdout);
                    while (!ended && Steady::now() < start + std::chrono::seconds(10) * i)
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            });
            dialAtRate(radio, 8000000, lineLimit * 1.05, soakSeconds, stop);
            ended = true;
            meter.join();
        });
        recorder.keeping = true;
        std::printf(" end %.1f\n  %-18s longest handler %6.2f ms  busy %5.1f %%  cpu %5.2f %%  wake-ups %6.1f/s\n",
                    residentMiB(), "soak", r.longestHandlerMs, 100.0 * r.busyShare, 100.0 * r.cpuShare,
                    r.wakeupsPerSecond);
    }

    if (idleSeconds > 0) {
        q.TimerS->setEnabled(true);
        serveFor(1.0);
        app.resetTimes();
        const ThreadUsage u0 = ThreadUsage::now();
        const auto t0 = Steady::now();
        serveFor(idleSeconds);
        const double wall = std::chrono::duration<double>(Steady::now() - t0).count();
        const ThreadUsage u1 = ThreadUsage::now();
        std::printf("  %-18s %.0f s: cpu %5.2f %%  wake-ups %6.1f/s  longest handler %6.2f ms  busy %5.1f %%\n",
                    "idle, link open", wall, 100.0 * (u1.cpuSeconds - u0.cpuSeconds) / wall,
                    static_cast<double>(u1.switches - u0.switches) / wall, app.longestMs,
                    100.0 * app.busyMs / 1000.0 / wall);
    }
    if (!program.messages.criticals.isEmpty())
        std::printf("  messages: %s\n", program.messages.criticals.join(QLatin1Char(' ')).toLocal8Bit().constData());
    radio.onRadioFrameSent({});
    q.cmPower_Click();
}

} // namespace

int main(int argc, char** argv)
{
    quelm::bench::prepareWindowBench();
    TimedApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    const double idleSeconds = argc > 2 ? std::atof(argv[2]) : 20.0;
    const double soakSeconds = argc > 3 ? std::atof(argv[3]) : 0.0;
    for (int baud : {9600, 19200})
        runBaud(app, baud, seconds, idleSeconds, baud == 19200 ? soakSeconds : 0.0);
    return 0;
}
