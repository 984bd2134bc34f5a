// The real serial layer against a pseudo-terminal pair: the port opens the
// slave side, the test plays the radio on the master side. No event loop runs
// here, as in the waits that serve no window events.

#include <chrono>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QString>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/serial_port_qt.h"
#include "support/port_alias.h"
#include "support/pty_pair.h"

using namespace quelm;

using testsupport::PtyPair;

namespace {

// The bytes cross the pseudo-terminal in the kernel, a little later than written.
constexpr auto kCrossing = std::chrono::seconds(2);

// Polls `count` until it reaches `want` or the crossing time is up; returns the last count.
template <typename F>
int pollCount(F count, int want)
{
    const auto end = std::chrono::steady_clock::now() + kCrossing;
    int n = count();
    while (n != want && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        n = count();
    }
    return n;
}

class SerialPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok()) << "no pseudo-terminal available";
        port.setCommPortPath(pty.slavePath());
        port.setPortOpen(true);
    }

    PtyPair pty;
    QtSerialPort port;
};

template <typename F>
QString serialErrorOf(F f)
{
    try {
        f();
    } catch (const SerialError& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST_F(SerialPty, FrameGoesOutInOnePieceAndTheBufferEmpties)
{
    const QByteArray frame = QByteArray::fromHex("FEFE56E003FD");
    port.output(frame);
    EXPECT_EQ(pollCount([&] { return port.outBufferCount(); }, 0), 0);
    EXPECT_EQ(pty.receive(frame.size()), frame);
}

TEST_F(SerialPty, InBufferCountSeesBytesThatArrivedWithoutAnEventLoop)
{
    const QByteArray reply = QByteArray::fromHex("FEFEE056030040071400FD");
    pty.send(reply);
    EXPECT_EQ(pollCount([&] { return port.inBufferCount(); }, reply.size()), reply.size());
    QByteArray read;
    for (int i = 0; i < reply.size(); ++i)
        read.append(static_cast<char>(port.input()));
    EXPECT_EQ(read, reply);
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_EQ(port.input(), -1);
}

TEST_F(SerialPty, InputAloneFetchesWhatTheDeviceHolds)
{
    pty.send(QByteArray("\xFD", 1));
    EXPECT_EQ(pollCount([&] { return port.input(); }, 0xFD), 0xFD);
}

TEST_F(SerialPty, PeekLeavesTheBytesForInput)
{
    const QByteArray reply = QByteArray::fromHex("FEFEE056030040071400FD");
    pty.send(reply);
    EXPECT_EQ(pollCount([&] { return port.inBufferCount(); }, reply.size()), reply.size());
    EXPECT_EQ(port.peekInput(4), reply.left(4));
    EXPECT_EQ(port.peekInput(100), reply);
    EXPECT_EQ(port.inBufferCount(), reply.size());
    EXPECT_EQ(port.input(), 0xFE);
    EXPECT_EQ(port.peekInput(100), reply.mid(1));
}

TEST_F(SerialPty, OutBufferCountMovesALargeWriteOnWhileTheFarEndReads)
{
    // More than the pseudo-terminal holds: the rest waits in the port until the
    // far end reads, and only outBufferCount can hand it on without an event loop.
    const QByteArray big(256 * 1024, '\x55');
    port.output(big);
    EXPECT_GT(port.outBufferCount(), 0);
    QByteArray got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got.size() < big.size() && std::chrono::steady_clock::now() < end) {
        got += pty.receive(1);
        port.outBufferCount();
    }
    EXPECT_EQ(got.size(), big.size());
    EXPECT_EQ(pollCount([&] { return port.outBufferCount(); }, 0), 0);
}

TEST_F(SerialPty, SettingsReachTheLine)
{
    port.setSettings(QStringLiteral("4800,n,8,2"));
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.master(), &tio), 0); // the master reports the slave's line
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B4800));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(port.settings(), "4800,n,8,2");
}

