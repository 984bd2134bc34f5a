#pragma once

// The operating state of the main window: one struct that every handler of the
// front panel shares. Names follow the window's own variables.

#include <array>

#include <QString>
#include <QStringList>

#include "operating_aids/cq_message.h"
#include "operating_aids/satellite_table.h"
#include "platform/cell.h"

namespace quelm {

// A flag of the panel: true is -1, false 0; inverting complements every bit.
using Flag = short;
constexpr Flag kTrue = -1;
constexpr Flag kFalse = 0;
inline Flag invert(Flag f) { return static_cast<Flag>(~f); }
inline bool isOn(Flag f) { return f != 0; }
inline Flag toFlag(bool b) { return b ? kTrue : kFalse; }

constexpr int kBandRows = 15;     // rows 1..15 of BandLimit

// Columns of a band row.
enum BandColumn { BandName = 1, StartQrg = 2, LowQrg = 3, HighQrg = 4 };

struct OperatingState {
    double CmdDelay = 0.0;
    Flag PowerOn = kFalse;
    int RadioAddress = 0;
    int BandIndex = 0;
    int VFOActive = 0;
    Flag SplitOn = kFalse;
    std::array<double, 2> VFOQrg{};
    std::array<QString, 2> VFOModo{};
    std::array<double, 2> VFOStep{};
    SatTableCells SatTable{};
    std::array<std::array<Cell, 5>, kBandRows + 1> BandLimit{};
    std::array<std::array<double, 6>, kBandRows + 1> MemoPad{};
    // The frequency before a typed entry, until the radio answers that entry:
    // its OK or a frequency report drops it, its NG puts it back.
    double PrevQrg = 0.0;
    Flag TXOn = kFalse;
    Flag CompOn = kFalse;
    Flag MonitorOn = kFalse;
    Flag NROn = kFalse;
    Flag NBOn = kFalse;
    Flag NotchOn = kFalse;
    Flag RitOn = kFalse;
    int AGCMode = 0;
    int DuplexMode = 0;
    CQMessages CQMsg{};
};

} // namespace quelm
