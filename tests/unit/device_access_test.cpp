// The real serial layer on a device this user may not open, as a new Linux user
// meets a USB serial cable (root:dialout 0660): the failure says so and names
// the device's group, while a busy port is not taken for one. A user outside
// the group is played by a child process that gives up root, so the test needs
// root; without it, only the owner's own denial can be shown.

#include <string>

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include "platform/device_access.h"
#include "platform/serial_port_qt.h"
#include "support/pty_pair.h"

using namespace quelm;

namespace {

constexpr uid_t kNobody = 65534;

// What opening `path` on the real layer gave: "opened", "error|message" or
// "denied|user|owner|group|groupMayOpen|userInGroup|groupInSession".
std::string openOutcome(const QString& path)
{
    QtSerialPort port;
    port.setCommPortPath(path);
    try {
        port.setPortOpen(true);
    } catch (const SerialAccessDenied& e) {
        const DeviceAccess& a = e.access();
        return QStringLiteral("denied|%1|%2|%3|%4|%5|%6")
            .arg(a.user, a.owner, a.group)
            .arg(int(a.groupMayOpen))
            .arg(int(a.userInGroup))
            .arg(int(a.groupInSession))
            .toStdString();
    } catch (const SerialError& e) {
        return "error|" + e.message().toStdString();
    }
    port.setPortOpen(false);
    return "opened";
}

// openOutcome(path) as the user nobody, in no group but its own, in a child
// process; empty when the child could not tell.
std::string openOutcomeAsNobody(const QString& path)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string outcome = "could not give up root";
        if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)
            outcome = openOutcome(path);
        (void)!::write(pipeEnds[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string out;
    char buffer[512];
    // A child that hangs must not hang the suite.
    pollfd reading{pipeEnds[0], POLLIN, 0};
    while (::poll(&reading, 1, 20000) > 0) {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    ::kill(child, SIGKILL);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return out;
}

} // namespace

TEST(DeviceAccess, ADeviceOfAGroupTheUserIsNotInIsDeniedNamingTheGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can hand the device to a group and then give up root";
    testsupport::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const group* dialout = ::getgrnam("dialout");
    const gid_t gid = dialout ? dialout->gr_gid : 20;
    const QByteArray device = QFile::encodeName(pty.slavePath());
    ASSERT_EQ(::chown(device.constData(), 0, gid), 0);
    ASSERT_EQ(::chmod(device.constData(), 0660), 0);
    const std::string group = dialout ? "dialout" : "20";

    EXPECT_EQ(openOutcomeAsNobody(pty.slavePath()), "denied|nobody|root|" + group + "|1|0|0");

    // Open to everyone, the same device opens: it was the permission, nothing else.
    ASSERT_EQ(::chmod(device.constData(), 0666), 0);
    EXPECT_EQ(openOutcomeAsNobody(pty.slavePath()), "opened");
}

TEST(DeviceAccess, ADeviceThatLetsOnlyItsOwnerInIsDeniedForTheGroupToo)
{
    testsupport::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const QByteArray device = QFile::encodeName(pty.slavePath());
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(device.constData(), 0, 0), 0);
        ASSERT_EQ(::chmod(device.constData(), 0600), 0);
        EXPECT_EQ(openOutcomeAsNobody(pty.slavePath()), "denied|nobody|root|root|0|0|0");
    } else {
        // The owner itself, with no permission left.
        ASSERT_EQ(::chmod(device.constData(), 0), 0);
        const std::string outcome = openOutcome(pty.slavePath());
        EXPECT_EQ(outcome.rfind("denied|", 0), 0u) << outcome;
        EXPECT_NE(outcome.find("|0|"), std::string::npos) << outcome;
    }
}

TEST(DeviceAccess, APortInUseOrMissingIsNotTakenForADeviceTheUserMayNotOpen)
{
    testsupport::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort first;
    first.setCommPortPath(pty.slavePath());
    first.setPortOpen(true);
    EXPECT_EQ(openOutcome(pty.slavePath()).rfind("error|", 0), 0u);
    EXPECT_EQ(openOutcome(QStringLiteral("/dev/quelm-no-such-port")).rfind("error|", 0), 0u);
    EXPECT_FALSE(deniedAccess(pty.slavePath()).has_value());
}
