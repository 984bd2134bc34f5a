#include "memory_editor/sheet_model.h"

#include <algorithm>
#include <cmath>

#include "platform/conversions.h"

namespace quelm {

namespace {

const Cell kEmpty{};

// "A" .. "Z", "AA" ...: the heading of a column that has none of its own.
QString columnLetters(int col)
{
    QString out;
    for (int n = col; n > 0; n = (n - 1) / 26)
        out.prepend(QChar(u'A' + (n - 1) % 26));
    return out;
}

} // namespace

SheetModel::SheetModel(const QString& name, QObject* parent) : QAbstractTableModel(parent), name_(name) {}

void SheetModel::resize(int rows, int cols)
{
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (rows == rows_ && cols == cols_)
        return;
    beginResetModel();
    std::vector<Slot> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    for (int r = 1; r <= std::min(rows, rows_); ++r)
        for (int c = 1; c <= std::min(cols, cols_); ++c)
            cells[static_cast<std::size_t>((r - 1) * cols + (c - 1))] = at(r, c);
    cells_ = std::move(cells);
    rows_ = rows;
    cols_ = cols;
    headings_.resize(static_cast<std::size_t>(cols));
    widths_.resize(static_cast<std::size_t>(cols), 0);
    endResetModel();
    emit layoutChangedByFormat();
}

void SheetModel::setMaxRow(int rows) { resize(rows, cols_); }
void SheetModel::setMaxCol(int cols) { resize(rows_, cols); }

bool SheetModel::readsAsNumber(const QString& text, double* value)
{
    const std::optional<double> n = conv::plainNumber(text);
    if (n && value)
        *value = *n;
    return n.has_value();
}

const Cell& SheetModel::value(int row, int col) const
{
    return contains(row, col) ? at(row, col).value : kEmpty;
}

QString SheetModel::text(int row, int col) const
{
    const Cell& v = value(row, col);
    if (const auto* t = std::get_if<QString>(&v))
        return *t;
    if (const auto* d = std::get_if<double>(&v)) {
        QString plain = conv::numberText(*d);
        if (plain.startsWith(QLatin1Char(' ')))
            plain.remove(0, 1);
        return plain;
    }
    return {};
}

double SheetModel::number(int row, int col) const
{
    const Cell& v = value(row, col);
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    double n = 0;
    if (const auto* t = std::get_if<QString>(&v); t && readsAsNumber(*t, &n))
        return n;
    return 0;
}

void SheetModel::setText(int row, int col, const QString& text)
{
    if (!contains(row, col))
        return;
    at(row, col).value = text.isEmpty() ? Cell{} : Cell{text};
    changed(row, col, row, col);
}

void SheetModel::setNumber(int row, int col, double number)
{
    if (!contains(row, col) || !std::isfinite(number))
        return;
    at(row, col).value = number;
    changed(row, col, row, col);
}

void SheetModel::clearCell(int row, int col)
{
    if (!contains(row, col))
        return;
    at(row, col).value = Cell{};
    changed(row, col, row, col);
}

bool SheetModel::isFixed2(int row, int col) const
{
    return contains(row, col) && at(row, col).look.numberFormat == kFixed2;
}

QString SheetModel::shownText(int row, int col) const
{
    const Cell& v = value(row, col);
    if (isEmptyValue(v))
        return {};
    if (isFixed2(row, col)) {
        double n = 0;
        if (const auto* d = std::get_if<double>(&v))
            return conv::formatFixed2(*d);
        if (readsAsNumber(std::get<QString>(v), &n))
            return conv::formatFixed2(n);
    }
    if (const auto* d = std::get_if<double>(&v))
        return conv::plainText(*d);
    return std::get<QString>(v);
}

template <typename F>
void SheetModel::forBlock(int row1, int col1, int row2, int col2, F f)
{
    row1 = std::max(row1, 1);
    col1 = std::max(col1, 1);
    row2 = std::min(row2, rows_);
    col2 = std::min(col2, cols_);
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c)
            f(at(r, c));
    if (row1 <= row2 && col1 <= col2)
        changed(row1, col1, row2, col2);
}

void SheetModel::setNumberFormat(int row1, int col1, int row2, int col2, const QString& format)
{
    forBlock(row1, col1, row2, col2, [&](Slot& s) { s.look.numberFormat = format; });
}

void SheetModel::setAlignment(int row1, int col1, int row2, int col2, Qt::Alignment horizontal)
{
    forBlock(row1, col1, row2, col2, [&](Slot& s) { s.look.horizontal = horizontal & Qt::AlignHorizontal_Mask; });
}

