#include "platform/event_pump.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace quelm {

void QtEventPump::serveEvents(double maxBlockSeconds)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (maxBlockSeconds <= 0)
        return;
    // Block until an event arrives or the time is up, so a pause does not spin a core.
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    guard.setTimerType(Qt::PreciseTimer);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(std::max(1, static_cast<int>(maxBlockSeconds * 1000.0)));
    loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace quelm
