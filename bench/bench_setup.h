#pragma once

#include <QByteArray>
#include <QLocale>
#include <QtGlobal>

namespace quelm::bench {

// Windows drawn off screen unless a display was asked for, and one locale for
// every run so figures from two machines read the same frequencies.
inline void prepareWindowBench()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

} // namespace quelm::bench
