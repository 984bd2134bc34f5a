// How fast the panel's keys put frames on the line, against the simulated radio
// on a pseudo-terminal at 9600 and 19200 baud, with the real serial layer, clock,
// event loop and timers:
//  - a held tuning key: set-frequency frames per second the radio receives
//    while the key is held, before the raised count (one step a tick) and after
//    it (the key really held for five seconds first); steps and kHz per second
//    follow from the count at each tuning step;
//  - a slider drag: mouse movements with the left button down, sent to the
//    slider as a pointer reports them (one every 8 ms) and as fast as the window
//    takes them; level frames per second the radio receives, movements handled
//    per second. The pseudo-terminal takes whatever the program writes at once:
//    only a real UART holds the program to the line's rate (its output wait).
// Each is printed next to the line's own limit: bytes per second / frame length.
//
// Usage: bench_panel_keys [seconds per measurement, default 3]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "front_panel/quelm.h"
#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "bench_setup.h"

using namespace quelm;
using testsupport::serveFor;

namespace {

constexpr int kFreqFrameBytes = 11;  // FE FE 56 E0 05 five bytes FD
constexpr int kLevelFrameBytes = 9;  // FE FE 56 E0 14 sub two bytes FD

std::size_t framesWith(const sim::RadioSimulator& radio, std::uint8_t command)
{
    std::size_t n = 0;
    for (const auto& f : radio.log())
        n += f.bytes.size() > 4 && f.bytes[4] == command;
    return n;
}

double lineLimit(int baud, int frameBytes)
{
    return baud / 10.0 / frameBytes; // ten bits a byte
}

void heldKey(sim::RadioSimulator& radio, Quelm& q, int baud, double seconds)
{
    q.st.VFOQrg[q.st.VFOActive] = 14000;
    q.st.VFOStep[q.st.VFOActive] = 1000;
    const int ms = static_cast<int>(seconds * 1000);

    radio.clearLog();
    q.VFOUp_MouseDown();
    serveFor(ms);
    q.VFOUp_MouseUp();
    const double before = static_cast<double>(framesWith(radio, 0x05)) / seconds;

    q.VFOUp_MouseDown();
    serveFor(5100); // held until the raised count is in force
    const QString count = q.TimerVFOPress->Tag;
    radio.clearLog();
    serveFor(ms);
    q.VFOUp_MouseUp();
    const double after = static_cast<double>(framesWith(radio, 0x05)) / seconds;

    std::printf("%5d baud, held tuning key: line limit %.1f frequency frames/s\n", baud,
                lineLimit(baud, kFreqFrameBytes));
    std::printf("      before the raised count: %.1f frames/s = %.1f steps/s\n", before, before);
    std::printf("      after  (count %s at 1 kHz): %.1f frames/s = %.1f steps/s\n", qPrintable(count), after,
                after * count.toDouble());
    for (double step : {10.0, 100.0, 1000.0, 25000.0}) {
        q.st.VFOStep[q.st.VFOActive] = step;
        q.TimerVFOPress_Timer(); // the program's own raised count for this step
        const double raised = q.TimerVFOPress->Tag.toDouble();
        std::printf("      at %5.0f Hz: %.2f kHz/s before, %.1f kHz/s after (%.0f steps/s)\n", step,
                    before * step / 1000, after * raised * step / 1000, after * raised);
    }
}

// spacingMs 0: the next movement as soon as the last is handled.
void sliderDrag(sim::RadioSimulator& radio, Quelm& q, int baud, double seconds, int spacingMs)
{
    q.cmAF_Click();
    PanelSlider* s = q.Slider1;
    s->setValue(0); // the thumb at the left end, where the press takes it
    const int y = s->height() / 2;
    auto send = [s, y](QEvent::Type type, int x, Qt::MouseButtons buttons) {
        const QPointF at(x, y);
        QMouseEvent e(type, at, s->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(s, &e);
    };
    send(QEvent::MouseButtonPress, 3, Qt::LeftButton); // on the thumb at 0

    radio.clearLog();
    QElapsedTimer t;
    t.start();
    int moves = 0;
    int x = 3;
    int dir = 1;
    while (t.elapsed() < seconds * 1000) {
        x += dir;
        if (x >= s->width() - 3 || x <= 3)
            dir = -dir;
        send(QEvent::MouseMove, x, Qt::LeftButton);
        ++moves;
        if (spacingMs > 0)
            serveFor(spacingMs);
        else
            QCoreApplication::processEvents();
    }
    const double elapsed = t.elapsed() / 1000.0;
    send(QEvent::MouseButtonRelease, x, Qt::NoButton);
    serveFor(300);
    const double frames = static_cast<double>(framesWith(radio, 0x14)) / elapsed;

    std::printf("%5d baud, slider drag, %s: line limit %.1f level frames/s\n", baud,
                spacingMs > 0 ? "a movement every 8 ms" : "flat out", lineLimit(baud, kLevelFrameBytes));
    std::printf("      %.1f level frames/s, %.1f movements/s handled (%d in %.1f s)\n", frames, moves / elapsed,
                moves, elapsed);
}

void runRate(int baud, double seconds)
{
    sim::SimulatorOptions options;
    options.baudRate = baud;
    options.sMeterWanders = false;
    sim::RadioSimulator radio(options);
    radio.start();
    QTemporaryDir folder;
    QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed %2,n,8,1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n"
                             "6m 50110 50000 52000\r\n")
                  .arg(QString::fromStdString(radio.devicePath()))
                  .arg(baud)
                  .toUtf8());
    ini.close();
    MemorySettingsStore settings;
    testsupport::LiveProgram program(settings, folder.path());
    if (!program.load())
        return;
    Quelm& q = *program.window;
    q.show();
    q.cmPower_Click();
    if (!isOn(q.st.PowerOn)) {
        std::printf("%d baud: the link could not be opened\n", baud);
        return;
    }
    heldKey(radio, q, baud, seconds);
    sliderDrag(radio, q, baud, seconds, 8);
    sliderDrag(radio, q, baud, seconds, 0);
    if (!program.messages.criticals.isEmpty())
        std::printf("      messages: %s\n", qPrintable(program.messages.criticals.join(QLatin1Char(' '))));
    q.cmPower_Click();
    q.Form_Unload();
}

} // namespace

int main(int argc, char** argv)
{
    quelm::bench::prepareWindowBench();
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 3.0;
    for (int baud : {9600, 19200})
        runRate(baud, seconds);
    return 0;
}
