#pragma once

// The CI-V link to the radio: every frame the program sends and the frame reader.
// The frames themselves are built and decoded by the pure codec (civ_codec.h);
// this class writes them to the serial port and waits as the radio link must.
// Display and state steps of the senders belong to the main window Quelm, which
// calls these for the bytes on the wire.

#include <optional>

#include <QByteArray>
#include <QString>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "radio_link/memory_grid.h"

namespace quelm {

class RadioLink {
public:
    // cmdDelay and radioAddress are the window's own operating values, read live.
    RadioLink(SerialPort& port, Clock& clock, SettingsStore& settings, const double& cmdDelay,
              const int& radioAddress);

    SerialPort& port() { return port_; }

    // Writes one frame in one piece, then WaitOutBuffEmpty.
    void writeFrame(const QByteArray& frame);
    // Until the port's output buffer is empty or CmdDelay has passed; serves no events.
    void WaitOutBuffEmpty();

    // Frame 05 with the frequency (kHz, already raised to 0 by the caller), then the
    // output wait and a further CmdDelay serving no events.
    void sendSetFreq(double kHz);
    void sendSetMode(const QString& modo);       // 06
    void sendSetVFO(const QString& vfo);         // 07
    void sendSetStep(double stepHz);             // 10
    void sendReadFreq();                         // 03
    void sendReadMode();                         // 04
    void sendSetRXTX(bool transmit);             // 1C 00
    // True from the moment a transmit command is handed to the port until a
    // receive command has gone out whole: the radio may then be on the air,
    // whoever keyed it (the TX key, the CQ caller).
    bool mayBeKeyed() const { return mayBeKeyed_; }
    void sendSetSplit(bool split);               // 0F 00/01
    void sendSetDuplex(const QString& tipo);     // 0F 10/11/12
    void sendReadS();                            // 15 02
    // Stores the level under "Slider"/what first, then frame 14.
    void ChangeSet(const QString& what, int value);
    // The storing step of ChangeSet alone: the level as number text under "Slider".
    void storeLevel(const QString& what, int value);
    // 16; "RIT" sends nothing (the radio keeps its own RIT state).
    void sendSetOnOff(const QString& what, bool value, std::optional<int> value2 = std::nullopt);
    void sendReadMemoryKeyer(int mem);                            // 1A 02 mem
    void sendSetMemoryKeyer(int mem, const QByteArray& buffer);   // 1A 02 mem text
    void sendReadMemory(int channel);                             // 1A 00 channel
    // Builds the channel frame from row `channel` of the current sheet of the grid.
    // Without a grid, or for a row the grid does not have, nothing is sent: an
    // empty row would wipe the radio's channel.
    void sendSetMemory(int channel);

    // Takes one frame from the port and returns its ReplyText, waiting (serving
    // no events) up to CmdDelay for the rest of a frame that has begun to
    // arrive. A serial failure (SerialError) goes back to the caller.
    QString RadioReadFrame();

    // The frame reader for the receive tick, which must never wait: the
    // ReplyText of the next frame once it has wholly arrived (its end byte is
    // in, or as many bytes as a frame can hold); nullopt while nothing waits or
    // the rest of a frame is still on its way, which a later call takes. Bytes
    // are never dropped or reordered: a frame whose end byte has not come
    // CmdDelay after a call first saw it is taken as it stands and gives "00:",
    // as RadioReadFrame's wait would. A serial failure goes back to the caller.
    std::optional<QString> takeArrivedFrame();

    // Where received memory channels are written, and the rows RadioSetMemory reads:
    // the memory editor's current sheet. Until one is set, nothing receives them.
    void setMemoryGrid(MemoryGrid* grid) { grid_ = grid; }
    MemoryGrid* memoryGrid() const { return grid_; }

    // Length of one sleep inside the serial waits.
    static constexpr double kSlice = 0.001;
    // Positions 0 .. kFrameSlots-1 of one received frame; a flood without FD
    // stops there and gives "00:".
    static constexpr int kFrameSlots = 1001;

private:
    void quietWait(double seconds);
    // One frame, waiting up to maxWait seconds for its end byte.
    QString readFrame(double maxWait);

    SerialPort& port_;
    Clock& clock_;
    SettingsStore& settings_;
    const double& cmdDelay_;
    const int& radioAddress_;
    MemoryGrid* grid_ = nullptr;
    // takeArrivedFrame: when it first saw the frame now arriving, and when it
    // last looked. After a long gap (the link closed and opened again, or the
    // window thread held elsewhere) a partial frame is seen afresh.
    std::optional<double> partialSince_;
    std::optional<double> lastLook_;
    bool partialRestarted_ = false; // partialSince_ was set afresh once already
    bool mayBeKeyed_ = false;
};

} // namespace quelm
