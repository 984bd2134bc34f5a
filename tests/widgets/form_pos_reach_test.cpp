// A window stored where no screen reaches, or larger than the screen, opens
// wholly on it: on the offscreen platform's one screen, whatever its size.

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "platform/conversions.h"
#include "support/quelm_fixture.h"
#include "window_support/form_pos.h"

using namespace quelm;

namespace {

QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

void store(SettingsStore& settings, const QString& section, QRect outer)
{
    const std::pair<const char*, int> values[] = {
        {"X", outer.x()}, {"Y", outer.y()}, {"W", outer.width()}, {"H", outer.height()}};
    for (const auto& [key, pixels] : values)
        settings.saveSetting(QStringLiteral("Quelm"), section, QString::fromLatin1(key),
                             conv::numberText(pixels * kTwipsPerPixel));
}

TEST(FormPos, AWindowOutOfTheScreensReachOpensWhollyOnTheScreen)
{
    const QRect screen = screenArea();
    const QPoint beyond = screen.bottomRight() + QPoint(200, 150);
    const struct {
        const char* what;
        QRect stored, restored;
    } cases[] = {
        {"beyond the corner", {beyond, QSize(300, 200)}, {screen.bottomRight() - QPoint(299, 199), QSize(300, 200)}},
        {"larger than the screen", {screen.topLeft() + QPoint(20, 10), screen.size() + QSize(400, 300)}, screen},
    };
    for (const auto& c : cases) {
        MemorySettingsStore settings;
        store(settings, QStringLiteral("Quelm_MEM"), c.stored);
        QWidget w(nullptr, Qt::FramelessWindowHint);
        w.setGeometry(40, 50, 300, 200);
        RestoreFormPos(w, settings, QStringLiteral("Quelm_MEM"));
        EXPECT_EQ(w.frameGeometry(), c.restored) << c.what;
    }
}

TEST(FormPos, AFramedWindowLargerThanTheScreenFitsItFrameAndAll)
{
    const QRect screen = screenArea();
    MemorySettingsStore settings;
    store(settings, QStringLiteral("Quelm_MEM"), {screen.topLeft() + QPoint(30, 20), screen.size() + QSize(400, 300)});
    QWidget w;
    RestoreFormPos(w, settings, QStringLiteral("Quelm_MEM"));
    w.show();
    QCoreApplication::processEvents();
    if (w.frameGeometry() == w.geometry())
        GTEST_SKIP() << "this platform puts no frame round a window";
    EXPECT_EQ(w.frameGeometry(), screen);
}

TEST(FormPos, ThePanelLeftOffTheScreenOnlyMovesOntoIt)
{
    const QRect screen = screenArea();
    QuelmFixture f;
    store(f.fake.settings, QStringLiteral("Quelm"), {screen.bottomRight() + QPoint(200, 150), QSize(1000000, 1000000)});
    ASSERT_TRUE(f.load());
    EXPECT_EQ(f.window->frameGeometry(), QRect(screen.bottomRight() - QPoint(700, 336), QSize(701, 337)));
}

} // namespace
