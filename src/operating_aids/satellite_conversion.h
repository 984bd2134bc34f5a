#pragma once

// The two conversions of a virtual satellite row: the radio's frequency to the
// frequency on the satellite side (for display) and back (for entry). A row
// whose sense text is exactly "N" is a non-inverting transponder; any other
// text is inverting. Pure arithmetic on kHz, in the grouping the table defines.

#include <array>

#include "platform/cell.h"

namespace quelm::sat {

// Columns 0..6 of one row: sense, satellite low, satellite high, radio at high,
// radio at low, mode flag, mode.
using SatRowCells = std::array<Cell, 7>;

// A frequency cell as a number: a number as itself, a text by the decimal
// reader, the empty value as 0.
double cellKHz(const Cell& cell);

bool isNonInverting(const SatRowCells& row);

// Radio frequency to the satellite side.
double displayConversion(const SatRowCells& row, double radioKHz);

// Satellite-side frequency to the radio.
double entryConversion(const SatRowCells& row, double satelliteKHz);

} // namespace quelm::sat
