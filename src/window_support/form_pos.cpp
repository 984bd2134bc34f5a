#include "window_support/form_pos.h"

#include <cmath>
#include <optional>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/conversions.h"
#include "platform/settings_store.h"
#include "window_support/screen_reach.h"

namespace quelm {

namespace {
const QString kApp = QStringLiteral("Quelm");
const QString kFrameWatchName = QStringLiteral("outerSizeWatch");
constexpr Qt::WindowStates kOtherStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// No screen has a pixel this far out; a stored value beyond it is damaged, and
// would not even fit an int.
constexpr double kMostPixels = QWIDGETSIZE_MAX;

// The stored value in pixels; nothing when it is missing, no number or out of
// any screen's reach.
std::optional<int> readPixels(SettingsStore& store, const QString& section, const char* key)
{
    const QString text = store.getSetting(kApp, section, QString::fromLatin1(key), QString());
    bool ok = false;
    const double pixels = conv::roundHalfEven(text.trimmed().toDouble(&ok) / kTwipsPerPixel);
    // Written so that a NaN fails it too.
    if (!ok || !(std::abs(pixels) <= kMostPixels))
        return std::nullopt;
    return static_cast<int>(pixels);
}

// The stored outer width and height; one not stored leaves the client's own.
struct OuterSize {
    std::optional<int> width, height;
};

// What the window system adds round the client; nothing until the window
// manager has framed a shown window.
QSize frameOf(const QWidget& frm) { return frm.frameGeometry().size() - frm.size(); }

QSize clientFor(const QWidget& frm, const OuterSize& outer)
{
    const QSize frame = frameOf(frm);
    const auto client = [](std::optional<int> stored, int frameSide, int own) {
        return stored ? std::max(1, *stored - frameSide) : own;
    };
    return {client(outer.width, frame.width(), frm.width()), client(outer.height, frame.height(), frm.height())};
}

void fitClient(QWidget& frm, const OuterSize& outer) { frm.resize(clientFor(frm, outer)); }

// The outer size the window ends up with: the window system holds the client
// within the window's own limits, so a fixed-size window keeps its size.
QSize outerSizeTaken(const QWidget& frm, const OuterSize& outer)
{
    return clientFor(frm, outer).boundedTo(frm.maximumSize()).expandedTo(frm.minimumSize()) + frameOf(frm);
}

ScreenAreas desktop()
{
    ScreenAreas areas;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        areas.available << screen->availableGeometry();
    areas.primary = screens.indexOf(QGuiApplication::primaryScreen());
    return areas;
}

// Takes the frame off the stored outer size once the frame is known, after the
// window is first shown. A window hidden before that, or put in another state,
// keeps the size it has.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget& frm, const OuterSize& outer) : QObject(&frm), frm_(frm), outer_(outer)
    {
        setObjectName(kFrameWatchName);
        frm.installEventFilter(this);
    }

    void stop()
    {
        frm_.removeEventFilter(this);
        setObjectName(QString());
        deleteLater();
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        const QEvent::Type type = e->type();
        if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize && type != QEvent::Hide)
            return false;
        if (type == QEvent::Hide || (frm_.windowState() & kOtherStates)) {
            stop();
        } else if (frm_.isVisible() && !frameOf(frm_).isNull()) {
            stop(); // first, as the resize may come straight back here
            fitClient(frm_, outer_);
        }
        return false;
    }

private:
    QWidget& frm_;
    OuterSize outer_;
};
} // namespace

void RestoreFormPos(QWidget& frm, SettingsStore& store, const QString& Section)
{
    QObject* earlier = frm.findChild<QObject*>(kFrameWatchName, Qt::FindDirectChildrenOnly);
    if (auto* watch = dynamic_cast<FrameWatch*>(earlier))
        watch->stop();
    const QRect now = frm.frameGeometry();
    const QPoint place(readPixels(store, Section, "X").value_or(now.x()),
                       readPixels(store, Section, "Y").value_or(now.y()));
    OuterSize size{readPixels(store, Section, "W"), readPixels(store, Section, "H")};
    const QRect wanted(place, outerSizeTaken(frm, size));
    const QRect given = withinReach(wanted, desktop());
    // Brought within reach: the frame, once known, must fit the screen too.
    if (given != wanted)
        size = {given.width(), given.height()};
    // A top-level window's move places its frame.
    frm.move(given.topLeft());
    fitClient(frm, size);
    const bool sizeStored = size.width || size.height;
    if (sizeStored && frameOf(frm).isNull() && !(frm.windowFlags() & Qt::FramelessWindowHint))
        new FrameWatch(frm, size);
}

void SaveFormPos(QWidget& frm, SettingsStore& store, const QString& Section)
{
    if (frm.windowState() & kOtherStates)
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