void SheetModel::setLocked(int row1, int col1, int row2, int col2, bool locked)
{
    forBlock(row1, col1, row2, col2, [&](Slot& s) { s.look.locked = locked; });
}

QString SheetModel::numberFormat(int row, int col) const
{
    return contains(row, col) ? at(row, col).look.numberFormat : QString();
}

Qt::Alignment SheetModel::alignment(int row, int col) const
{
    if (!contains(row, col))
        return Qt::AlignLeft;
    const Slot& s = at(row, col);
    if (s.look.horizontal)
        return s.look.horizontal;
    return isNumber(s.value) ? Qt::AlignRight : Qt::AlignLeft;
}

bool SheetModel::locked(int row, int col) const
{
    return !contains(row, col) || at(row, col).look.locked;
}

QString SheetModel::columnHeading(int col) const
{
    if (col < 1 || col > cols_)
        return {};
    const QString& own = headings_[static_cast<std::size_t>(col - 1)];
    return own.isEmpty() ? columnLetters(col) : own;
}

void SheetModel::setColumnHeading(int col, const QString& text)
{
    if (col < 1 || col > cols_)
        return;
    headings_[static_cast<std::size_t>(col - 1)] = text;
    emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
}

int SheetModel::columnWidth(int col) const
{
    if (col < 1 || col > cols_)
        return kDefaultWidth;
    const int w = widths_[static_cast<std::size_t>(col - 1)];
    return w > 0 ? w : kDefaultWidth;
}

void SheetModel::setColumnWidth(int col, int units)
{
    if (col < 1 || col > cols_)
        return;
    widths_[static_cast<std::size_t>(col - 1)] = std::max(units, 0);
    emit layoutChangedByFormat();
}

void SheetModel::insertRange(int row1, int col1, int row2, int col2)
{
    col1 = std::max(col1, 1);
    col2 = std::min(col2, cols_);
    if (row1 < 1 || row1 > rows_ || row2 < row1 || col1 > col2)
        return;
    const int n = row2 - row1 + 1;
    for (int c = col1; c <= col2; ++c) {
        for (int r = rows_; r >= row1 + n; --r)
            at(r, c) = at(r - n, c);
        // New cells look like the row above them (or, at the top, the row they push down).
        const int model = row1 > 1 ? row1 - 1 : std::min(row1 + n, rows_);
        const Look look = model > row2 || model < row1 ? at(model, c).look : Look{};
        for (int r = row1; r <= std::min(row2, rows_); ++r)
            at(r, c) = Slot{Cell{}, look};
    }
    changed(row1, col1, rows_, col2);
}

void SheetModel::deleteRange(int row1, int col1, int row2, int col2)
{
    col1 = std::max(col1, 1);
    col2 = std::min(col2, cols_);
    row2 = std::min(row2, rows_);
    if (row1 < 1 || row2 < row1 || col1 > col2)
        return;
    const int n = row2 - row1 + 1;
    for (int c = col1; c <= col2; ++c) {
        for (int r = row1; r + n <= rows_; ++r)
            at(r, c) = at(r + n, c);
        for (int r = rows_ - n + 1; r <= rows_; ++r)
            at(r, c) = Slot{};
    }
    changed(row1, col1, rows_, col2);
}

bool SheetModel::rowsEmpty(int row1, int row2, int col1, int col2) const
{
    for (int r = std::max(row1, 1); r <= std::min(row2, rows_); ++r)
        for (int c = std::max(col1, 1); c <= std::min(col2, cols_); ++c)
            if (!isEmptyValue(at(r, c).value))
                return false;
    return true;
}

void SheetModel::changed(int row1, int col1, int row2, int col2)
{
    emit dataChanged(index(row1 - 1, col1 - 1), index(row2 - 1, col2 - 1));
}

int SheetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int SheetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant SheetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int col = index.column() + 1;
    switch (role) {
    case Qt::DisplayRole:
        return shownText(row, col);
    case Qt::EditRole:
        // A number is edited in the user's own form (decimal comma and all).
        if (const auto* d = std::get_if<double>(&value(row, col)))
            return conv::plainText(*d);
        return text(row, col);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignment(row, col) | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int row = index.row() + 1;
    const int col = index.column() + 1;
    if (value.typeId() == QMetaType::Double)
        setNumber(row, col, value.toDouble());
    else
        setText(row, col, value.toString());
    return true;
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return columnHeading(section + 1);
    return QString::number(section + 1);
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!locked(index.row() + 1, index.column() + 1))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace quelm