TEST_F(SerialPty, SettingsTheDeviceCannotTakeAreRefusedAndTheOldOnesStay)
{
    // A pseudo-terminal always runs 8 data bits without parity.
    port.setSettings(QStringLiteral("4800,n,8,1"));
    const QString message = serialErrorOf([&] { port.setSettings(QStringLiteral("19200,e,8,1")); });
    EXPECT_TRUE(message.contains(QStringLiteral("\"19200,e,8,1\""))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("parity e"))) << message.toStdString();
    EXPECT_EQ(port.settings(), "4800,n,8,1");
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B4800));
}

TEST(SerialOpen, SettingsTheDeviceRefusesFailTheOpening)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port;
    port.setCommPortPath(pty.slavePath());
    port.setSettings(QStringLiteral("9600,o,7,1")); // not checkable before the device is open
    const QString message = serialErrorOf([&] { port.setPortOpen(true); });
    EXPECT_TRUE(message.contains(QStringLiteral("\"9600,o,7,1\""))) << message.toStdString();
    EXPECT_FALSE(port.portOpen());
}

TEST(SerialSettingsText, RefusedTextsNameTheTextAndChangeNothing)
{
    const char* refused[] = {"9600,x,8,1", "9600,n,9,1", "9600,n,4,1", "9600,n,8,3", "9600,n,8", "9600,n,8,1,1",
                             "fast,n,8,1", "0,n,8,1",    "",           "9600;n;8;1", "9600,n,8,1.5"};
    QtSerialPort port;
    port.setSettings(QStringLiteral("19200,n,8,1"));
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        const QString message = serialErrorOf([&] { port.setSettings(QString::fromLatin1(text)); });
        EXPECT_TRUE(message.contains(QStringLiteral("\"%1\"").arg(QString::fromLatin1(text)))) << message.toStdString();
        EXPECT_EQ(port.settings(), "19200,n,8,1");
    }
}

TEST(SerialSettingsText, AcceptedForms)
{
    QtSerialPort port;
    for (const char* text : {"9600,n,8,1", "1200,E,7,2", "4800,o,8,1", "38400,m,8,1", "115200,s,8,1"}) {
        SCOPED_TRACE(text);
        EXPECT_NO_THROW(port.setSettings(QString::fromLatin1(text)));
    }
}

TEST(SerialOpen, AbsentDeviceIsAnErrorNamingIt)
{
    QtSerialPort port;
    port.setCommPortPath(QStringLiteral("/dev/quelm-no-such-port"));
    const QString message = serialErrorOf([&] { port.setPortOpen(true); });
    EXPECT_TRUE(message.contains(QStringLiteral("/dev/quelm-no-such-port"))) << message.toStdString();
    EXPECT_FALSE(port.portOpen());
}

TEST(SerialOpen, PortInUseIsAnError)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort first;
    QtSerialPort second;
    first.setCommPortPath(pty.slavePath());
    second.setCommPortPath(pty.slavePath());
    first.setPortOpen(true);
    EXPECT_FALSE(serialErrorOf([&] { second.setPortOpen(true); }).isEmpty());
    EXPECT_FALSE(second.portOpen());
    EXPECT_TRUE(first.portOpen());
}

TEST(SerialOpen, ClosedPortRefusesTraffic)
{
    QtSerialPort port;
    EXPECT_FALSE(serialErrorOf([&] { port.inBufferCount(); }).isEmpty());
    EXPECT_FALSE(serialErrorOf([&] { port.outBufferCount(); }).isEmpty());
    EXPECT_FALSE(serialErrorOf([&] { port.input(); }).isEmpty());
    EXPECT_FALSE(serialErrorOf([&] { port.output(QByteArray("x")); }).isEmpty());
    EXPECT_NO_THROW(port.setPortOpen(false));
}

