#pragma once

// A pop-up list whose items stand in columns: the sub-tone list opens as five
// columns of ten, ten, ten, ten and eleven tones. It opens at a point like any
// menu, and a click on an item reports the item and closes the list.

#include <QList>
#include <QMenu>
#include <QStringList>

class QToolButton;

namespace quelm {

class ColumnList : public QMenu {
    Q_OBJECT
public:
    explicit ColumnList(QWidget* parent = nullptr);

    // The items in order; each index in `breaks` begins a new column.
    void setItems(const QStringList& captions, const QList<int>& breaks);
    int count() const { return static_cast<int>(captions_.size()); }
    QString caption(int index) const { return captions_.value(index); }
    // The captions column by column, top to bottom.
    QList<QStringList> columns() const;
    QToolButton* button(int index) const { return buttons_.value(index); }

signals:
    void chosen(int index);

private:
    QStringList captions_;
    QList<int> breaks_;
    QList<QToolButton*> buttons_;
    QWidget* panel_ = nullptr;
};

} // namespace quelm
