#pragma once

// The two conversions of a virtual satellite row: the radio's frequency to the
// frequency on the satellite side (for display) and back (for entry). A row
// whose sense text is exactly "N" is a non-inverting transponder; any other
// text is inverting. Pure arithmetic on kHz, in the grouping the table defines.

#include <array>
#include <optional>

#include <QStringView>

#include "operating_aids/satellite_table.h"
#include "platform/cell.h"

namespace quelm::sat {

// A frequency cell as a number: a number as itself, a text by the decimal
// reader, the empty value as 0.
double cellKHz(const Cell& cell);

bool isNonInverting(const SatRowCells& row);

// Radio frequency to the satellite side.
double displayConversion(const SatRowCells& row, double radioKHz);

// Satellite-side frequency to the radio.
double entryConversion(const SatRowCells& row, double satelliteKHz);

// The entry box's text as a frequency: a point or the user's decimal separator
// marks the decimals, and where both appear the last does and the other groups,
// so a frequency shown as "435,150.00" reads back as itself and "435150.5" is the
// same frequency under every desktop language. A text that is no number (empty,
// two decimal points, a lone minus sign) gives nothing.
std::optional<double> typedKHz(QStringView typed);

// What the entry box tunes: its text read as above, converted to the radio's
// frequency; nothing to tune for a text that is no number.
std::optional<double> entryFrequency(const SatRowCells& row, QStringView typed);

// The entry box's key filter: the digits, the control keys, the blank and the
// characters "!" to "." pass (comma, point and minus among them); every code
// above "." that is not a digit is dropped.
bool entryKeyPasses(int code);

} // namespace quelm::sat
