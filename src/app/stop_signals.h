#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

namespace quelm {

// SIGTERM, SIGINT and SIGHUP (kill, Ctrl-C in the terminal, the end of the
// session, `timeout`) end the program the way its exit key does, so the last
// radio state is saved and an open link closed. The signal handler only writes
// the signal's number to a pipe; the window thread reads it there and runs
// `stop` with it. A second signal, while the first is still being handled or
// the program ends, ends the process at once with 128 + the signal's number.
//
// One instance at a time; the signals go back to their default action when it
// is destroyed.
class StopSignals : public QObject {
public:
    explicit StopSignals(std::function<void(int signal)> stop, QObject* parent = nullptr);
    ~StopSignals() override;

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signals handled, in the order they are installed.
    static const int kSignals[3];

private:
    void readSignal();

    std::function<void(int)> stop_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace quelm
