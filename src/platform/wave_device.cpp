#include "platform/wave_device.h"

namespace quelm {

void ModeMachineWaveDevice::command(const QString& word)
{
    commands_.append(word);
    if (word == QLatin1String("open")) {
        if (mode_ == NotOpen && !openFails_)
            mode_ = Stopped;
    } else if (word == QLatin1String("close")) {
        mode_ = NotOpen;
    } else if (mode_ == NotOpen) {
        return; // nothing else works on a closed device
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

void ModeMachineWaveDevice::finishPlayback()
{
    if (mode_ == Playing)
        mode_ = Stopped;
    emit done(1);
}

} // namespace quelm
