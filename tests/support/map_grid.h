#pragma once

// A memory sheet for the radio link's tests: cells by row and column.

#include <map>
#include <utility>
#include <variant>

#include <QString>

#include "radio_link/memory_grid.h"

class MapGrid final : public quelm::MemoryGrid {
public:
    QString cellText(int row, int col) override
    {
        const auto it = cells.find({row, col});
        if (it == cells.end())
            return {};
        if (const auto* t = std::get_if<QString>(&it->second))
            return *t;
        return QString::number(std::get<double>(it->second));
    }
    double cellNumber(int row, int col) override
    {
        const auto it = cells.find({row, col});
        if (it == cells.end())
            return 0;
        if (const auto* n = std::get_if<double>(&it->second))
            return *n;
        bool ok = false;
        const double v = std::get<QString>(it->second).toDouble(&ok);
        return ok ? v : 0;
    }
    void setCellText(int row, int col, const QString& text) override { cells[{row, col}] = text; }
    void setCellNumber(int row, int col, double number) override { cells[{row, col}] = number; }
    bool hasRow(int row) override { return row >= 1 && row <= lastRow; }

    std::map<std::pair<int, int>, std::variant<QString, double>> cells;
    int lastRow = 99;
};
