#pragma once

// The memory editor's spreadsheet grid: a book of named sheets (SheetModel),
// one shown at a time in a table with row and column headings, sheet tabs
// beneath. Sheets, rows and columns count from 1; row 0 and column 0 are the
// headings.
//
// Besides the cells it offers what the editor drives a spreadsheet by: the
// selection and the active cell, the look of the selection, in-cell editing
// with a start-edit notification that can cancel, and notifications of cell
// clicks (column 0: a row heading; row 0 and column 0: the corner), mouse
// presses and releases anywhere on the grid, and a double click on a sheet tab.

#include <functional>
#include <vector>

#include <QWidget>

#include "memory_editor/sheet_model.h"

class QTabBar;

namespace quelm {

class SheetView;

class SheetBook : public QWidget {
    Q_OBJECT
public:
    // A selection by row headings reports this last column, one by column
    // headings this last row: whole rows and whole columns of the grid.
    static constexpr int kWholeRowLastCol = 256;
    static constexpr int kWholeColLastRow = 16384;

    struct Selection {
        int firstRow = 1;
        int firstCol = 1;
        int lastRow = 1;
        int lastCol = 1;
        bool operator==(const Selection&) const = default;
    };

    explicit SheetBook(QWidget* parent = nullptr);
    ~SheetBook() override;

    // ---- Sheets
    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    // A larger count appends empty sheets at the end; a smaller one is ignored.
    void setSheetCount(int count);
    int currentSheet() const { return current_; }
    void setCurrentSheet(int sheet);
    SheetModel* sheet(int sheet) const;
    SheetModel* current() const { return sheet(current_); }
    QString sheetName(int sheet) const;
    // Names the sheet as told (the loader's names come from their files).
    void setSheetName(int sheet, const QString& name);
    // Why `name` cannot be the name of sheet `sheet`: empty, already another
    // sheet's (letter case aside: the sheet names become file names), or
    // holding a character a file name cannot hold. Empty when it can.
    QString sheetNameProblem(int sheet, const QString& name) const;
    // Renames after the check above; false (with the reason) leaves the name.
    bool renameSheet(int sheet, const QString& name, QString* why = nullptr);
    // `count` empty sheets before sheet `position` (sheetCount() + 1: at the end).
    bool insertSheets(int position, int count, QString* why = nullptr);
    // Removes one sheet; the last remaining sheet cannot go.
    bool deleteSheet(int sheet, QString* why = nullptr);
    // Back to the empty book: one empty sheet, as the window first has it.
    void reset();

    // ---- Current sheet: selection, active cell, look of the selection
    Selection selection() const;
    void select(int row1, int col1, int row2, int col2);
    int activeRow() const;
    int activeCol() const;
    void setActiveCell(int row, int col);
    void setActiveRow(int row);  // the active column stays
    void setActiveCol(int col);  // the active row stays
    void setActiveCellText(const QString& text);
    void setSelectionNumberFormat(const QString& format);
    void setSelectionAlignment(Qt::Alignment horizontal);
    void setSelectionLocked(bool locked);
    void setColumnWidth(int col, int units);

    // Takes an open cell editor's text into its cell, as leaving the cell would.
    void finishEditing();
    // Starts in-cell editing of the active cell (after the start-edit
    // notification, which may cancel it; a locked cell never edits).
    void startEdit();

    // Called before typing starts in a cell, with the cell's edit text; setting
    // cancel keeps the cell from being edited.
    std::function<void(QString& editText, bool& cancel)> onStartEdit;
    // Characters typing may not put into a text cell (the number cells take
    // only a number). Unset, every character is taken.
    void setEntryFilter(std::function<bool(QChar)> accepts);
    const std::function<bool(QChar)>& entryFilter() const { return entryFilter_; }

    // The pointer shown over the grid.
    void setPointer(Qt::CursorShape shape);

    SheetView* view() const { return view_; }
    QTabBar* tabs() const { return tabs_; }

    // Pixels of a column `units` wide.
    int unitsToPixels(int units) const;

signals:
    void cellClick(int row, int col);
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void tabDoubleClicked(int sheet);
    void currentSheetChanged(int sheet);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSheet(int sheet);
    void applyWidths();
    QString freeDefaultName() const;
    void syncTabs();

    std::vector<SheetModel*> sheets_;
    int current_ = 0;
    SheetView* view_ = nullptr;
    QTabBar* tabs_ = nullptr;
    std::function<bool(QChar)> entryFilter_;
    bool syncing_ = false;
};

} // namespace quelm
