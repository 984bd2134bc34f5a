#pragma once
// Qt's serial port takes a lock file named after the path it is opened by.
// Pseudo-terminal numbers are handed out again the moment a pair closes, and
// ctest runs many test processes at once, so a test opening /dev/pts/N can
// meet the lock another process still holds on that number while it closes.
// Opening through a link of the test's own gives every test its own lock.

#include <atomic>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

namespace testsupport {

// A path no other test process uses, for a symbolic link to a device.
inline std::string uniquePortAlias()
{
    static std::atomic<int> next{0};
    return ::testing::TempDir() + "quelm_port_" + std::to_string(::getpid()) + "_" +
           std::to_string(next++);
}

} // namespace testsupport
