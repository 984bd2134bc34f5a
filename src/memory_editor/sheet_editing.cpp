// Editing around the grid's own cell editing: adding, deleting and renaming
// banks, the row commands of user banks, the right-button lists that write a
// chosen value into every selected row, the typing guard of the list columns,
// and a click that puts a cell straight into editing.

#include <QInputDialog>
#include <QMenu>

#include "memory_editor/bank_file.h"
#include "memory_editor/column_list.h"
#include "memory_editor/memory.h"

namespace quelm {

namespace {

// The columns filled from lists only: Mode, Subtone, Mode, Subtone, DUP, Scan.
bool listColumn(int col)
{
    return col == 3 || col == 4 || col == 6 || col == 7 || col == 8 || col == 9;
}

constexpr int kTxColumn = 5;

} // namespace

// ---- Banks

void Memory::cmadd_Click()
{
    if (!loaded_)
        return;
    F1Book1->insertSheets(1, 1);
    F1Book1->setCurrentSheet(1);
    short sn = 1;
    FormatSheet(sn);
    // Every bank writes its own file: the lowest "bank N" that no other sheet
    // has and no file in the folder has either (one the load could not read,
    // or one whose sheet was deleted), so a save writes over nothing.
    QString name;
    for (int n = 1; name.isEmpty(); ++n) {
        const QString candidate = QStringLiteral("bank %1").arg(n);
        if (F1Book1->sheetNameProblem(1, candidate).isEmpty() && bankFileOf(candidate).isEmpty())
            name = candidate;
    }
    F1Book1->setSheetName(1, name);
    setRadioItemsVisible(false);
}

void Memory::cmDelete_Click()
{
    if (!loaded_)
        return;
    QString why;
    if (!F1Book1->deleteSheet(F1Book1->currentSheet(), &why)) {
        platform_.messages.warning(why);
        return;
    }
    if (!bank::isRadioBank(F1Book1->sheetName(F1Book1->currentSheet())))
        setRadioItemsVisible(false);
}

bool Memory::renameBank(int sheet, const QString& name, QString* why)
{
    QString problem;
    const QString old = F1Book1->sheetName(sheet);
    SheetModel* s = F1Book1->sheet(sheet);
    if (!s)
        problem = QStringLiteral("There is no such bank.");
    else if (bank::isRadioBank(old) && name != old)
        problem = QStringLiteral("The radio bank keeps its name \"%1\": its rows are the radio's channels.").arg(old);
    else if (bank::isRadioBank(name) && !s->rowsEmpty(bank::kRadioRows + 1, s->maxRow(), 1, s->maxCol()))
        problem = QStringLiteral("The radio has %1 channels; empty rows %2 to %3 first to make this bank the radio "
                                 "bank.")
                      .arg(bank::kRadioRows)
                      .arg(bank::kRadioRows + 1)
                      .arg(s->maxRow());
    else
        problem = F1Book1->sheetNameProblem(sheet, name);
    // A name whose file lies in the folder would have the next save replace
    // that file unasked.
    if (problem.isEmpty() && name != old)
        problem = fileTakenProblem(s, name);
    const bool renamed = problem.isEmpty() && F1Book1->renameSheet(sheet, name, &problem);
    if (renamed && bank::isRadioBank(name) && !bank::isRadioBank(old)) {
        // A user bank named "Quelm" becomes the radio bank, with its layout.
        F1Book1->setCurrentSheet(sheet);
        FormatQuelm();
    }
    if (why)
        *why = problem;
    return problem.isEmpty();
}

void Memory::askForName(int sheet)
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Rename bank"),
                                               QStringLiteral("New name of the bank (its file is MEM_<name>.ini):"),
                                               QLineEdit::Normal, F1Book1->sheetName(sheet), &ok);
    QString why;
    if (ok && !renameBank(sheet, name, &why))
        platform_.messages.warning(why);
}

// ---- Rows (user banks only: the radio bank's rows are its channels)

bool Memory::onUserBank() const
{
    return loaded_ && !bank::isRadioBank(F1Book1->sheetName(F1Book1->currentSheet()));
}

