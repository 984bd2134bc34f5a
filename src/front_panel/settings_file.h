#pragma once

// The settings file "quelm.ini": band limits, serial port and line settings,
// CQ messages and the satellite table, read once at start-up.

#include <array>
#include <optional>

#include <QString>
#include <QStringList>

#include "front_panel/operating_state.h"

namespace quelm {

struct SettingsFile {
    // False when the file could not be opened or read; `error` names its full path.
    bool ok = false;
    QString error;

    std::array<std::array<Cell, 5>, kBandRows + 1> BandLimit{};
    CQMessages CQMsg{};
    SatTableCells SatTable{};
    // The satellites' names, in row order, for the satellite list.
    QStringList satelliteNames;

    // The port and line settings to hand to the serial port; unset keeps its preset.
    // At most one of portNumber / portPath is set: the last valid "port" line wins.
    std::optional<int> portNumber;
    std::optional<QString> portPath;
    std::optional<QString> speed;

    // Lines that were not taken, each explained for the operator.
    QStringList warnings;
};

// The settings file of a program folder, by its full path: what the program
// reads and what the operator is told to edit.
QString settingsFilePath(const QString& programFolder);

// Reads the file at `path`. Never throws; a missing or unreadable file gives ok false.
SettingsFile readSettingsFile(const QString& path);

// The same rules applied to text already read (one call per whole file).
SettingsFile parseSettingsText(const QString& text, const QString& fileName);

// The file's bytes as they were read: UTF-8 where they are valid UTF-8, else
// the single-byte Latin-1 code page; then the rules above.
SettingsFile parseSettingsBytes(const QByteArray& bytes, const QString& fileName);

} // namespace quelm
