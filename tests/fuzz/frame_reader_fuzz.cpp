// The frame reader over the fake port and the fake clock: the input is cut into
// pieces that arrive at arbitrary times, under an arbitrary CmdDelay, with a
// memory sheet for channel answers. Drained either as the receive loop drains
// (every 10 ms, takeArrivedFrame, which must never wait) or as the memory
// editor's transfers drain (RadioReadFrame while bytes wait, which waits at
// most CmdDelay for the rest of a frame).
//
// Input: two bytes, the top bit choosing the transfers' drain and the rest
// CmdDelay in ms (up to 2 s); then pieces, each one byte of length, one byte of
// delay after the previous piece (ms), and its bytes.

#include <optional>
#include <vector>

#include "platform/fakes.h"
#include "radio_link/radio_link.h"
#include "reply_check.h"
#include "support/map_grid.h"

using namespace quelm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input in(data, size);
    FakeClock clock;
    FakeSerialPort port(&clock);
    MemorySettingsStore settings;
    const std::uint16_t head = in.u16();
    const bool transfer = head & 0x8000;
    double cmdDelay = ((head & 0x7FFF) % 2001) / 1000.0;
    int radioAddress = 0x56;
    RadioLink link(port, clock, settings, cmdDelay, radioAddress);
    MapGrid grid;
    link.setMemoryGrid(&grid);
    port.setPortOpen(true);

    qsizetype total = 0;
    double at = clock.now();
    while (!in.empty()) {
        const int length = in.byte();
        at += in.byte() / 1000.0;
        const QByteArray piece = in.take(static_cast<std::size_t>(length));
        port.queueInputAt(at, piece);
        total += piece.size();
    }
    const double lastArrival = at;

    qsizetype taken = 0;
    while (taken < total) {
        fuzzing::check(clock.now() <= lastArrival + 1.0 + (total + 1) * (cmdDelay + 0.02),
                       "the drain does not end");
        const int readsBefore = port.inputReads();
        const double t0 = clock.now();
        if (transfer) {
            // The transfers' drain: read while bytes wait.
            if (port.inBufferCount() == 0) {
                clock.advance(0.010);
                continue;
            }
            fuzzing::checkReplyText(link.RadioReadFrame());
            fuzzing::check(port.inputReads() > readsBefore, "a read that takes no byte");
            // It blocks the window for at most CmdDelay (and the slice it sleeps in).
            fuzzing::check(clock.now() - t0 <= cmdDelay + 2 * RadioLink::kSlice + 1e-9,
                           "a read that waits too long", QString::number(clock.now() - t0));
        } else {
            // The receive loop's tick: every frame that has wholly arrived, no wait.
            for (;;) {
                const int before = port.inputReads();
                const std::optional<QString> s = link.takeArrivedFrame();
                if (!s)
                    break;
                fuzzing::checkReplyText(*s);
                fuzzing::check(port.inputReads() > before, "a frame taken without a byte");
            }
            fuzzing::check(clock.now() - t0 < 1e-9, "the receive tick waited",
                           QString::number(clock.now() - t0));
            clock.advance(0.010);
        }
        taken += port.inputReads() - readsBefore;
    }
    fuzzing::check(taken == total, "bytes read that never arrived");

    for (const auto& [cell, value] : grid.cells) {
        fuzzing::check(cell.first >= 1 && cell.first <= grid.lastRow, "a channel written outside the sheet");
        fuzzing::check(cell.second >= 1 && cell.second <= 9, "a channel cell outside columns 1..9");
    }
    return 0;
}
