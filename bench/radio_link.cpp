// How fast the radio link builds and reads frames: the codec alone, and the
// frame reader draining a burst from the fake serial port.

#include <array>
#include <span>

#include <benchmark/benchmark.h>

#include "platform/fakes.h"
#include "radio_link/civ_codec.h"
#include "radio_link/radio_link.h"

using namespace quelm;

namespace {

constexpr int kRadio = 0x56;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

void BM_EncodeFrequencyFrame(benchmark::State& state)
{
    double kHz = 14074.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(civ::setFreqFrame(kRadio, kHz));
        kHz += 0.01;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeFrequencyFrame);

void BM_EncodeMixedFrames(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(civ::setModeFrame(kRadio, QStringLiteral("RTTY-R")));
        benchmark::DoNotOptimize(civ::levelFrame(kRadio, QStringLiteral("cmNotchLevel"), 128));
        benchmark::DoNotOptimize(civ::onOffFrame(kRadio, QStringLiteral("NOTCH"), true, std::nullopt));
        benchmark::DoNotOptimize(civ::readSFrame(kRadio));
    }
    state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_EncodeMixedFrames);

void BM_EncodeChannelFrame(benchmark::State& state)
{
    civ::ChannelRow row;
    row.text[1] = QStringLiteral("Repeater");
    row.text[3] = QStringLiteral("FM");
    row.text[5] = QStringLiteral("145600");
    row.text[8] = QStringLiteral("DUP-");
    row.text[9] = QStringLiteral("Yes");
    row.number[2] = 145500;
    row.number[4] = 88.5;
    row.number[5] = 145600;
    for (auto _ : state)
        benchmark::DoNotOptimize(civ::setChannelFrame(kRadio, 12, row));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeChannelFrame);

civ::Decoded decode(const QByteArray& f)
{
    const auto* p = reinterpret_cast<const unsigned char*>(f.constData());
    return civ::decodeFrame(std::span(p, static_cast<std::size_t>(f.size())), static_cast<int>(f.size()) - 1, kRadio);
}

void BM_DecodeFrames(benchmark::State& state)
{
    const std::array<QByteArray, 4> frames = {
        hex("FE FE E0 56 03 00 00 05 07 00 FD"),
        hex("FE FE 00 56 01 01 02 FD"),
        hex("FE FE E0 56 15 02 01 20 FD"),
        hex("FE FE 56 E0 03 FD"),
    };
    for (auto _ : state) {
        for (const auto& f : frames)
            benchmark::DoNotOptimize(decode(f));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(frames.size()));
}
BENCHMARK(BM_DecodeFrames);

void BM_DecodeChannelFrame(benchmark::State& state)
{
    civ::ChannelRow row;
    row.text[1] = QStringLiteral("Repeater");
    row.text[3] = QStringLiteral("FM");
    row.number[2] = 145500;
    QByteArray f = civ::setChannelFrame(kRadio, 12, row);
    f[2] = static_cast<char>(0xE0);
    f[3] = static_cast<char>(kRadio);
    for (auto _ : state)
        benchmark::DoNotOptimize(decode(f));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeChannelFrame);

// 1,000 replies waiting in the port, drained one RadioReadFrame per frame as the
// receive loop does while bytes are waiting.
void BM_ReadFrameBurst(benchmark::State& state)
{
    FakeClock clock;
    FakeSerialPort port(&clock);
    port.setPortOpen(true);
    MemorySettingsStore settings;
    const double cmdDelay = 0.1;
    const int address = kRadio;
    RadioLink link(port, clock, settings, cmdDelay, address);
    const std::array<QByteArray, 4> kinds = {
        hex("FE FE E0 56 03 00 00 05 07 00 FD"),
        hex("FE FE 56 E0 15 02 FD"),
        hex("FE FE E0 56 15 02 01 20 FD"),
        hex("FE FE E0 56 FB FD"),
    };
    QByteArray burst;
    for (int i = 0; i < 1000; ++i)
        burst += kinds[static_cast<std::size_t>(i) % kinds.size()];
    for (auto _ : state) {
        state.PauseTiming();
        port.queueInput(burst);
        state.ResumeTiming();
        int frames = 0;
        while (port.inBufferCount() > 0) {
            benchmark::DoNotOptimize(link.RadioReadFrame());
            ++frames;
        }
        if (frames != 1000)
            state.SkipWithError("the burst did not give 1,000 frames");
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ReadFrameBurst)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
