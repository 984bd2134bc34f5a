// How long the CQ caller keeps the transmitter keyed on silence: the hang from
// the end of a message's sound to the receive command on the line, and the lead
// from the keying command on the line to the message's first sound.
//
// The whole program path runs: the main window with the real serial layer, real
// timers and the real wave device, against the simulated radio on a
// pseudo-terminal at 9600 baud, on a private sound server with a null sink. The
// times of the commands are the simulator's (when a frame's last byte arrived);
// the times of the sound are read off the null sink's monitor, captured in small
// fragments on a thread of this program and corrected by the capture latency.
//
// The first call of a cycle waits for the output stream it opens to play before
// it keys. It is measured twice. First on a fresh sound server that nothing has
// played on, as at the first call of a session: an idle null sink renders a
// long first block before a new stream is heard. Nothing may wake the sink
// before that call, the monitor included, so that call is measured on the line
// alone: how long after the click it keyed and how long it held the key, beside
// the message's length. Then, with the monitor listening (settled first by a
// tone through a device of its own) a cycle of calls: its first call and its
// repeats, which find the stream playing, are reported apart, each with the lead
// of the key before the sound, the hang after it and the hold.
//
// Usage: bench_cq_hang [cycles, default 60] [message seconds, default 0.3] [pause seconds, default 0.5]

#include <pulse/error.h>
#include <pulse/simple.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "front_panel/quelm.h"
#include "operating_aids/voice_recorder.h"
#include "platform/wave_device_qt.h"
#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "support/sound_server.h"
#include "support/tone_file.h"

using namespace quelm;
using Steady = std::chrono::steady_clock;

namespace {

double ms(Steady::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(
        std::clamp(p * static_cast<double>(v.size() - 1), 0.0, static_cast<double>(v.size() - 1)));
    return v[i];
}

// Listens to what the null sink plays and notes when a tone starts and ends.
class SinkMonitor {
public:
    struct Burst {
        Steady::time_point start;
        Steady::time_point end;
    };

    bool start(std::string* error)
    {
        pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = kFragment * 2;
        int err = 0;
        pa_ = pa_simple_new(nullptr, "quelm-bench", PA_STREAM_RECORD, "null.monitor", "monitor", &spec, nullptr,
                            &attr, &err);
        if (!pa_) {
            *error = pa_strerror(err);
            return false;
        }
        thread_ = std::thread([this] { run(); });
        return true;
    }

    ~SinkMonitor()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (pa_)
            pa_simple_free(pa_);
    }

    std::vector<Burst> bursts() const
    {
        std::lock_guard lock(mutex_);
        return bursts_;
    }

private:
    static constexpr unsigned kRate = 8000;
    static constexpr int kFragment = 40; // 5 ms
    static constexpr int kLoud = 2000;
    static constexpr auto kGap = std::chrono::milliseconds(30);

    void run()
    {
        std::int16_t buf[kFragment];
        bool inTone = false;
        Steady::time_point lastLoud{};
        while (!stop_) {
            int err = 0;
            if (pa_simple_read(pa_, buf, sizeof buf, &err) < 0)
                return;
            const Steady::time_point read = Steady::now();
            const pa_usec_t latency = pa_simple_get_latency(pa_, &err);
            // The fragment's last sample reached the monitor this long ago.
            const Steady::time_point last = read - std::chrono::microseconds(latency);
            for (int i = 0; i < kFragment; ++i) {
                const Steady::time_point t = last - std::chrono::microseconds((kFragment - 1 - i) * 1000000 / kRate);
                if (std::abs(buf[i]) > kLoud) {
                    if (!inTone) {
                        std::lock_guard lock(mutex_);
                        bursts_.push_back({t, t});
                        inTone = true;
                    }
                    lastLoud = t;
                } else if (inTone && t - lastLoud > kGap) {
                    std::lock_guard lock(mutex_);
                    bursts_.back().end = lastLoud;
                    inTone = false;
                }
            }
        }
    }

    pa_simple* pa_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Burst> bursts_;
};

// The monitor hears in fragments of 5 ms.
constexpr double kResolutionMs = 5.0;

void report(const char* what, const std::vector<double>& v)
{
    if (v.empty()) {
        std::printf("%-42s no samples\n", what);
        return;
    }
    std::printf("%-42s n=%3zu  median %7.1f ms  p99 %7.1f ms  min %7.1f ms  max %7.1f ms\n", what, v.size(),
                percentile(v, 0.5), percentile(v, 0.99), *std::min_element(v.begin(), v.end()),
                *std::max_element(v.begin(), v.end()));
}

} // namespace

