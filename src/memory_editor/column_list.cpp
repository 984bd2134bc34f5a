#include "memory_editor/column_list.h"

#include <QGridLayout>
#include <QToolButton>
#include <QWidgetAction>

namespace quelm {

ColumnList::ColumnList(QWidget* parent) : QMenu(parent)
{
    panel_ = new QWidget(this);
    auto* grid = new QGridLayout(panel_);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(0);
    auto* action = new QWidgetAction(this);
    action->setDefaultWidget(panel_);
    addAction(action);
}

void ColumnList::setItems(const QStringList& captions, const QList<int>& breaks)
{
    auto* grid = static_cast<QGridLayout*>(panel_->layout());
    qDeleteAll(buttons_);
    buttons_.clear();
    captions_ = captions;
    breaks_ = breaks;
    int column = 0;
    int row = 0;
    for (int i = 0; i < captions.size(); ++i) {
        if (breaks.contains(i) && i > 0) {
            ++column;
            row = 0;
        }
        auto* b = new QToolButton(panel_);
        b->setText(captions[i]);
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(b, &QToolButton::clicked, this, [this, i] {
            close();
            emit chosen(i);
        });
        grid->addWidget(b, row++, column);
        buttons_ << b;
    }
    panel_->adjustSize();
}

QList<QStringList> ColumnList::columns() const
{
    QList<QStringList> out;
    for (int i = 0; i < captions_.size(); ++i) {
        if (out.isEmpty() || (breaks_.contains(i) && i > 0))
            out.append(QStringList());
        out.last() << captions_[i];
    }
    return out;
}

} // namespace quelm