void Memory::insertRows(int first, int last)
{
    SheetModel* sheet = F1Book1->current();
    const int count = last - first + 1;
    if (first > sheet->maxRow()) {
        platform_.messages.warning(
            QStringLiteral("A bank has %1 rows; there is no room after the last one.").arg(sheet->maxRow()));
        return;
    }
    if (!sheet->rowsEmpty(sheet->maxRow() - count + 1, sheet->maxRow(), 1, bank::kUserColumns)) {
        platform_.messages.warning(QStringLiteral("Adding %1 row(s) would push filled rows past row %2, the last "
                                                  "of the bank. Delete rows at the end first.")
                                       .arg(count)
                                       .arg(sheet->maxRow()));
        return;
    }
    sheet->insertRange(first, 1, last, bank::kUserColumns);
}

void Memory::cmAddRowBefore_Click()
{
    if (!onUserBank())
        return;
    const SheetBook::Selection s = F1Book1->selection();
    const int last = std::min(s.lastRow, F1Book1->current()->maxRow());
    insertRows(s.firstRow, last);
}

void Memory::cmaddRowAfter_Click()
{
    if (!onUserBank())
        return;
    const SheetBook::Selection s = F1Book1->selection();
    const int last = std::min(s.lastRow, F1Book1->current()->maxRow());
    insertRows(last + 1, 2 * last - s.firstRow + 1);
}

void Memory::cmDeleteRow_Click()
{
    if (!onUserBank())
        return;
    const SheetBook::Selection s = F1Book1->selection();
    F1Book1->current()->deleteRange(s.firstRow, 1, s.lastRow, bank::kUserColumns);
    short sn = static_cast<short>(F1Book1->currentSheet());
    FormatSheet(sn);
}

// ---- Right-button lists

QMenu* Memory::listForSelection() const
{
    const SheetBook::Selection s = F1Book1->selection();
    const int c1 = s.firstCol;
    const int c2 = s.lastCol;
    if (c1 == 1 && c2 == SheetBook::kWholeRowLastCol)
        return onUserBank() ? RM : nullptr;
    if (c2 != c1)
        return nullptr;
    if (c1 == 3 || c1 == 6)
        return MM;
    if (c1 == 4 || c1 == 7)
        return SM;
    if (c1 == 8)
        return DM;
    if (c1 == 9)
        return FM;
    return nullptr;
}

void Memory::F1Book1_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint pos)
{
    Q_UNUSED(Shift);
    Q_UNUSED(pos);
    if (Button != Qt::RightButton || !loaded_)
        return;
    if (QMenu* list = listForSelection())
        list->popup(QCursor::pos());
}

void Memory::writeChoice(const QString& caption, bool duplex)
{
    if (!loaded_)
        return;
    SheetModel* sheet = F1Book1->current();
    const SheetBook::Selection s = F1Book1->selection();
    // A whole-column selection reaches past the sheet; only its own rows take the value.
    const int last = std::min(s.lastRow, sheet->maxRow());
    for (int row = std::max(s.firstRow, 1); row <= last; ++row) {
        F1Book1->setActiveCell(row, s.firstCol);
        F1Book1->setActiveCellText(caption);
        if (duplex && !caption.trimmed().isEmpty())
            sheet->setText(row, kTxColumn, QString());
    }
}

void Memory::cmModo_Click(int Index) { writeChoice(cmModo.at(static_cast<std::size_t>(Index))->text(), false); }
void Memory::cmYesNo_Click(int Index) { writeChoice(cmYesNo.at(static_cast<std::size_t>(Index))->text(), false); }
void Memory::cmDup_Click(int Index) { writeChoice(cmDup.at(static_cast<std::size_t>(Index))->text(), true); }
void Memory::cmSubtone_Click(int Index) { writeChoice(SM->caption(Index), false); }

// ---- Typing and clicking

void Memory::F1Book1_StartEdit(QString& EditString, bool& Cancel)
{
    Q_UNUSED(EditString);
    if (listColumn(F1Book1->activeCol()))
        Cancel = true;
}

void Memory::F1Book1_CellClick(int nRow, int nCol)
{
    if (nCol == 0) {
        tuneToRow(nRow);
        return;
    }
    if (nRow >= 1)
        F1Book1->startEdit();
}

} // namespace quelm
