#pragma once

#include <functional>

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace quelm {

class SerialPort;

// SIGTERM, SIGINT and SIGHUP (kill, Ctrl-C in the terminal, the end of the
// session, `timeout`) end the program the way its exit key does, so the last
// radio state is saved and an open link closed. The signal handler only writes
// the signal's number to a pipe; the window thread reads it there and runs
// `stop` with it. A second signal, while the first is still being handled or
// the program ends, ends the process at once with 128 + the signal's number;
// the frame given to writeOnSecondSignal goes to the open port first.
//
// One instance at a time; the signals go back to their default action when it
// is destroyed.
class StopSignals : public QObject {
public:
    explicit StopSignals(std::function<void(int signal)> stop, QObject* parent = nullptr);
    ~StopSignals() override;

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The frame a second signal writes to the port's device while it is open,
    // before the process ends: receive, so that a radio that may be keyed
    // (one in receive only acknowledges it) is not left on the air, however
    // soon after the first the second signal comes. The port must outlive the
    // watcher. Throws PlatformError for a frame longer than 32 bytes.
    void writeOnSecondSignal(const SerialPort& port, const QByteArray& frame);

    // The signals handled, in the order they are installed.
    static const int kSignals[3];

private:
    void readSignal();

    std::function<void(int)> stop_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace quelm
