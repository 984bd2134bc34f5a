#include "window_support/form_pos.h"

#include <QWidget>

#include "platform/conversions.h"
#include "platform/settings_store.h"

namespace quelm {

namespace {
const QString kApp = QStringLiteral("Quelm");

int twipsToPixels(double twips) { return static_cast<int>(conv::roundHalfEven(twips / kTwipsPerPixel)); }

// The stored value in pixels, or `current` when it is missing or no number.
int readPixels(SettingsStore& store, const QString& section, const char* key, int current)
{
    const QString text = store.getSetting(kApp, section, QString::fromLatin1(key), QString());
    bool ok = false;
    const double twips = text.trimmed().toDouble(&ok);
    return ok ? twipsToPixels(twips) : current;
}
} // namespace

void RestoreFormPos(QWidget& frm, SettingsStore& store, const QString& Section)
{
    const QRect outer = frm.frameGeometry();
    const int x = readPixels(store, Section, "X", outer.x());
    const int y = readPixels(store, Section, "Y", outer.y());
    const int w = readPixels(store, Section, "W", outer.width());
    const int h = readPixels(store, Section, "H", outer.height());
    // Stored sizes are outer sizes; the frame the system adds is taken off.
    const int frameW = outer.width() - frm.width();
    const int frameH = outer.height() - frm.height();
    frm.move(x, y);
    frm.resize(std::max(1, w - frameW), std::max(1, h - frameH));
}

void SaveFormPos(QWidget& frm, SettingsStore& store, const QString& Section)
{
    if (frm.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect outer = frm.frameGeometry();
    auto put = [&](const char* key, int pixels) {
        store.saveSetting(kApp, Section, QString::fromLatin1(key), conv::numberText(pixels * kTwipsPerPixel));
    };
    put("X", outer.x());
    put("Y", outer.y());
    put("W", outer.width());
    put("H", outer.height());
}

} // namespace quelm
