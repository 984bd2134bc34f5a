#pragma once

// The last radio state kept between runs: section "LAST" of the settings store.

#include <optional>

#include <QStringList>

#include "front_panel/operating_state.h"
#include "platform/settings_store.h"

namespace quelm {

// Reads the fifteen keys into the state. A value that is no number falls back
// to that key's first-run default, and a VFO choice other than 0 or 1 to VFO A;
// each such repair is described in `repairs` (when given).
void readSavedState(SettingsStore& store, OperatingState& st, QStringList* repairs = nullptr);

// Writes the fifteen keys. Numbers go out with a point whatever the user's
// locale, and read back exactly (14074.5 stays 14074.5).
void writeSavedState(SettingsStore& store, const OperatingState& st);

// A stored number: as written above, or else in the user's own number format.
std::optional<double> readStoredNumber(const QString& text);

} // namespace quelm
