#pragma once

#include <cstdint>

#include "platform/wave_device.h"

class QThread;

namespace quelm {

namespace wave {
class Engine;
struct Outcome;
}

// The wave device on the computer's sound card: files are read and written
// through libsndfile, sound goes through Qt Multimedia's default output and
// input. Recordings are 16-bit PCM mono at a rate the input offers, held until
// "save" writes them to FileName (never over an existing file). done() comes
// when a playback has been heard to its end.
class QtWaveDevice final : public WaveDevice {
    Q_OBJECT
public:
    explicit QtWaveDevice(QObject* parent = nullptr);
    ~QtWaveDevice() override;

    void command(const QString& word) override;
    int mode() const override { return mode_; }
    bool outputRunning() const override { return outputRunning_; }
    QString errorText() const override { return error_; }

    // How long one command may take before the sound system counts as hung;
    // from then on every command is refused at once.
    static constexpr int kCommandTimeoutMs = 3000;

private:
    void outputStarted(quint64 openSerial);
    void playbackEnded(quint64 serial, int mode);
    void deviceFailed(quint64 serial, int mode, const QString& reason);

    QThread* thread_ = nullptr;
    wave::Engine* engine_ = nullptr;
    QString error_;
    int mode_ = NotOpen;
    std::uint64_t serial_ = 0;
    std::uint64_t openSerial_ = 0;
    bool outputRunning_ = false;
    bool hung_ = false;
};

} // namespace quelm
