// Window placement under a window manager: the real program on a display of
// the test's own with openbox framing its windows, started three times against
// the simulated radio; each time the memory editor is opened by the MEM key and
// the program is closed. The memory editor reopens where it was closed, at the
// same outer size, and the frameless panel stays where it was.

#include <functional>
#include <optional>
#include <ostream>

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QSize>
#include <QStandardPaths>
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

void seed(const QString& settingsFile, const QString& section, const Placement& placement)
{
    QSettings seeded(settingsFile, QSettings::IniFormat);
    seeded.beginGroup(section);
    seeded.setValue(QStringLiteral("X"), placement.x);
    seeded.setValue(QStringLiteral("Y"), placement.y);
    seeded.setValue(QStringLiteral("W"), placement.w);
    seeded.setValue(QStringLiteral("H"), placement.h);
}

// A stored placement in pixels.
QRect inPixels(const Placement& p)
{
    const auto pixels = [](const QString& twips) { return qRound(twips.toDouble() / 15); };
    return {pixels(p.x), pixels(p.y), pixels(p.w), pixels(p.h)};
}

// What `query` answers once the window manager has stopped changing the window.
QString settled(const std::function<QString()>& query)
{
    QString before;
    for (int tries = 0; tries < 20; ++tries) {
        QThread::msleep(250);
        const QString now = query();
        if (!now.isEmpty() && now == before)
            break;
        before = now;
    }
    return before;
}

// The window's client size as the X server has it, once the window manager has
// stopped changing it.
QSize settledClientSize(const testsupport::VirtualDisplay& display, const QString& window)
{
    const QString before = settled([&] {
        return display.xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    });
    QSize size;
    for (const QString& line : before.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("WIDTH=")))
            size.setWidth(line.mid(6).toInt());
        else if (line.startsWith(QLatin1String("HEIGHT=")))
            size.setHeight(line.mid(7).toInt());
    }
    return size;
}

// The window's outer rectangle on the screen, frame and all, once the window
// manager has stopped changing it. (xdotool counts the frame's offset twice in
// a reparented window's place; xwininfo does not.)
QRect settledOuterRect(const testsupport::VirtualDisplay& display, const QString& window)
{
    const QString info =
        settled([&] { return display.run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}); });
    const auto number = [&](const QString& label) {
        const QRegularExpression line(QStringLiteral("^\\s*%1\\s*(-?\\d+)").arg(label),
                                      QRegularExpression::MultilineOption);
        return line.match(info).captured(1).toInt();
    };
    const QRect client(number(QStringLiteral("Absolute upper-left X:")),
                       number(QStringLiteral("Absolute upper-left Y:")), number(QStringLiteral("Width:")),
                       number(QStringLiteral("Height:")));
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"; none on a window without a frame.
    const QStringList frame =
        display.run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")})
            .section(QLatin1Char('='), 1)
            .split(QLatin1Char(','));
    if (frame.size() != 4)
        return client;
    return client.adjusted(-frame[0].toInt(), -frame[2].toInt(), frame[1].toInt(), frame[3].toInt());
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
    seed(settingsFile, kEditorSection, closedAt);

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

TEST(WindowPlaceLive, WindowsLeftOutOfTheScreensReachOpenWhollyOnIt)
{
    const QRect screen(0, 0, 1280, 900);
    testsupport::DisplayedProgram p(screen.size());
    if (!p.display.whyNot().empty())
        GTEST_SKIP() << p.display.whyNot();
    if (const std::string why = p.display.frameWindows(); !why.empty())
        GTEST_SKIP() << why;
    if (QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
        GTEST_SKIP() << "xwininfo and xprop are needed to see where the windows lie";
    ASSERT_TRUE(p.setUp(QStringLiteral("[BAND LIMIT]\r\n6m 50110 50000 52000\r\n")));
    const QString settingsFile = p.root.filePath(QStringLiteral("config/Quelm/Quelm.ini"));
    // The panel closed on a second monitor, since unplugged, at 1500, 950; the
    // editor stretched a million pixels each way.
    seed(settingsFile, kPanelSection,
         {QStringLiteral(" 22500"), QStringLiteral(" 14250"), QStringLiteral(" 10515"), QStringLiteral(" 5055")});
    seed(settingsFile, kEditorSection,
         {QStringLiteral(" 1500"), QStringLiteral(" 900"), QStringLiteral(" 15000000"), QStringLiteral(" 15000000")});

    QProcess quelm;
    const QString window = p.startAndPowerOn(quelm); // its power key must be within reach
    ASSERT_FALSE(window.isEmpty()) << quelm.readAllStandardError().toStdString();
    p.display.click(window, testsupport::panelat::kMemory);
    const QString editor = p.display.shownWindow(quelm.processId(), QStringLiteral("^Memory$"));
    ASSERT_FALSE(editor.isEmpty()) << "the MEM key showed no memory editor";
    const QRect panel = settledOuterRect(p.display, window);
    const QRect editorOuter = settledOuterRect(p.display, editor);
    quelm.terminate();
    ASSERT_TRUE(quelm.waitForFinished(20000));

    EXPECT_EQ(panel.size(), QSize(701, 337));
    for (const QRect& outer : {panel, editorOuter})
        EXPECT_TRUE(screen.contains(outer)) << outer.x() << "," << outer.y() << " " << outer.width() << "x"
                                            << outer.height();
    // The place written back at the close is the one the editor was given.
    EXPECT_EQ(inPixels(storedPlacement(settingsFile, kEditorSection)), editorOuter);
}
