#pragma once

// One sheet of the memory editor's spreadsheet grid: cells by row and column
// (both from 1), each holding a text, a number or nothing, with a look of its
// own (number format, alignment, locking), column headings and widths.
//
// Cell views, which the bank files and the channel frames rely on:
//  - the text of a number cell is its plain decimal number: "." as the point,
//    no grouping, never the displayed format (7050.5, not 7,050.50);
//  - a text that reads as a plain decimal number ("88.5", " 145750") gives
//    the cell that number for number reads; the text itself stays as written;
//  - any other text ("none") and an empty cell read as the number 0.

#include <vector>

#include <QAbstractTableModel>
#include <QString>

#include "platform/cell.h"

namespace quelm {

class SheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The one number format the grid draws; any other format text shows numbers plainly.
    static inline const QString kFixed2 = QStringLiteral("###,###.00");
    // Column widths are in the grid's own unit: 1/256 of the width of a digit.
    static constexpr int kDefaultWidth = 9 * 256;

    explicit SheetModel(const QString& name, QObject* parent = nullptr);

    QString name() const { return name_; }
    void setName(const QString& name) { name_ = name; }

    // Rows and columns in use: what the sheet shows and holds. Shrinking drops
    // the cells beyond; cells past them cannot be written.
    int maxRow() const { return rows_; }
    int maxCol() const { return cols_; }
    void setMaxRow(int rows);
    void setMaxCol(int cols);
    bool contains(int row, int col) const { return row >= 1 && row <= rows_ && col >= 1 && col <= cols_; }

    // ---- Cell views (a cell outside the sheet reads as empty; writing it does nothing)
    QString text(int row, int col) const;
    double number(int row, int col) const;
    const Cell& value(int row, int col) const;
    // The empty text empties the cell.
    void setText(int row, int col, const QString& text);
    void setNumber(int row, int col, double number);
    void clearCell(int row, int col);
    // What the cell shows: a number cell in the fixed format as "###,###.00"
    // with the user's separators, other numbers and texts as they read.
    QString shownText(int row, int col) const;
    // Whether the text reads as a plain decimal number, and as which.
    static bool readsAsNumber(const QString& text, double* value = nullptr);

    // ---- Look of a block of cells (clipped to the sheet)
    void setNumberFormat(int row1, int col1, int row2, int col2, const QString& format);
    void setAlignment(int row1, int col1, int row2, int col2, Qt::Alignment horizontal);
    void setLocked(int row1, int col1, int row2, int col2, bool locked);
    QString numberFormat(int row, int col) const;
    Qt::Alignment alignment(int row, int col) const;
    bool locked(int row, int col) const;
    bool isFixed2(int row, int col) const;

    QString columnHeading(int col) const;
    void setColumnHeading(int col, const QString& text);
    int columnWidth(int col) const;
    void setColumnWidth(int col, int units);

    // ---- Moving cells within columns col1..col2
    // Rows row1..row2 become empty and the cells from row1 down move down by
    // their count; cells pushed past the last row are lost (callers check
    // first with rowsEmpty). The new cells take the look of the row above.
    void insertRange(int row1, int col1, int row2, int col2);
    // Rows row1..row2 go; the cells below move up; the rows freed at the
    // bottom are empty with the grid's default look.
    void deleteRange(int row1, int col1, int row2, int col2);
    bool rowsEmpty(int row1, int row2, int col1, int col2) const;

    // ---- Qt model
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // Column headings or widths changed: the view lays the sheet out again.
    void layoutChangedByFormat();

private:
    struct Look {
        QString numberFormat;
        Qt::Alignment horizontal{};  // none set: texts left, numbers right
        bool locked = true;
    };
    struct Slot {
        Cell value;
        Look look;
    };

    Slot& at(int row, int col) { return cells_[static_cast<std::size_t>((row - 1) * cols_ + (col - 1))]; }
    const Slot& at(int row, int col) const
    {
        return cells_[static_cast<std::size_t>((row - 1) * cols_ + (col - 1))];
    }
    void resize(int rows, int cols);
    template <typename F>
    void forBlock(int row1, int col1, int row2, int col2, F f);
    void changed(int row1, int col1, int row2, int col2);

    QString name_;
    int rows_ = 0;
    int cols_ = 0;
    std::vector<Slot> cells_;
    std::vector<QString> headings_;  // by column - 1
    std::vector<int> widths_;        // by column - 1; 0 = default
};

} // namespace quelm
