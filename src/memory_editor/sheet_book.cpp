#include "memory_editor/sheet_book.h"

#include <algorithm>

#include <QAbstractButton>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QTabBar>
#include <QVBoxLayout>

#include "memory_editor/sheet_view.h"

namespace quelm {

namespace {

// Longer names make unreadable tabs and file names.
constexpr int kLongestName = 31;

QItemSelectionModel* selectionOf(SheetModel* sheet)
{
    return sheet ? sheet->findChild<QItemSelectionModel*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

SheetModel* newSheet(const QString& name, QObject* owner)
{
    auto* sheet = new SheetModel(name, owner);
    new QItemSelectionModel(sheet, sheet);
    return sheet;
}

} // namespace

SheetBook::SheetBook(QWidget* parent) : QWidget(parent)
{
    view_ = new SheetView(*this);
    tabs_ = new QTabBar(this);
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(tabs_, 0, Qt::AlignLeft);

    connect(view_, &SheetView::mouseDown, this, &SheetBook::mouseDown);
    connect(view_, &SheetView::mouseUp, this, &SheetBook::mouseUp);
    connect(view_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& i) { emit cellClick(i.row() + 1, i.column() + 1); });
    connect(view_->verticalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit cellClick(section + 1, 0); });
    if (auto* corner = view_->findChild<QAbstractButton*>())
        connect(corner, &QAbstractButton::clicked, this, [this] { emit cellClick(0, 0); });
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!syncing_ && index >= 0)
            setCurrentSheet(index + 1);
    });
    connect(tabs_, &QTabBar::tabBarDoubleClicked, this, [this](int index) {
        if (index >= 0)
            emit tabDoubleClicked(index + 1);
    });
    for (QWidget* w : {static_cast<QWidget*>(view_->horizontalHeader()->viewport()),
                       static_cast<QWidget*>(view_->verticalHeader()->viewport()), static_cast<QWidget*>(tabs_)})
        w->installEventFilter(this);
    reset();
}

SheetBook::~SheetBook() = default;

bool SheetBook::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* e = static_cast<QMouseEvent*>(event);
    const QPoint pos = view_->mapFromGlobal(e->globalPosition().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
        emit mouseDown(e->button(), e->modifiers(), pos);
        // The right button on a heading keeps the selection, as on a cell.
        return e->button() == Qt::RightButton && watched != tabs_;
    }
    // A tab changes the sheet on the press, so its release reports the new sheet.
    emit mouseUp(e->button(), e->modifiers(), pos);
    return e->button() == Qt::RightButton && watched != tabs_;
}

void SheetBook::reset()
{
    view_->setModel(nullptr);
    for (SheetModel* s : sheets_)
        delete s;
    sheets_.clear();
    sheets_.push_back(newSheet(QStringLiteral("Sheet1"), this));
    current_ = 0;
    setCurrentSheet(1);
}

SheetModel* SheetBook::sheet(int sheet) const
{
    if (sheet < 1 || sheet > sheetCount())
        return nullptr;
    return sheets_[static_cast<std::size_t>(sheet - 1)];
}

QString SheetBook::sheetName(int sheet) const
{
    const SheetModel* s = this->sheet(sheet);
    return s ? s->name() : QString();
}

void SheetBook::setSheetName(int sheet, const QString& name)
{
    if (SheetModel* s = this->sheet(sheet)) {
        s->setName(name);
        syncTabs();
    }
}

QString SheetBook::freeDefaultName() const
{
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("Sheet%1").arg(n);
        if (sheetNameProblem(0, name).isEmpty())
            return name;
    }
}

QString SheetBook::sheetNameProblem(int sheet, const QString& name) const
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("A sheet needs a name.");
    if (name.front() == QLatin1Char(' ') || name.back() == QLatin1Char(' '))
        return QStringLiteral("A sheet name cannot begin or end with a blank.");
    if (name.size() > kLongestName)
        return QStringLiteral("A sheet name can have at most %1 characters.").arg(kLongestName);
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("A sheet name cannot hold the character \"%1\" (nor any of %2).")
                .arg(c.unicode() < 0x20 || c.unicode() == 0x7F ? QStringLiteral("control") : QString(c), forbidden);
    }
    for (int n = 1; n <= sheetCount(); ++n)
        if (n != sheet && sheetName(n).compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral("There is already a sheet named \"%1\".").arg(sheetName(n));
    return {};
}

