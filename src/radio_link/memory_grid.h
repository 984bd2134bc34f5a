#pragma once

#include <QString>

namespace quelm {

// The memory editor's current sheet as the radio link sees it: cells by row
// (channel) and column 1..9 (Description, RX, Mode, Subtone, TX, Mode, Subtone,
// DUP, Scan). The number of a cell holding other text or nothing is 0.
class MemoryGrid {
public:
    virtual ~MemoryGrid() = default;
    virtual QString cellText(int row, int col) = 0;
    virtual double cellNumber(int row, int col) = 0;
    virtual void setCellText(int row, int col, const QString& text) = 0;
    virtual void setCellNumber(int row, int col, double number) = 0;
    // Whether `row` is a row of the sheet; a received channel for any other row is
    // dropped, and no channel is sent from it.
    virtual bool hasRow(int row) { return row >= 1; }
};

} // namespace quelm
