#pragma once

// Bank files: one sheet of the memory editor per file "MEM_<bank>.ini" in the
// program folder, one line per row, the cells' texts joined by "," and ended
// by CR LF, in Latin-1. The radio bank "Quelm" always has 99 lines of nine
// fields (line n = channel n); a user bank has one line of three fields for
// each row whose frequency (column 2) is not empty, in row order.
//
// Pure functions: no folder, no widget. The loader takes a file's bytes and
// gives the cells plus a note for everything that a save of the sheet would
// not write back, so that a damaged file never stops the program and a file
// the sheet cannot hold is never cut down unasked.

#include <functional>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/cell.h"

namespace quelm::bank {

inline const QString kRadioBank = QStringLiteral("Quelm");
constexpr int kRadioRows = 99;
constexpr int kRadioColumns = 9;
constexpr int kUserRows = 150;
constexpr int kUserColumns = 3;

// Exactly "Quelm": "quelm" or "Quelm " are user banks.
inline bool isRadioBank(const QString& name) { return name == kRadioBank; }
inline int rowsOf(const QString& name) { return isRadioBank(name) ? kRadioRows : kUserRows; }
inline int columnsOf(const QString& name) { return isRadioBank(name) ? kRadioColumns : kUserColumns; }

// The sheet a bank file is read into and written from.
struct Layout {
    int columns = kUserColumns;
    int rows = kUserRows;
    // Saving writes only the rows whose frequency (column 2) is not empty, as
    // a user bank does; the radio bank writes every row.
    bool packed = true;
};
inline Layout layoutOf(const QString& name) { return {columnsOf(name), rowsOf(name), !isRadioBank(name)}; }

// "MEM_" + bank + ".ini".
QString fileName(const QString& bank);

// The bank files among a folder's file names, in name order, and the names
// that look like bank files ("MEM*.ini" in any letter case) but cannot be one,
// each with why.
struct Listing {
    struct File {
        QString fileName;
        QString bank;
    };
    std::vector<File> files;
    QStringList skipped;
};
Listing listBankFiles(const QStringList& fileNames);

// The cells of a bank file: rows[r][c] is row r + 1, column c + 1 (the empty
// value for an empty field). Every line takes a row, an empty one too.
struct Contents {
    std::vector<std::vector<Cell>> rows;
    QStringList notes;
};
// Reads `bytes` into a sheet of that layout: fields 2 and 5 become numbers
// (plain decimal with a point), the others texts. A note tells of everything
// the next save would not write back: a number field that is no number, fields
// past the sheet's columns, lines past its last row (empty lines at the end
// need none) and, in a packed sheet, lines with text but no frequency. A field
// of blanks holds nothing worth a note. Lines may end in CR LF, LF or CR.
Contents readBank(const QByteArray& bytes, const Layout& sheet);

// The file for a sheet: `text(row, col)` gives a cell's text. A comma, CR or
// LF inside a text is written as a blank, so no line splits wrongly on reading.
QByteArray writeBank(const QString& bank, const std::function<QString(int row, int col)>& text);

} // namespace quelm::bank
