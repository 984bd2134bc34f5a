#include "window_support/screen_reach.h"

#include <algorithm>

#include <QRegion>

namespace quelm {

namespace {

// A title bar, or the panel's drag strip, lies within this many pixels of a
// window's top edge.
constexpr int kGripStrip = 32;

qint64 pixelsOf(const QRect& r) { return qint64(r.width()) * r.height(); }

// Screens may overlap (mirrored ones share their place): a pixel on two of them
// counts once.
qint64 pixelsOn(const QRegion& screens, const QRect& area)
{
    qint64 pixels = 0;
    for (const QRect& part : screens.intersected(area))
        pixels += pixelsOf(part);
    return pixels;
}

bool inReach(const QRect& wanted, const QList<QRect>& available)
{
    QRegion screens;
    for (const QRect& area : available)
        screens += area;
    const QRect grip(wanted.topLeft(), QSize(wanted.width(), std::min(wanted.height(), kGripStrip)));
    return 2 * pixelsOn(screens, wanted) >= pixelsOf(wanted) && 2 * pixelsOn(screens, grip) >= pixelsOf(grip);
}

// The screen that holds the largest part of the window, the primary one when
// none holds any.
QRect homeScreen(const QRect& wanted, const ScreenAreas& screens)
{
    qsizetype home = screens.primary;
    qint64 most = 0;
    for (qsizetype i = 0; i < screens.available.size(); ++i) {
        const qint64 held = pixelsOf(screens.available[i] & wanted);
        if (held > most) {
            most = held;
            home = i;
        }
    }
    return screens.available.value(home, screens.available.first());
}

// The window no larger than `screen`, moved the least it takes to lie on it.
QRect onto(const QRect& screen, const QRect& wanted)
{
    const QSize size = wanted.size().boundedTo(screen.size());
    const int x = std::clamp(wanted.x(), screen.x(), screen.x() + screen.width() - size.width());
    const int y = std::clamp(wanted.y(), screen.y(), screen.y() + screen.height() - size.height());
    return {QPoint(x, y), size};
}

} // namespace

QRect withinReach(const QRect& wanted, const ScreenAreas& screens)
{
    if (screens.available.isEmpty() || wanted.isEmpty())
        return wanted;
    const QRect screen = homeScreen(wanted, screens);
    if (screen.isEmpty()) // a screen that is still being set up, say
        return wanted;
    const bool fits = wanted.width() <= screen.width() && wanted.height() <= screen.height();
    if (fits && inReach(wanted, screens.available))
        return wanted;
    return onto(screen, wanted);
}

} // namespace quelm
