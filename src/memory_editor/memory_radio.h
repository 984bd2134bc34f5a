#pragma once

// What the memory editor asks of the main window: the channel commands, the
// frame reader for the drains, the receive count, and the tune to a row. The
// main window gives it one (front_panel/memory_key.cpp); tests give a fake.

#include <QString>

namespace quelm {

class MemoryRadio {
public:
    virtual ~MemoryRadio() = default;
    // Whether the link to the radio is open; transfers and tuning need it.
    virtual bool linkOpen() = 0;
    // Asks for channel Mem; the answer comes in through the frame reader.
    virtual void RadioReadMemory(int Mem) = 0;
    // Sends row Mem of the editor's sheet as channel Mem.
    virtual void RadioSetMemory(int Mem) = 0;
    // Takes one frame from the line (a channel answer goes into the sheet).
    virtual QString RadioReadFrame() = 0;
    // Bytes received and not yet read; 0 while the link is closed.
    virtual int InBufferCount() = 0;
    // Tunes to fa kHz in mode ma; fb and mb are not used.
    virtual void SettoMemoria(double fa, const QString& ma, double fb, const QString& mb) = 0;
};

} // namespace quelm
