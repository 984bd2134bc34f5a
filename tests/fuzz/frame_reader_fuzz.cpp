// RadioReadFrame over the fake port and the fake clock, drained as the receive
// loop drains it: the input is cut into pieces that arrive at arbitrary times,
// under an arbitrary CmdDelay, with a memory sheet for channel answers.
//
// Input: two bytes of CmdDelay (ms, up to 2 s), then pieces, each one byte of
// length, one byte of delay after the previous piece (ms), and its bytes.

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
    double cmdDelay = (in.u16() % 2001) / 1000.0;
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

    // The receive loop: every 10 ms, while bytes wait, one frame at a time.
    qsizetype taken = 0;
    while (taken < total) {
        fuzzing::check(clock.now() <= lastArrival + 1.0 + total * (cmdDelay + 0.01),
                       "the drain does not end");
        if (port.inBufferCount() == 0) {
            clock.advance(0.010);
            continue;
        }
        const int readsBefore = port.inputReads();
        const double t0 = clock.now();
        fuzzing::checkReplyText(link.RadioReadFrame());
        const int read = port.inputReads() - readsBefore;
        fuzzing::check(read >= 1, "a read that takes no byte");
        fuzzing::check(read <= RadioLink::kFrameSlots, "a read past the frame buffer");
        // A read blocks the window for at most CmdDelay (and the slice it sleeps in).
        fuzzing::check(clock.now() - t0 <= cmdDelay + 2 * RadioLink::kSlice + 1e-9, "a read that waits too long",
                       QString::number(clock.now() - t0));
        taken += read;
    }
    fuzzing::check(taken == total, "bytes read that never arrived");

    for (const auto& [cell, value] : grid.cells) {
        fuzzing::check(cell.first >= 1 && cell.first <= grid.lastRow, "a channel written outside the sheet");
        fuzzing::check(cell.second >= 1 && cell.second <= 9, "a channel cell outside columns 1..9");
    }
    return 0;
}
