#pragma once

#include <QString>
#include <QTest>
#include <QWidget>

// Types each character of `text` into `w` as a key carrying that character, as a
// keyboard layout sends it; QTest's own keyClicks cannot carry one beyond Latin-1.
inline void typeCharacters(QWidget* w, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
