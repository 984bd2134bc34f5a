#pragma once

// The table that shows one sheet of a SheetBook, and the cell editor it uses.

#include <optional>

#include <QStyledItemDelegate>
#include <QTableView>

namespace quelm {

class SheetBook;

class SheetView : public QTableView {
    Q_OBJECT
public:
    explicit SheetView(SheetBook& book);
    using QTableView::edit;
    // A cell editor is open.
    bool editing() const { return state() == EditingState; }
    // Takes what the open cell editor holds into its cell and closes it.
    void finishEditing();

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // Typing into a cell that refuses it must not jump to another row.
    void keyboardSearch(const QString&) override {}

private:
    SheetBook& book_;
};

// Edits a number cell as a typed number (conv::typedDecimal: a point or the
// user's decimal separator, the last of them where both appear) and a text cell
// as text without the characters the book refuses.
class SheetDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit SheetDelegate(SheetBook& book);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // A typed number: digits, an optional minus, a decimal mark as
    // conv::typedDecimal reads it; nullopt for anything else. The empty text is
    // no number.
    static std::optional<double> typedNumber(const QString& text);

private:
    SheetBook& book_;
};

} // namespace quelm
