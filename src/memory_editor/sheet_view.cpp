#include "memory_editor/sheet_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QValidator>

#include "memory_editor/sheet_book.h"
#include "platform/conversions.h"

namespace quelm {

namespace {

QChar userDecimal()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

// Digits, a leading minus, and the marks a typed number may hold: a point, the
// user's decimal and group separators. Whether they make a number is the typed
// number's reading; "1.234" on the way to "1.234,5" must get through.
class NumberValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        const QChar decimal = userDecimal();
        const QString group = QLocale().groupSeparator();
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c.isDigit() && c.unicode() < 128)
                continue;
            if (c == QLatin1Char('-') && i == 0)
                continue;
            if (c == QLatin1Char('.') || c == decimal || (group.size() == 1 && c == group.front()))
                continue;
            return Invalid;
        }
        // Empty is fine too: it empties the cell.
        return input.trimmed().isEmpty() || SheetDelegate::typedNumber(input) ? Acceptable : Intermediate;
    }
};

// Refuses any text holding a character the book does not take.
class FilterValidator : public QValidator {
public:
    FilterValidator(std::function<bool(QChar)> accepts, QObject* parent)
        : QValidator(parent), accepts_(std::move(accepts))
    {
    }
    State validate(QString& input, int&) const override
    {
        for (const QChar c : input)
            if (!accepts_(c))
                return Invalid;
        return Acceptable;
    }

private:
    std::function<bool(QChar)> accepts_;
};

// Rows have a fixed height, yet a header takes a press near a section's edge
// as the grip for resizing it and does nothing with it; without grips every
// point of a row heading selects the row (and tunes to it).
class NoGripStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        return metric == PM_HeaderGripMargin ? 0 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

SheetModel* sheetOf(const QModelIndex& index)
{
    return qobject_cast<SheetModel*>(const_cast<QAbstractItemModel*>(index.model()));
}

bool isNumberCell(const QModelIndex& index)
{
    const SheetModel* m = sheetOf(index);
    return m && m->isFixed2(index.row() + 1, index.column() + 1);
}

} // namespace

SheetView::SheetView(SheetBook& book) : QTableView(&book), book_(book)
{
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setItemDelegate(new SheetDelegate(book));
    setTabKeyNavigation(true);
    horizontalHeader()->setHighlightSections(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    auto* noGrip = new NoGripStyle;
    noGrip->setParent(verticalHeader());
    verticalHeader()->setStyle(noGrip);
}

bool SheetView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool wanted = trigger == AllEditTriggers || (editTriggers() & trigger);
    if (state() != EditingState && index.isValid() && wanted && (index.flags() & Qt::ItemIsEditable) &&
        book_.onStartEdit) {
        QString text = index.data(Qt::EditRole).toString();
        bool cancel = false;
        book_.onStartEdit(text, cancel);
        if (cancel)
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

void SheetView::finishEditing()
{
    if (!editing())
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void SheetView::mousePressEvent(QMouseEvent* e)
{
    // The right button keeps the selection: it opens the list for what is selected.
    if (e->button() != Qt::RightButton)
        QTableView::mousePressEvent(e);
    emit mouseDown(e->button(), e->modifiers(), e->position().toPoint());
}

void SheetView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::RightButton)
        QTableView::mouseReleaseEvent(e);
    emit mouseUp(e->button(), e->modifiers(), e->position().toPoint());
}

void SheetView::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace) && state() != EditingState) {
        // Empties the selected cells that typing may change.
        auto* sheet = qobject_cast<SheetModel*>(model());
        const SheetBook::Selection s = book_.selection();
        if (sheet) {
            for (int r = s.firstRow; r <= std::min(s.lastRow, sheet->maxRow()); ++r)
                for (int c = s.firstCol; c <= std::min(s.lastCol, sheet->maxCol()); ++c)
                    if (!sheet->locked(r, c))
                        sheet->clearCell(r, c);
        }
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

SheetDelegate::SheetDelegate(SheetBook& book) : QStyledItemDelegate(&book), book_(book) {}

std::optional<double> SheetDelegate::typedNumber(const QString& text)
{
    double v = 0;
    if (!SheetModel::readsAsNumber(conv::typedDecimal(text.trimmed()), &v))
        return std::nullopt;
    return v;
}

QWidget* SheetDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const
{
    QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        if (isNumberCell(index))
            line->setValidator(new NumberValidator(line));
        else if (book_.entryFilter())
            line->setValidator(new FilterValidator(book_.entryFilter(), line));
    }
    return w;
}

void SheetDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const QString text = line->text();
    if (isNumberCell(index)) {
        if (text.trimmed().isEmpty())
            model->setData(index, QString(), Qt::EditRole);
        else if (const std::optional<double> n = typedNumber(text))
            model->setData(index, *n, Qt::EditRole);
        // Anything else (a lone minus) leaves the cell as it was.
        return;
    }
    if (book_.entryFilter()) {
        for (const QChar c : text)
            if (!book_.entryFilter()(c))
                return;
    }
    model->setData(index, text, Qt::EditRole);
}

} // namespace quelm