bool SheetBook::renameSheet(int sheet, const QString& name, QString* why)
{
    QString problem = this->sheet(sheet) ? sheetNameProblem(sheet, name) : QStringLiteral("There is no such sheet.");
    if (why)
        *why = problem;
    if (!problem.isEmpty())
        return false;
    setSheetName(sheet, name);
    return true;
}

void SheetBook::setSheetCount(int count)
{
    if (count > sheetCount())
        insertSheets(sheetCount() + 1, count - sheetCount());
}

bool SheetBook::insertSheets(int position, int count, QString* why)
{
    if (position < 1 || position > sheetCount() + 1 || count < 1) {
        if (why)
            *why = QStringLiteral("Sheets can only be inserted before sheet 1 to %1.").arg(sheetCount() + 1);
        return false;
    }
    for (int i = 0; i < count; ++i)
        sheets_.insert(sheets_.begin() + (position - 1 + i), newSheet(freeDefaultName(), this));
    // The sheet on show keeps showing; its number may have moved.
    if (position <= current_)
        current_ += count;
    syncTabs();
    return true;
}

bool SheetBook::deleteSheet(int sheet, QString* why)
{
    QString problem;
    if (!this->sheet(sheet))
        problem = QStringLiteral("There is no sheet %1.").arg(sheet);
    else if (sheetCount() == 1)
        problem = QStringLiteral("The last sheet cannot be deleted.");
    if (why)
        *why = problem;
    if (!problem.isEmpty())
        return false;
    SheetModel* gone = sheets_[static_cast<std::size_t>(sheet - 1)];
    if (sheet == current_)
        view_->setModel(nullptr);
    sheets_.erase(sheets_.begin() + (sheet - 1));
    delete gone;
    const int shown = sheet < current_ ? current_ - 1 : std::min(current_, sheetCount());
    current_ = 0;
    setCurrentSheet(shown);
    return true;
}

void SheetBook::setCurrentSheet(int sheet)
{
    if (!this->sheet(sheet))
        return;
    if (sheet != current_)
        finishEditing();
    const bool changed = sheet != current_ || view_->model() != this->sheet(sheet);
    current_ = sheet;
    if (changed)
        showSheet(sheet);
    syncTabs();
    if (changed)
        emit currentSheetChanged(sheet);
}

void SheetBook::showSheet(int sheet)
{
    SheetModel* s = this->sheet(sheet);
    if (view_->model()) {
        disconnect(view_->model(), nullptr, this, nullptr);
    }
    view_->setModel(s);
    if (QItemSelectionModel* own = selectionOf(s); own && view_->selectionModel() != own)
        view_->setSelectionModel(own);
    // Each model set on the view makes it and its two headings a selection of
    // their own (an empty view too), which only goes with its model: the sheets
    // keep theirs, so these would pile up for as long as the editor is used.
    for (QObject* maker : {static_cast<QObject*>(view_), static_cast<QObject*>(view_->horizontalHeader()),
                           static_cast<QObject*>(view_->verticalHeader())})
        for (QItemSelectionModel* made : maker->findChildren<QItemSelectionModel*>(Qt::FindDirectChildrenOnly))
            if (made != view_->selectionModel())
                made->deleteLater();
    connect(s, &SheetModel::layoutChangedByFormat, this, &SheetBook::applyWidths);
    connect(s, &QAbstractItemModel::modelReset, this, &SheetBook::applyWidths);
    applyWidths();
}

void SheetBook::syncTabs()
{
    syncing_ = true;
    while (tabs_->count() > sheetCount())
        tabs_->removeTab(tabs_->count() - 1);
    while (tabs_->count() < sheetCount())
        tabs_->addTab(QString());
    for (int n = 1; n <= sheetCount(); ++n)
        tabs_->setTabText(n - 1, sheetName(n));
    tabs_->setCurrentIndex(current_ - 1);
    syncing_ = false;
}

int SheetBook::unitsToPixels(int units) const
{
    const int digit = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
    return std::max(0, (units * digit + 128) / 256);
}

