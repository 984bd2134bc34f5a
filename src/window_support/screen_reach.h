#pragma once

// Whether a window placed where it was last closed can be reached: screens come
// and go between runs (a second monitor unplugged, a smaller one plugged in),
// and a window left on one that is gone has nothing on the screen to grab.

#include <QList>
#include <QRect>

namespace quelm {

// The desktop as the windows can use it: each screen's area without its panels
// and task bars, in desktop coordinates, and which of them is the primary one.
struct ScreenAreas {
    QList<QRect> available;
    qsizetype primary = 0;
};

// The outer rectangle to give a window whose outer edges would be `wanted`.
// A window with at least half of its area, and half of the strip along its top
// where its title bar or drag strip lies, on the screens stays exactly where it
// is; a smaller part is not enough to find and grab it. One out of reach, or
// larger than the screen that holds most of it (the primary screen when none
// holds any), is cut down to that screen's size and moved the least it takes
// to lie wholly on it.
QRect withinReach(const QRect& wanted, const ScreenAreas& screens);

} // namespace quelm
