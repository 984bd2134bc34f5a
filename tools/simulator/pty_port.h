#pragma once

// The pseudo-terminal the program opens as its serial port. The simulator
// keeps a descriptor of the slave side open all the time, so the line survives
// the program closing and reopening it (the power key does). It watches the
// slave's opens and closes to know whether anyone is listening: a real radio's
// bytes are lost while the port is closed, so nothing may pile up for the next
// opener.

#include <string>

namespace quelm::sim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // A fresh pair in raw mode; with a symlink path, a link to the slave is
    // made there (an existing link is replaced). Throws std::runtime_error.
    void open(const std::string& symlinkPath);
    // Closes both sides, as a cable pulled out: the opener sees a hang-up.
    void close();
    bool isOpen() const { return master_ >= 0; }

    int masterFd() const { return master_; }
    int watchFd() const { return watch_; }      // readable when the slave was opened or closed
    const std::string& path() const { return path_; }

    // Takes the pending open/close events.
    void serviceWatch();
    bool clientOpen() const { return watch_ < 0 || clients_ > 0; }

private:
    void makeLink(const std::string& linkPath);
    void removeLink();

    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;
    int clients_ = 0;
    std::string path_;
    std::string link_;
};

}  // namespace quelm::sim
