#pragma once

// Window placement kept between runs: "X", "Y", "W", "H" in twips (15 to the
// pixel) under the application "Quelm", one section per window.

#include <QString>

class QWidget;

namespace quelm {

class SettingsStore;

constexpr int kTwipsPerPixel = 15;

// Puts the window where it was last closed in the normal state: the stored
// values are its outer (frame) edges and size. A value missing, unreadable or
// beyond any screen keeps the window's current edge or client size. A placement
// the screens attached now cannot reach, or larger than the screen it is on, is
// brought onto that screen (withinReach). The frame a window manager adds is
// known only once the window is shown; the stored size is then given to the
// frame, not the client.
void RestoreFormPos(QWidget& frm, SettingsStore& store, const QString& Section);
// Stores the placement, unless the window is minimised or maximised.
void SaveFormPos(QWidget& frm, SettingsStore& store, const QString& Section);

} // namespace quelm
