#pragma once
// A bare pseudo-terminal pair: the program opens the slave side through a link
// of the test's own (port_alias.h), the test plays the far end on the master.
// Nothing answers unless the test writes.

#include <chrono>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include "support/port_alias.h"

namespace testsupport {

class PtyPair {
public:
    PtyPair()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        const std::string alias = testsupport::uniquePortAlias();
        if (::symlink(::ptsname(master_), alias.c_str()) == 0)
            slave_ = QString::fromStdString(alias);
    }
    ~PtyPair()
    {
        closeMaster();
        if (!slave_.isEmpty())
            ::unlink(slave_.toStdString().c_str());
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && !slave_.isEmpty(); }
    const QString& slavePath() const { return slave_; }
    int master() const { return master_; }

    void send(const QByteArray& bytes) const
    {
        ASSERT_EQ(::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
    }

    // Reads what arrives within `within`, up to `count` bytes.
    QByteArray receive(qsizetype count, std::chrono::milliseconds within = std::chrono::seconds(2)) const
    {
        QByteArray got;
        const auto end = std::chrono::steady_clock::now() + within;
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0 || !(pfd.revents & POLLIN))
                continue;
            char buf[4096];
            const auto n = ::read(master_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
        }
        return got;
    }

    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    QString slave_;
};

} // namespace testsupport
