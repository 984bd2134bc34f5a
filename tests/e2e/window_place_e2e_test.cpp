// Window placement under a window manager: the real program on a display of
// the test's own with openbox framing its windows, started three times against
// the simulated radio; each time the memory editor is opened by the MEM key and
// the program is closed. The memory editor reopens where it was closed, at the
// same outer size, and the frameless panel stays where it was.

#include <optional>
#include <ostream>

#include <QProcess>
#include <QSettings>
#include <QSize>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include "support/displayed_program.h"

namespace {

const QString kEditorSection = QStringLiteral("Quelm_MEM");
const QString kPanelSection = QStringLiteral("Quelm");

struct Placement {
    QString x, y, w, h;
    bool operator==(const Placement&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Placement& p)
{
    return os << "X" << p.x.toStdString() << " Y" << p.y.toStdString() << " W" << p.w.toStdString() << " H"
              << p.h.toStdString();
}

Placement storedPlacement(const QString& settingsFile, const QString& section)
{
    QSettings saved(settingsFile, QSettings::IniFormat);
    saved.beginGroup(section);
    auto value = [&](const char* key) { return saved.value(QString::fromLatin1(key)).toString(); };
    return {value("X"), value("Y"), value("W"), value("H")};
}

// The window's client size as the X server has it, once the window manager has
// stopped changing it.
QSize settledClientSize(const testsupport::VirtualDisplay& display, const QString& window)
{
    QString before;
    for (int tries = 0; tries < 20; ++tries) {
        QThread::msleep(250);
        const QString now = display.xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        if (!now.isEmpty() && now == before)
            break;
        before = now;
    }
    QSize size;
    for (const QString& line : before.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("WIDTH=")))
            size.setWidth(line.mid(6).toInt());
        else if (line.startsWith(QLatin1String("HEIGHT=")))
            size.setHeight(line.mid(7).toInt());
    }
    return size;
}

} // namespace

TEST(WindowPlaceLive, TheMemoryEditorReopensWhereAndAsLargeAsItWasClosedUnderAWindowManager)
{
    testsupport::DisplayedProgram p;
    if (!p.display.whyNot().empty())
        GTEST_SKIP() << p.display.whyNot();
    if (const std::string why = p.display.frameWindows(); !why.empty())
        GTEST_SKIP() << why;
    ASSERT_TRUE(p.setUp(QStringLiteral("[BAND LIMIT]\r\n6m 50110 50000 52000\r\n")));
    const QString settingsFile = p.root.filePath(QStringLiteral("config/Quelm/Quelm.ini"));
    // Where the operator left the editor last time: 100, 60, outer 530 x 300 pixels.
    const Placement closedAt{QStringLiteral(" 1500"), QStringLiteral(" 900"), QStringLiteral(" 7950"),
                             QStringLiteral(" 4500")};
    {
        QSettings seed(settingsFile, QSettings::IniFormat);
        seed.beginGroup(kEditorSection);
        seed.setValue(QStringLiteral("X"), closedAt.x);
        seed.setValue(QStringLiteral("Y"), closedAt.y);
        seed.setValue(QStringLiteral("W"), closedAt.w);
        seed.setValue(QStringLiteral("H"), closedAt.h);
    }

    std::optional<Placement> panel;
    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE(start);
        QProcess quelm;
        const QString window = p.startAndPowerOn(quelm);
        ASSERT_FALSE(window.isEmpty()) << quelm.readAllStandardError().toStdString();
        p.display.click(window, testsupport::panelat::kMemory);
        const QString editor = p.display.shownWindow(quelm.processId(), QStringLiteral("^Memory$"));
        ASSERT_FALSE(editor.isEmpty()) << "the MEM key showed no memory editor";
        const QSize client = settledClientSize(p.display, editor);
        quelm.terminate();
        ASSERT_TRUE(quelm.waitForFinished(20000));

        // The frame is round the client, inside the outer size.
        EXPECT_LT(client.width(), 530);
        EXPECT_LT(client.height(), 300);
        EXPECT_EQ(storedPlacement(settingsFile, kEditorSection), closedAt);
        const Placement panelNow = storedPlacement(settingsFile, kPanelSection);
        if (!panel)
            panel = panelNow;
        EXPECT_EQ(panelNow, *panel);
    }
}
