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

bool QtMessageBox::question(const QString& text)
{
    return QMessageBox::question(nullptr, QStringLiteral("Quelm"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtMessageBox::openCritical(const QString& text, QObject* context, std::function<void()> closed)
{
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Quelm"), text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, context ? context : box, [closed = std::move(closed)] {
        if (closed)
            closed();
    });
    if (context)
        QObject::connect(context, &QObject::destroyed, box, &QWidget::close);
    // show(), not exec(): no event loop of its own inside the caller.
    box->show();
}

} // namespace quelm
