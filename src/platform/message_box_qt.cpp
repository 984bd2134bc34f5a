#include "platform/message_box_qt.h"

#include <QMessageBox>

namespace quelm {

void QtMessageBox::critical(const QString& text)
{
    QMessageBox::critical(nullptr, QStringLiteral("Quelm"), text, QMessageBox::Ok);
}

void QtMessageBox::warning(const QString& text)
{
    QMessageBox::warning(nullptr, QStringLiteral("Quelm"), text, QMessageBox::Ok);
}

} // namespace quelm
