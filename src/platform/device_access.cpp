#include "platform/device_access.h"

#include <vector>

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quelm {

#ifdef Q_OS_UNIX
namespace {

// The passwd entry of `uid`: its name and primary group.
bool userEntry(uid_t uid, QString* name, gid_t* primary)
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        *name = QString::number(uid);
        return false;
    }
    *name = QString::fromLocal8Bit(found->pw_name);
    if (primary)
        *primary = found->pw_gid;
    return true;
}

QString groupName(gid_t gid)
{
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString::number(gid);
    return QString::fromLocal8Bit(found->gr_name);
}

bool sessionHas(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid)
            return true;
    return false;
}

// Whether the system's group list makes `user` a member of `gid`, whatever
// this process was started with.
bool listedIn(const QString& user, gid_t primary, gid_t gid)
{
    if (primary == gid)
        return true;
    const QByteArray name = user.toLocal8Bit();
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(name.constData(), primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(name.constData(), primary, groups.data(), &count) < 0)
            return false;
    }
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid)
            return true;
    return false;
}

} // namespace
#endif

std::optional<DeviceAccess> deniedAccess(const QString& path)
{
#ifdef Q_OS_UNIX
    const QByteArray file = QFile::encodeName(path);
    if (::access(file.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return std::nullopt;
    struct stat device {};
    if (::stat(file.constData(), &device) != 0)
        return std::nullopt;
    DeviceAccess a;
    a.path = path;
    gid_t primary = static_cast<gid_t>(-1);
    const bool known = userEntry(::getuid(), &a.user, &primary);
    userEntry(device.st_uid, &a.owner, nullptr);
    a.group = groupName(device.st_gid);
    a.groupMayOpen = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    a.userInGroup = known && listedIn(a.user, primary, device.st_gid);
    a.groupInSession = sessionHas(device.st_gid);
    return a;
#else
    Q_UNUSED(path);
    return std::nullopt;
#endif
}

} // namespace quelm
