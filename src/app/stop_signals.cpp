#include "app/stop_signals.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "platform/errors.h"
#include "platform/serial_port.h"

namespace quelm {

namespace {

// The pipe between the handler and the window thread: [0] read, [1] write.
int pipeEnds[2] = {-1, -1};
// Any thread may take a process signal, two of them at the same moment.
std::atomic<bool> signalled{false};

// What a second signal writes to the port before the process ends.
std::atomic<const SerialPort*> lastWordsPort{nullptr};
constexpr std::size_t kLastWordsMax = 32;
unsigned char lastWords[kLastWordsMax];
std::atomic<std::size_t> lastWordsLength{0};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<const SerialPort*>::is_always_lock_free
                  && std::atomic<std::size_t>::is_always_lock_free,
              "the signal handler uses lock-free atomics only");

// Signal context. A device that takes nothing (gone, or its buffer full) does
// not hold the end: a few tries, then the process ends all the same.
void writeLastWords()
{
    const SerialPort* port = lastWordsPort.load();
    const std::size_t length = lastWordsLength.load();
    const int fd = port ? port->descriptor() : -1;
    if (fd < 0 || length == 0)
        return;
    std::size_t done = 0;
    for (int tries = 0; done < length && tries < 100; ++tries) {
        const ssize_t n = ::write(fd, lastWords + done, length - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

// Runs in the signal's context: only async-signal-safe calls.
extern "C" void onStopSignal(int signal)
{
    if (signalled.exchange(true)) {
        // The first signal may not have been handled yet: its stop, which puts
        // the radio in receive, would never run.
        writeLastWords();
        ::_exit(128 + signal);
    }
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
    signalled = false;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    handleWith(onStopSignal);
}

StopSignals::~StopSignals()
{
    handleWith(SIG_DFL);
    lastWordsLength = 0;
    lastWordsPort = nullptr;
    delete notifier_;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void StopSignals::writeOnSecondSignal(const SerialPort& port, const QByteArray& frame)
{
    if (static_cast<std::size_t>(frame.size()) > kLastWordsMax)
        throw PlatformError(QStringLiteral("The frame for a second stop signal is too long."));
    // The handler reads the length last: while the bytes change it sees none.
    lastWordsLength = 0;
    std::memcpy(lastWords, frame.constData(), static_cast<std::size_t>(frame.size()));
    lastWordsPort = &port;
    lastWordsLength = static_cast<std::size_t>(frame.size());
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
