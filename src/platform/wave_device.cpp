#include "platform/wave_device.h"

namespace quelm {

void ModeMachineWaveDevice::command(const QString& word)
{
    commands_.append(word);
    error_.clear();
    if (stuck_)
        return;
    if (word == QLatin1String("open")) {
        if (mode_ != NotOpen)
            return;
        if (openFails_) {
            error_ = QStringLiteral("The file could not be opened.");
        } else {
            mode_ = Stopped;
            outputStarted_ = !outputLate_;
            if (playClock_) {
                openedAt_ = playClock_->now();
                watch_.reset();
            }
        }
    } else if (word == QLatin1String("close")) {
        mode_ = NotOpen;
    } else if (mode_ == NotOpen) {
        error_ = QStringLiteral("The wave device is not open.");
    } else if (word == QLatin1String("record")) {
        mode_ = Recording;
    } else if (word == QLatin1String("play")) {
        mode_ = Playing;
    } else if (word == QLatin1String("pause")) {
        if (mode_ == Playing)
            mode_ = Paused;
        else if (mode_ == Paused)
            mode_ = Playing;
    } else if (word == QLatin1String("stop")) {
        mode_ = Stopped;
    } else if (word == QLatin1String("seek")) {
        mode_ = Stopped;
    }
    // "save" leaves the mode as it is.
}

bool ModeMachineWaveDevice::outputRunning() const
{
    if (mode_ == NotOpen || !outputStarted_)
        return false;
    if (!playClock_)
        return true;
    const double t = playClock_->now() - openedAt_;
    return watch_.look(t * 1000, played_(t) * 1000);
}

void ModeMachineWaveDevice::setOutputPlays(Clock& clock, std::function<double(double sinceOpen)> playedSeconds)
{
    playClock_ = &clock;
    played_ = std::move(playedSeconds);
}

void ModeMachineWaveDevice::finishPlayback()
{
    if (mode_ == Playing)
        mode_ = Stopped;
    emit done(1);
}

void ModeMachineWaveDevice::failNow(const QString& reason)
{
    if (mode_ != NotOpen)
        mode_ = Stopped;
    emit failed(reason);
}

} // namespace quelm
