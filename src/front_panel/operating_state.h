#pragma once

// The operating state of the main window: one struct that every handler of the
// front panel shares. Names follow the window's own variables.

#include <array>

#include <QString>
#include <QStringList>

#include "platform/cell.h"

namespace quelm {

// A flag of the panel: true is -1, false 0; inverting complements every bit.
using Flag = short;
constexpr Flag kTrue = -1;
constexpr Flag kFalse = 0;
inline Flag invert(Flag f) { return static_cast<Flag>(~f); }
inline bool isOn(Flag f) { return f != 0; }
inline Flag toFlag(bool b) { return b ? kTrue : kFalse; }

struct CQMessage {
    QString Title;
    QString WavFile;
    QString PauseSec;
};

constexpr int kBandRows = 15;     // rows 1..15 of BandLimit
constexpr int kCQEntries = 21;    // entries 0..20 of CQMsg
constexpr int kSatRows = 31;      // rows 0..30 of SatTable

// Columns of a band row.
enum BandColumn { BandName = 1, StartQrg = 2, LowQrg = 3, HighQrg = 4 };
// Columns of a satellite row.
enum SatColumn { SatSense = 0, SatQrgLow = 1, SatQrgHigh = 2, TrxQrgAtHigh = 3, TrxQrgAtLow = 4,
                 SatModeFlag = 5, SatModo = 6 };

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
    std::array<std::array<Cell, 7>, kSatRows> SatTable{};
    std::array<std::array<Cell, 5>, kBandRows + 1> BandLimit{};
    std::array<std::array<double, 6>, kBandRows + 1> MemoPad{};
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
    std::array<CQMessage, kCQEntries> CQMsg{};
};

} // namespace quelm
