// A key typed at nothing on show keys nothing: the real program on a display of
// the test's own, the CQ list pressed on a message, dragged off and let go
// outside it, then hidden by a mouse movement over the panel; a Return then
// leaves the simulated radio in receive.

#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include "support/displayed_program.h"
#include "support/sound_server.h"
#include "support/tone_file.h"

namespace {

// Bare spots of the panel picture: nothing covers them with the link open.
constexpr QPoint kBelowTheDisplay{305, 185};
constexpr QPoint kRightOfTheDisplay{445, 245};

bool keyedEver(const quelm::sim::RadioSimulator& radio)
{
    for (const auto& f : radio.log())
        if (f.bytes.size() == 8 && f.bytes[4] == 0x1C && f.bytes[5] == 0x00 && f.bytes[6] == 0x01)
            return true;
    return false;
}

} // namespace

TEST(HiddenListLive, AReturnAfterTheCQListHidUnderTheMouseLeavesTheRadioInReceive)
{
    testsupport::DisplayedProgram p;
    if (!p.display.whyNot().empty())
        GTEST_SKIP() << p.display.whyNot();
    testsupport::SoundServer& sound = testsupport::SoundServer::instance();
    if (!sound.running())
        GTEST_SKIP() << sound.whyNot().toStdString();
    const QProcessEnvironment soundEnv = sound.environment();
    ASSERT_TRUE(p.setUp(QStringLiteral("[BAND LIMIT]\r\n6m 50110 50000 52000\r\n[CQ]\r\n1,cq.wav,1\r\n"), &soundEnv));
    ASSERT_TRUE(testsupport::writeTone(p.programFile(QStringLiteral("cq.wav")), 1.0));

    QProcess quelm;
    const QString window = p.startAndPowerOn(quelm);
    ASSERT_FALSE(window.isEmpty()) << quelm.readAllStandardError().toStdString();
    using namespace testsupport::panelat;
    p.display.click(window, kMenu);
    QThread::msleep(300);
    p.display.click(window, kCQ);
    QThread::msleep(300);

    const auto at = [&](QPoint pt) {
        return QStringList{QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(pt.x()),
                           QString::number(pt.y())};
    };
    // Pressed on the first message, dragged off the list and let go outside it.
    p.display.xdotool(at(kFirstMessage) + QStringList{QStringLiteral("mousedown"), QStringLiteral("1")});
    QThread::msleep(150);
    p.display.xdotool(at(kBelowTheDisplay) + QStringList{QStringLiteral("mouseup"), QStringLiteral("1")});
    QThread::msleep(150);
    p.display.xdotool(at(kRightOfTheDisplay));
    QThread::msleep(300);
    p.display.xdotool({QStringLiteral("key"), QStringLiteral("5"), QStringLiteral("Return")});

    // A keying would come within the wait for the sound output to run.
    EXPECT_FALSE(testsupport::within([&] { return keyedEver(p.radio) || p.transmitting(); }, 4000))
        << "a Return typed at nothing on show keyed the transmitter";
    EXPECT_FALSE(p.transmitting());

    quelm.terminate();
    quelm.waitForFinished(10000);
}
