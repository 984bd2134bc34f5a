// The memory editor's costs:
//  - loading a program folder of 20 user banks of 150 rows and the radio bank
//    into the window (the whole load sequence), and saving them all ("Save all",
//    each file written beside the old one and renamed over it);
//  - a full retrieve of the 99 channels from the simulated radio on a
//    pseudo-terminal at 9600 and 19200 baud, with the real serial layer, clock
//    and event loop, against its floor of 99 x 0.15 s of waits.
//
// Usage: bench_memory_editor [Google Benchmark flags]

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "memory_editor/memory.h"
#include "platform/file_folder.h"
#include "simulator/radio_simulator.h"
#include "support/fake_platform.h"
#include "support/live_program.h"
#include "bench_setup.h"

using namespace quelm;
using testsupport::LiveProgram;

namespace {

constexpr int kUserBanks = 20;
const char* const kModes[] = {"USB", "LSB", "CW", "FM", "AM", "RTTY"};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray radioBank()
{
    QByteArray all;
    for (int n = 1; n <= 99; ++n)
        all += QStringLiteral("RPT %1,%2,FM,,,,88.5,DUP-,Yes\r\n").arg(n).arg(145000 + n * 12.5).toLatin1();
    return all;
}

void fillFolder(const QString& folder)
{
    for (int b = 1; b <= kUserBanks; ++b) {
        QByteArray all;
        for (int r = 1; r <= 150; ++r)
            all += QStringLiteral("Station %1 of bank %2,%3,%4\r\n")
                       .arg(r)
                       .arg(b)
                       .arg(1800 + b * 1000 + r * 0.5)
                       .arg(kModes[r % 6])
                       .toLatin1();
        writeFile(QDir(folder).filePath(QStringLiteral("MEM_bank %1.ini").arg(b)), all);
    }
    writeFile(QDir(folder).filePath(QStringLiteral("MEM_Quelm.ini")), radioBank());
}

class NoRadio final : public MemoryRadio {
public:
    bool linkOpen() override { return false; }
    void RadioReadMemory(int) override {}
    void RadioSetMemory(int) override {}
    QString RadioReadFrame() override { return {}; }
    int InBufferCount() override { return 0; }
    void SettoMemoria(double, const QString&, double, const QString&) override {}
};

void BM_LoadBanks(benchmark::State& state)
{
    FakePlatform fake;
    fillFolder(fake.folder.path());
    DiskFolder folder(fake.folder.path());
    NoRadio radio;
    for (auto _ : state) {
        Memory m(fake.platform, folder, radio);
        m.Form_Load();
        if (m.F1Book1->sheetCount() != kUserBanks + 1)
            state.SkipWithError("not every bank loaded");
    }
    state.counters["rows"] = kUserBanks * 150 + 99;
}
BENCHMARK(BM_LoadBanks)->Unit(benchmark::kMillisecond);

void BM_SaveAll(benchmark::State& state)
{
    FakePlatform fake;
    fillFolder(fake.folder.path());
    DiskFolder folder(fake.folder.path());
    NoRadio radio;
    Memory m(fake.platform, folder, radio);
    m.Form_Load();
    for (auto _ : state) {
        m.cmSaveAll_Click();
        if (!fake.messages.criticals.isEmpty())
            state.SkipWithError("a bank was not saved");
    }
    state.counters["files"] = kUserBanks + 1;
}
BENCHMARK(BM_SaveAll)->Unit(benchmark::kMillisecond);

void BM_RetrieveFromTheRadio(benchmark::State& state)
{
    const int baud = static_cast<int>(state.range(0));
    sim::SimulatorOptions options;
    options.baudRate = baud;
    options.sMeterWanders = false;
    sim::RadioSimulator radio(options);
    radio.start();
    QTemporaryDir bankDir;
    writeFile(bankDir.filePath(QStringLiteral("radio.ini")), radioBank());
    radio.control("load " + bankDir.filePath(QStringLiteral("radio.ini")).toStdString());

    QTemporaryDir folder;
    writeFile(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")),
              QStringLiteral("[COMM]\r\nport %1\r\nspeed %2,n,8,1\r\n[BAND LIMIT]\r\n6m 50110 50000 52000\r\n")
                  .arg(QString::fromStdString(radio.devicePath()))
                  .arg(baud)
                  .toUtf8());
    MemorySettingsStore settings;
    LiveProgram program(settings, folder.path());
    if (!program.load()) {
        state.SkipWithError("the program did not start");
        return;
    }
    program.window->cmPower_Click();
    if (!isOn(program.window->st.PowerOn)) {
        state.SkipWithError("the link did not open");
        return;
    }
    Memory& m = program.window->memoryEditor();
    SheetModel& sheet = *m.F1Book1->current();
    for (auto _ : state) {
        for (int r = 1; r <= 99; ++r)
            sheet.clearCell(r, 1);
        m.cmRetrieve_Click();
        state.PauseTiming();
        for (int r = 1; r <= 99; ++r)
            if (sheet.text(r, 1).isEmpty())
                state.SkipWithError("a channel did not arrive");
        state.ResumeTiming();
    }
    state.counters["floor_s"] = 99 * Memory::kReadWait;
    program.window->Form_Unload();
}
BENCHMARK(BM_RetrieveFromTheRadio)->Arg(9600)->Arg(19200)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    quelm::bench::prepareWindowBench();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
