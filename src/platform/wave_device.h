#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/clock.h"
#include "platform/output_start.h"

namespace quelm {

// The wave-audio device the recorder and the CQ caller drive with command words.
class WaveDevice : public QObject {
    Q_OBJECT
public:
    // The mode values the program compares.
    enum Mode : int {
        NotOpen = 524,
        Stopped = 525,
        Playing = 526,
        Recording = 527,
        Seeking = 528,
        Paused = 529,
    };

    using QObject::QObject;
    ~WaveDevice() override = default;

    void setDeviceType(const QString& type) { deviceType_ = type; }
    QString deviceType() const { return deviceType_; }
    // The file that "open" opens and "save" writes.
    void setFileName(const QString& name) { fileName_ = name; }
    QString fileName() const { return fileName_; }
    // The target position of "seek", in milliseconds from the start of the file.
    void setTo(long position) { to_ = position; }
    long to() const { return to_; }

    // "open", "record", "play", "pause", "stop", "save", "close", "seek".
    // A word the device cannot carry out leaves its mode unchanged and says why
    // in errorText().
    virtual void command(const QString& word) = 0;
    virtual int mode() const = 0;
    // True once the sound output of a file opened for playback is really
    // playing (silence until "play"), so that "play" is heard at once; a stream
    // that is still starting up, reported started or not, would hold back the
    // first sound.
    virtual bool outputRunning() const = 0;
    // Why the last command was not carried out, in the operator's words; empty
    // when it was.
    virtual QString errorText() const = 0;

signals:
    // After every playback started by "play" has run to its end (the last sound
    // has been played). A playback ended early by "stop", "seek" or "close"
    // raises nothing.
    void done(int notifyCode);
    // The device failed while it played or recorded (the file could not be read
    // on, the sound device went away). Never raised from inside command().
    void failed(const QString& reason);

private:
    QString deviceType_;
    QString fileName_;
    long to_ = 0;
};

// Keeps the device's mode machine without producing sound: the fake of the
// tests. A playback runs until finishPlayback() is called.
class ModeMachineWaveDevice : public WaveDevice {
    Q_OBJECT
public:
    using WaveDevice::WaveDevice;

    void command(const QString& word) override;
    int mode() const override { return mode_; }
    bool outputRunning() const override;
    QString errorText() const override { return error_; }

    // Test hooks.
    const QStringList& commands() const { return commands_; }
    void clearCommands() { commands_.clear(); }
    // Ends a running playback: the mode becomes Stopped and done() is emitted.
    void finishPlayback();
    // When set, "open" fails (the mode stays NotOpen), as for a missing file.
    void setOpenFails(bool fails) { openFails_ = fails; }
    // When set, the device takes every word without ever changing its mode and
    // without saying why, as a device that hangs.
    void setStuck(bool stuck) { stuck_ = stuck; }
    // The device fails on its own: the mode becomes Stopped and failed() is emitted.
    void failNow(const QString& reason);
    // When set, the output of an opened file runs only once startOutput() is called.
    void setOutputStartsLate(bool late) { outputLate_ = late; }
    void startOutput() { outputStarted_ = mode_ != NotOpen; }
    // When set, the output of an opened file plays as `playedSeconds` says (its
    // played position at so many seconds of `clock` since "open"), and the
    // output runs once that position shows it playing, as the real device judges.
    void setOutputPlays(Clock& clock, std::function<double(double sinceOpen)> playedSeconds);

private:
    QString error_;
    int mode_ = NotOpen;
    bool openFails_ = false;
    bool stuck_ = false;
    bool outputLate_ = false;
    bool outputStarted_ = false;
    Clock* playClock_ = nullptr;
    std::function<double(double)> played_;
    double openedAt_ = 0;
    mutable wave::OutputStartWatch watch_;
    QStringList commands_;
};

} // namespace quelm
