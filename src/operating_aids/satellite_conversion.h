#pragma once

// The two conversions of a virtual satellite row: the radio's frequency to the
// frequency on the satellite side (for display) and back (for entry). A row
// whose sense text is exactly "N" is a non-inverting transponder; any other
// text is inverting. Pure arithmetic on kHz, in the grouping the table defines.

#include <array>
#include <optional>

#include <QStringView>

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

// What the entry box tunes: its text read as a number in the user's format
// (group separators accepted, so a frequency shown as "435,150.00" reads back
// as itself), converted to the radio's frequency. A text that is no number
// (empty, two decimal points, a lone minus sign) gives nothing to tune.
std::optional<double> entryFrequency(const SatRowCells& row, QStringView typed);

// The entry box's key filter: the digits, the control keys, the blank and the
// characters "!" to "." pass (comma, point and minus among them); every code
// above "." that is not a digit is dropped.
bool entryKeyPasses(int code);

} // namespace quelm::sat
