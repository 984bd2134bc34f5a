// Channels between the radio bank and the radio: "Retrieve  from TRX" asks for
// channels 1 to 99, "Send selected to TRX" writes the selected rows, each
// request followed by a wait that serves window events and a drain of the
// line through the frame reader, which itself writes every channel answer into
// the sheet. A click on a row heading tunes the radio to the row.
//
// A transfer works on the sheet it started on to its end, whatever sheet the
// operator turns to meanwhile; it cannot be started again from inside its own
// waits, and it stops when the link closes or the editor is closed.

#include <functional>

#include <QAction>
#include <QStatusBar>

#include "memory_editor/bank_file.h"
#include "memory_editor/memory.h"

namespace quelm {

namespace {

constexpr int kRxColumn = 2;
constexpr int kModeColumn = 3;
constexpr int kSubtoneColumn = 4;
constexpr int kTxColumn = 5;
// How long a note on the status bar stays.
constexpr int kNoteMs = 6000;

// Runs `end` when the scope is left, however.
struct AtExit {
    std::function<void()> end;
    ~AtExit() { end(); }
};

} // namespace

// ---- The radio link's view of the sheets

SheetModel* Memory::LinkGrid::target() const
{
    if (!m_.loaded_)
        return nullptr;
    if (m_.transferring_)
        return m_.transferSheet_.data();
    return m_.F1Book1->current();
}

QString Memory::LinkGrid::cellText(int row, int col)
{
    const SheetModel* t = target();
    return t ? t->text(row, col) : QString();
}

double Memory::LinkGrid::cellNumber(int row, int col)
{
    const SheetModel* t = target();
    return t ? t->number(row, col) : 0.0;
}

void Memory::LinkGrid::setCellText(int row, int col, const QString& text)
{
    if (SheetModel* t = target())
        t->setText(row, col, text);
}

void Memory::LinkGrid::setCellNumber(int row, int col, double number)
{
    if (SheetModel* t = target())
        t->setNumber(row, col, number);
}

bool Memory::LinkGrid::hasRow(int row)
{
    const SheetModel* t = target();
    return t && row >= 1 && row <= t->maxRow();
}

// ---- Transfers

bool Memory::transferAllowed()
{
    if (!loaded_ || transferring_)
        return false;
    F1Book1->finishEditing();
    if (!radio_.linkOpen()) {
        platform_.messages.warning(QStringLiteral("The link to the radio is closed: open it with the power key, then "
                                                  "try again. Nothing was sent."));
        return false;
    }
    if (!bank::isRadioBank(F1Book1->sheetName(F1Book1->currentSheet()))) {
        platform_.messages.warning(QStringLiteral("Channels go to and from the radio bank \"%1\" only: choose its "
                                                  "sheet first.")
                                       .arg(bank::kRadioBank));
        return false;
    }
    return true;
}

void Memory::drain()
{
    while (radio_.InBufferCount() > 0)
        radio_.RadioReadFrame();
}

void Memory::transfer(int first, int last, double wait, void (MemoryRadio::*request)(int))
{
    WaitPointer hourglass(F1Book1);
    transferring_ = true;
    transferSheet_ = F1Book1->current();
    AtExit done{[this] {
        transferring_ = false;
        transferSheet_ = nullptr;
    }};
    for (int channel = first; channel <= last; ++channel) {
        if (!transferSheet_ || !radio_.linkOpen())
            return;
        (radio_.*request)(channel);
        platform_.waits.commandPause(wait);
        drain();
    }
}

void Memory::cmRetrieve_Click()
{
    if (transferAllowed())
        transfer(1, bank::kRadioRows, kReadWait, &MemoryRadio::RadioReadMemory);
}

void Memory::cmSendSelected_Click()
{
    if (!transferAllowed())
        return;
    const SheetBook::Selection s = F1Book1->selection();
    // Channels end at 99, whatever the selection reaches.
    transfer(std::max(s.firstRow, 1), std::min(s.lastRow, bank::kRadioRows), kWriteWait,
             &MemoryRadio::RadioSetMemory);
}

void Memory::tuneToRow(int row)
{
    const SheetModel* sheet = loaded_ ? F1Book1->current() : nullptr;
    if (!sheet || row < 1 || row > sheet->maxRow())
        return;
    const double fa = sheet->number(row, kRxColumn);
    const QString ma = sheet->text(row, kModeColumn);
    const double fb = sheet->number(row, kSubtoneColumn);
    const QString mb = sheet->text(row, kTxColumn);
    // A row without a frequency is only being selected: there is nothing to tune to.
    if (!(fa > 0))
        return;
    if (!radio_.linkOpen()) {
        StatusBar1->showMessage(QStringLiteral("The link to the radio is closed: the radio was not tuned."), kNoteMs);
        return;
    }
    if (transferring_) {
        StatusBar1->showMessage(QStringLiteral("Channels are being transferred: the radio was not tuned."), kNoteMs);
        return;
    }
    radio_.SettoMemoria(fa, ma, fb, mb);
}

// ---- The radio items follow the sheet at each left release in the grid

void Memory::F1Book1_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint pos)
{
    Q_UNUSED(Shift);
    Q_UNUSED(pos);
    if (Button != Qt::LeftButton || !loaded_)
        return;
    setRadioItemsVisible(bank::isRadioBank(F1Book1->sheetName(F1Book1->currentSheet())));
}

void Memory::setRadioItemsVisible(bool visible)
{
    cmRetrieve->setVisible(visible);
    cmSend->setVisible(visible);
    cmSendSelected->setVisible(visible);
}

} // namespace quelm