TEST(SerialOpen, PortNumbersNameThePlatformsPorts)
{
    EXPECT_EQ(QtSerialPort::deviceForNumber(1), "/dev/ttyS0");
    EXPECT_EQ(QtSerialPort::deviceForNumber(4), "/dev/ttyS3");
    QtSerialPort port;
    port.setCommPort(2);
    EXPECT_EQ(port.portName(), "/dev/ttyS1");
    for (int bad : {0, -1, 256}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(serialErrorOf([&] { port.setCommPort(bad); }).isEmpty());
        EXPECT_EQ(port.portName(), "/dev/ttyS1");
    }
}

TEST(SerialFarEnd, ClosingItIsAnErrorForEveryOperation)
{
    enum class Op { InCount, Input, Output, OutCount };
    for (Op op : {Op::InCount, Op::Input, Op::Output, Op::OutCount}) {
        SCOPED_TRACE(static_cast<int>(op));
        PtyPair pty;
        ASSERT_TRUE(pty.ok());
        QtSerialPort port;
        port.setCommPortPath(pty.slavePath());
        port.setPortOpen(true);
        pty.closeMaster();
        const QString message = serialErrorOf([&] {
            switch (op) {
            case Op::InCount: pollCount([&] { return port.inBufferCount(); }, -1); break;
            case Op::Input: pollCount([&] { return port.input(); }, -2); break;
            case Op::Output: port.output(QByteArray::fromHex("FEFE56E003FD")); break;
            case Op::OutCount: pollCount([&] { return port.outBufferCount(); }, -1); break;
            }
        });
        EXPECT_TRUE(message.contains(pty.slavePath())) << message.toStdString();
        EXPECT_NO_THROW(port.setPortOpen(false));
    }
}

TEST(SerialFarEnd, WithEventsServedTheFailureIsKeptAndNoCoreSpins)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port;
    port.setCommPortPath(pty.slavePath());
    port.setPortOpen(true);
    pty.closeMaster();
    // Window events served while the far end is gone: Qt's own reading of the
    // device fails there, over and over unless the device is let go.
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double cpu = static_cast<double>(after.ru_utime.tv_sec - before.ru_utime.tv_sec)
        + static_cast<double>(after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1e6;
    EXPECT_LT(cpu, 0.1);
    EXPECT_TRUE(port.portOpen()) << "open for the program until it closes the port";
    EXPECT_TRUE(serialErrorOf([&] { port.inBufferCount(); }).contains(pty.slavePath()));
    EXPECT_FALSE(serialErrorOf([&] { port.output("x"); }).isEmpty());
    port.setPortOpen(false);
    EXPECT_FALSE(port.portOpen());

    PtyPair again;
    ASSERT_TRUE(again.ok());
    port.setCommPortPath(again.slavePath());
    port.setPortOpen(true);
    QCoreApplication::processEvents(); // a late close of the old device must spare this one
    EXPECT_TRUE(port.portOpen());
    again.send("\xFD");
    EXPECT_EQ(pollCount([&] { return port.inBufferCount(); }, 1), 1);
}

TEST(SerialFarEnd, BytesSentBeforeClosingAreStillRead)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port;
    port.setCommPortPath(pty.slavePath());
    port.setPortOpen(true);
    pty.send(QByteArray::fromHex("FEFEE056FBFD"));
    ASSERT_EQ(pollCount([&] { return port.inBufferCount(); }, 6), 6);
    pty.closeMaster();
    for (int i = 0; i < 6; ++i)
        port.input();
    EXPECT_FALSE(serialErrorOf([&] { port.inBufferCount(); }).isEmpty());
}

TEST_F(SerialPty, ReadingFromAQueuedCallLeavesTheLinkWorking)
{
    // The event loop delivers queued calls before it hands the port the bytes it
    // has seen arrive; a queued call that reads them first leaves the port's own
    // reading with nothing, which is no failure of the device.
    pty.send("\xFE");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int seen = -1;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { seen = port.inBufferCount(); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_EQ(seen, 1);
    EXPECT_EQ(serialErrorOf([&] { port.inBufferCount(); }), QString());
    pty.send("\xFD");
    EXPECT_EQ(pollCount([&] { return port.inBufferCount(); }, 2), 2);
}
