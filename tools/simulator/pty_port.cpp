#include "simulator/pty_port.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quelm::sim {

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void makeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

PtyPort::~PtyPort() { close(); }

void PtyPort::open(const std::string& symlinkPath)
{
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0)
        fail("cannot open a pseudo-terminal");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        close();
        fail("cannot unlock the pseudo-terminal");
    }
    char name[256] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) {
        close();
        fail("cannot name the pseudo-terminal");
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        close();
        fail("cannot open " + path_);
    }
    makeRaw(slave_);
    makeRaw(master_);
    // Without the watch (no inotify) the line counts as always listened to.
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ >= 0 && inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE) < 0) {
        ::close(watch_);
        watch_ = -1;
    }
    clients_ = 0;
    if (!symlinkPath.empty())
        makeLink(symlinkPath);
}

void PtyPort::close()
{
    removeLink();
    for (int* fd : {&watch_, &slave_, &master_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    clients_ = 0;
}

void PtyPort::serviceWatch()
{
    if (watch_ < 0)
        return;
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t n = ::read(watch_, buf, sizeof buf);
        if (n <= 0)
            return;
        for (ssize_t off = 0; off < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
            if (ev->mask & IN_OPEN) {
                // Whatever the line held before this opener came is not for it.
                if (clients_++ == 0)
                    tcflush(slave_, TCIFLUSH);
            }
            if ((ev->mask & IN_CLOSE) && clients_ > 0) {
                if (--clients_ == 0)
                    ioctl(slave_, TIOCNXCL);  // an exclusive opener has gone
            }
            off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
}

void PtyPort::makeLink(const std::string& linkPath)
{
    struct stat st{};
    if (lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            errno = EEXIST;
            const std::string p = path_;
            close();
            fail("will not replace " + linkPath + " (not a symbolic link) with a link to " + p);
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(path_.c_str(), linkPath.c_str()) != 0) {
        close();
        fail("cannot make the link " + linkPath);
    }
    link_ = linkPath;
}

void PtyPort::removeLink()
{
    if (link_.empty())
        return;
    char target[256] = {};
    const ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
    if (n > 0 && path_ == std::string(target, static_cast<std::size_t>(n)))
        ::unlink(link_.c_str());
    link_.clear();
}

}  // namespace quelm::sim
