#include "platform/wave_device_qt.h"

#include <memory>

#include <QSemaphore>
#include <QThread>

#include "platform/wave_engine.h"

namespace quelm {

QtWaveDevice::QtWaveDevice(QObject* parent) : WaveDevice(parent), thread_(new QThread), engine_(new wave::Engine)
{
    thread_->setObjectName(QStringLiteral("wave device"));
    engine_->moveToThread(thread_);
    connect(engine_, &wave::Engine::outputStarted, this, &QtWaveDevice::outputStarted);
    connect(engine_, &wave::Engine::playbackEnded, this, &QtWaveDevice::playbackEnded);
    connect(engine_, &wave::Engine::deviceFailed, this, &QtWaveDevice::deviceFailed);
    thread_->start();
}

QtWaveDevice::~QtWaveDevice()
{
    if (!hung_) {
        auto finished = std::make_shared<QSemaphore>();
        QMetaObject::invokeMethod(
            engine_, [e = engine_, finished] {
                e->shutdown();
                finished->release();
            },
            Qt::QueuedConnection);
        hung_ = !finished->tryAcquire(1, kCommandTimeoutMs);
    }
    thread_->quit();
    if (hung_ || !thread_->wait(kCommandTimeoutMs)) {
        // A sound system that does not answer keeps its thread; the process
        // ending takes it with it.
        return;
    }
    delete engine_;
    delete thread_;
}

void QtWaveDevice::command(const QString& word)
{
    error_.clear();
    if (hung_) {
        error_ = QStringLiteral("The sound system does not answer.");
        return;
    }
    // The outcome is shared, so that an answer coming after the time-out has
    // somewhere to go.
    struct Slot {
        QSemaphore ready;
        wave::Outcome outcome;
    };
    auto slot = std::make_shared<Slot>();
    QMetaObject::invokeMethod(
        engine_, [e = engine_, slot, word, file = fileName(), to = to()] {
            slot->outcome = e->command(word, file, to);
            slot->ready.release();
        },
        Qt::QueuedConnection);
    if (!slot->ready.tryAcquire(1, kCommandTimeoutMs)) {
        hung_ = true;
        error_ = QStringLiteral("The sound system does not answer.");
        return;
    }
    mode_ = slot->outcome.mode;
    serial_ = slot->outcome.serial;
    error_ = slot->outcome.error;
    if (mode_ == NotOpen) {
        outputRunning_ = false;
    } else if (word == QLatin1String("open") && error_.isEmpty()) {
        openSerial_ = serial_;
        outputRunning_ = false;
    }
}

void QtWaveDevice::outputStarted(quint64 openSerial)
{
    // The start of an output that has since been closed says nothing of this one.
    if (openSerial == openSerial_ && mode_ != NotOpen)
        outputRunning_ = true;
}

void QtWaveDevice::playbackEnded(quint64 serial, int mode)
{
    // An end that a later command has overtaken (stop, seek, another play) is old news.
    if (serial != serial_)
        return;
    mode_ = mode;
    emit done(1);
}

void QtWaveDevice::deviceFailed(quint64 serial, int mode, const QString& reason)
{
    if (serial != serial_)
        return;
    mode_ = mode;
    emit failed(reason);
}

} // namespace quelm
