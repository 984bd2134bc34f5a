#pragma once

// The virtual-satellite table of the settings file: up to 31 rows of seven cells.

#include <array>

#include "platform/cell.h"

namespace quelm {

constexpr int kSatRows = 31;      // rows 0..30 of SatTable

// Columns of a satellite row.
enum SatColumn { SatSense = 0, SatQrgLow = 1, SatQrgHigh = 2, TrxQrgAtHigh = 3, TrxQrgAtLow = 4,
                 SatModeFlag = 5, SatModo = 6 };

namespace sat {
// Columns 0..6 of one row: sense, satellite low, satellite high, radio at high,
// radio at low, mode flag, mode.
using SatRowCells = std::array<Cell, 7>;
} // namespace sat

using SatTableCells = std::array<sat::SatRowCells, kSatRows>;

} // namespace quelm
