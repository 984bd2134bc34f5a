#include "app/stop_signals.h"

#include <cerrno>
#include <cstring>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "platform/errors.h"

namespace quelm {

namespace {

// The pipe between the handler and the window thread: [0] read, [1] write.
int pipeEnds[2] = {-1, -1};
volatile std::sig_atomic_t signalled = 0;

// Runs in the signal's context: only async-signal-safe calls.
extern "C" void onStopSignal(int signal)
{
    if (signalled)
        ::_exit(128 + signal);
    signalled = 1;
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
    errno = savedErrno;
}

void handleWith(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : StopSignals::kSignals)
        ::sigaction(s, &action, nullptr);
}

} // namespace

const int StopSignals::kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

StopSignals::StopSignals(std::function<void(int)> stop, QObject* parent) : QObject(parent), stop_(std::move(stop))
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw PlatformError(QStringLiteral("The program cannot watch for the stop signals: %1.")
                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    signalled = 0;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    handleWith(onStopSignal);
}

StopSignals::~StopSignals()
{
    handleWith(SIG_DFL);
    delete notifier_;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void StopSignals::readSignal()
{
    unsigned char number = 0;
    if (::read(pipeEnds[0], &number, 1) != 1)
        return;
    // The pipe is read once: a second signal never reaches it.
    notifier_->setEnabled(false);
    if (stop_)
        stop_(number);
}

} // namespace quelm
