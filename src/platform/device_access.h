#pragma once

// Why this user may not open a device file. The usual first failure on Linux:
// a USB serial cable is root:dialout 0660, and a new user is not in dialout.
// The facts are gathered where the open failed; the words for the operator are
// the caller's.

#include <optional>
#include <utility>

#include <QString>

#include "platform/errors.h"

namespace quelm {

struct DeviceAccess {
    QString path;
    QString user;              // who runs the program
    QString owner;             // the device's owner
    QString group;             // the device's group (its number when it has no name)
    bool groupMayOpen = false; // the group may read and write the device
    bool userInGroup = false;  // the user is a member of that group in the system's list
    bool groupInSession = false; // this process already has the group
};

// The facts when `path` exists and this process may not read and write it;
// nothing otherwise (a device that is busy, missing or open to this user).
std::optional<DeviceAccess> deniedAccess(const QString& path);

// A port that would not open because this user may not open its device.
class SerialAccessDenied : public SerialError {
public:
    SerialAccessDenied(const QString& message, DeviceAccess access)
        : SerialError(message), access_(std::move(access))
    {
    }
    const DeviceAccess& access() const { return access_; }

private:
    DeviceAccess access_;
};

} // namespace quelm