int main(int argc, char** argv)
{
    const int cycles = argc > 1 ? std::max(2, std::atoi(argv[1])) : 60;
    const double messageSeconds = argc > 2 ? std::atof(argv[2]) : 0.3;
    const double pauseSeconds = argc > 3 ? std::atof(argv[3]) : 0.5;

    testsupport::SoundServer& server = testsupport::SoundServer::instance(testsupport::SoundServer::Wake::Idle);
    if (!server.running()) {
        std::printf("bench_cq_hang: %s\n", qPrintable(server.whyNot()));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    const std::string alias =
        QDir::temp().filePath(QStringLiteral("quelm_bench_port_%1").arg(::getpid())).toStdString();
    sim::RadioSimulator radio(testsupport::steadyRadio(alias, 120));
    radio.start();

    QTemporaryDir folder;
    QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n"
                             "[CQ]\r\n1,cq.wav,%2\r\n")
                  .arg(QString::fromStdString(alias))
                  .arg(pauseSeconds)
                  .toUtf8());
    ini.close();
    if (!testsupport::writeTone(QDir(folder.path()).filePath(QStringLiteral("cq.wav")), messageSeconds))
        return 1;

    MemorySettingsStore settings;
    QtWaveDevice wave;
    testsupport::LiveProgram program(settings, folder.path(), &wave);
    if (!program.load())
        return 1;
    Quelm& window = *program.window;
    const QStringList& criticals = program.messages.criticals;
    window.st.VFOQrg = {14200, 14200};
    window.cmPower_Click();
    if (!isOn(window.st.PowerOn)) {
        std::printf("bench_cq_hang: the link did not open\n");
        return 1;
    }

    auto keying = [&radio] {
        std::vector<std::pair<bool, Steady::time_point>> out;
        for (const auto& f : radio.log())
            if (f.bytes.size() == 8 && f.bytes[4] == 0x1C && f.bytes[5] == 0x00)
                out.emplace_back(f.bytes[6] == 0x01, f.when);
        return out;
    };
    // Calls until `calls` keyings have each been followed by receive, then STOP.
    auto callCQ = [&](int calls) {
        radio.clearLog();
        window.recorder->cmCQ_Click();
        window.LCDWav->setCurrentRow(0);
        window.recorder->LCDWav_Click();
        const bool ran = testsupport::eventually([&] { return keying().size() >= std::size_t(2 * calls); },
                                                 int(calls * (messageSeconds + pauseSeconds + 1.0) * 1000) + 5000);
        window.recorder->cmStop_Click();
        testsupport::serveFor(int(messageSeconds * 1000) + 300);
        if (!ran || !criticals.isEmpty()) {
            std::printf("bench_cq_hang: the cycle did not run through: %s\n", qPrintable(criticals.join(' ')));
            return false;
        }
        return true;
    };

    // 1. The session's first call, on the fresh server.
    const Steady::time_point clicked = Steady::now();
    if (!callCQ(1))
        return 1;
    const auto fresh = keying();
    if (fresh.size() < 2 || !fresh[0].first || fresh[1].first) {
        std::printf("bench_cq_hang: the first call did not key and release once\n");
        return 1;
    }
    const double freshWait = ms(fresh[0].second - clicked);
    const double freshHeld = ms(fresh[1].second - fresh[0].second);

    // 2. The monitor, settled: its first seconds are not to be trusted (its data
    // can come in one late block), so a tone through a device of its own goes first.
    SinkMonitor monitor;
    std::string why;
    if (!monitor.start(&why)) {
        std::printf("bench_cq_hang: the null sink's monitor cannot be heard: %s\n", why.c_str());
        return 1;
    }
    {
        QtWaveDevice settle;
        using testsupport::serveFor;
        settle.setFileName(QDir(folder.path()).filePath(QStringLiteral("cq.wav")));
        settle.command(QStringLiteral("open"));
        settle.command(QStringLiteral("play"));
        serveFor(int(messageSeconds * 1000) + 1500);
        settle.command(QStringLiteral("close"));
    }
    const std::size_t settling = monitor.bursts().size();

    // 3. A cycle on the awake server, heard on the monitor.
    if (!callCQ(cycles))
        return 1;
    window.Form_Unload();

    const auto k = keying();
    const auto bursts = monitor.bursts();
    if (std::getenv("QUELM_BENCH_VERBOSE") && !k.empty()) {
        for (const auto& kk : k)
            std::printf("%s at %.1f ms\n", kk.first ? "TX" : "RX", ms(kk.second - k[0].second));
        for (const auto& bb : bursts)
            std::printf("sound %.1f .. %.1f ms\n", ms(bb.start - k[0].second), ms(bb.end - k[0].second));
    }
    std::vector<double> hang, lead, held, firstHang, firstLead, firstHeld;
    int cut = 0;
    std::size_t b = settling;
    for (std::size_t i = 0; i + 1 < k.size(); i += 2) {
        if (!k[i].first || k[i + 1].first)
            continue;
        const Steady::time_point keyed = k[i].second;
        const Steady::time_point released = k[i + 1].second;
        while (b < bursts.size() && bursts[b].start < keyed)
            ++b;
        if (b >= bursts.size())
            break;
        const double toSound = ms(bursts[b].start - keyed);
        const double afterSound = ms(released - bursts[b].end);
        if (afterSound < -kResolutionMs)
            ++cut;
        if (std::getenv("QUELM_BENCH_VERBOSE"))
            std::printf("cycle %zu: lead %.1f ms, sound %.1f ms, hang %.1f ms\n", i / 2, toSound,
                        ms(bursts[b].end - bursts[b].start), afterSound);
        (i == 0 ? firstLead : lead).push_back(toSound);
        (i == 0 ? firstHang : hang).push_back(afterSound);
        (i == 0 ? firstHeld : held).push_back(ms(released - keyed));
    }

    std::printf("CQ caller on the null sink: %.2f s message, %.2f s pause, %d cycles, 9600 baud\n", messageSeconds,
                pauseSeconds, cycles);
    std::printf("first call on a fresh server (line times): click -> 1C 00 01 %.1f ms; key held %.1f ms, "
                "%.1f ms more than the message\n",
                freshWait, freshHeld, freshHeld - messageSeconds * 1000);
    report("hang: end of sound -> 1C 00 00 (repeats)", hang);
    report("lead: 1C 00 01 -> first sound (repeats)", lead);
    report("key held: 1C 00 01 -> 1C 00 00 (repeats)", held);
    report("hang, first call of the cycle", firstHang);
    report("lead, first call of the cycle", firstLead);
    report("key held, first call of the cycle", firstHeld);
    std::printf("receive commands more than %.0f ms (one capture fragment) before the sound had ended: %d\n",
                kResolutionMs, cut);
    return 0;
}