void SheetBook::applyWidths()
{
    const SheetModel* s = current();
    if (!s || view_->model() != s)
        return;
    for (int c = 1; c <= s->maxCol(); ++c)
        view_->setColumnWidth(c - 1, unitsToPixels(s->columnWidth(c)));
}

// ---- Selection and active cell

SheetBook::Selection SheetBook::selection() const
{
    const SheetModel* s = current();
    const QItemSelectionModel* sel = view_->selectionModel();
    Selection out{activeRow(), activeCol(), activeRow(), activeCol()};
    if (!s || !sel || sel->selection().isEmpty())
        return out;
    int top = s->maxRow();
    int left = s->maxCol();
    int bottom = 1;
    int right = 1;
    for (const QItemSelectionRange& r : sel->selection()) {
        top = std::min(top, r.top() + 1);
        left = std::min(left, r.left() + 1);
        bottom = std::max(bottom, r.bottom() + 1);
        right = std::max(right, r.right() + 1);
    }
    out = {top, left, bottom, right};
    if (left == 1 && right == s->maxCol())
        out.lastCol = kWholeRowLastCol;
    if (top == 1 && bottom == s->maxRow())
        out.lastRow = kWholeColLastRow;
    return out;
}

void SheetBook::select(int row1, int col1, int row2, int col2)
{
    const SheetModel* s = current();
    QItemSelectionModel* sel = view_->selectionModel();
    if (!s || !sel || s->maxRow() < 1 || s->maxCol() < 1)
        return;
    row1 = std::clamp(row1, 1, s->maxRow());
    row2 = std::clamp(row2, row1, s->maxRow());
    col1 = std::clamp(col1, 1, s->maxCol());
    col2 = std::clamp(col2, col1, s->maxCol());
    sel->select(QItemSelection(s->index(row1 - 1, col1 - 1), s->index(row2 - 1, col2 - 1)),
                QItemSelectionModel::ClearAndSelect);
}

int SheetBook::activeRow() const
{
    const QModelIndex i = view_->selectionModel() ? view_->selectionModel()->currentIndex() : QModelIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

int SheetBook::activeCol() const
{
    const QModelIndex i = view_->selectionModel() ? view_->selectionModel()->currentIndex() : QModelIndex();
    return i.isValid() ? i.column() + 1 : 1;
}

void SheetBook::setActiveCell(int row, int col)
{
    const SheetModel* s = current();
    QItemSelectionModel* sel = view_->selectionModel();
    if (!s || !sel || !s->contains(row, col))
        return;
    sel->setCurrentIndex(s->index(row - 1, col - 1), QItemSelectionModel::NoUpdate);
}

void SheetBook::setActiveRow(int row) { setActiveCell(row, activeCol()); }
void SheetBook::setActiveCol(int col) { setActiveCell(activeRow(), col); }

void SheetBook::setActiveCellText(const QString& text)
{
    if (SheetModel* s = current())
        s->setText(activeRow(), activeCol(), text);
}

void SheetBook::setSelectionNumberFormat(const QString& format)
{
    const Selection s = selection();
    if (SheetModel* m = current())
        m->setNumberFormat(s.firstRow, s.firstCol, s.lastRow, s.lastCol, format);
}

void SheetBook::setSelectionAlignment(Qt::Alignment horizontal)
{
    const Selection s = selection();
    if (SheetModel* m = current())
        m->setAlignment(s.firstRow, s.firstCol, s.lastRow, s.lastCol, horizontal);
}

void SheetBook::setSelectionLocked(bool locked)
{
    const Selection s = selection();
    if (SheetModel* m = current())
        m->setLocked(s.firstRow, s.firstCol, s.lastRow, s.lastCol, locked);
}

void SheetBook::setColumnWidth(int col, int units)
{
    if (SheetModel* m = current())
        m->setColumnWidth(col, units);
}

void SheetBook::finishEditing() { view_->finishEditing(); }

void SheetBook::startEdit()
{
    const SheetModel* s = current();
    if (s && s->contains(activeRow(), activeCol()))
        view_->edit(s->index(activeRow() - 1, activeCol() - 1));
}

void SheetBook::setEntryFilter(std::function<bool(QChar)> accepts) { entryFilter_ = std::move(accepts); }

void SheetBook::setPointer(Qt::CursorShape shape)
{
    view_->viewport()->setCursor(shape);
    setCursor(shape);
}

} // namespace quelm
