#pragma once

// Window placement kept between runs: "X", "Y", "W", "H" in twips (15 to the
// pixel) under the application "Quelm", one section per window.

#include <QString>

class QWidget;

namespace quelm {

class SettingsStore;

constexpr int kTwipsPerPixel = 15;

// Puts the window where it was last closed in the normal state; a missing or
// unreadable value keeps the window's current edge or size.
void RestoreFormPos(QWidget& frm, SettingsStore& store, const QString& Section);
// Stores the placement, unless the window is minimised or maximised.
void SaveFormPos(QWidget& frm, SettingsStore& store, const QString& Section);

} // namespace quelm
