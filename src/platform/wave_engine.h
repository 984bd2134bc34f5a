#pragma once

// The sound side of the real wave device. It lives on a thread of its own, so
// that a window thread busy in a serial wait never starves the sound card; the
// device (wave_device_qt.h) hands it each command word and waits for the outcome.
//
// An opened file keeps an output stream running from "open" to "close" (silence
// while nothing plays), so that "play" is heard within one buffer length and the
// end of a playback can be told from what the sound server has really played.

#include <cstdint>
#include <memory>

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/output_start.h"
#include "platform/sound_file.h"

class QAudioSink;
class QAudioSource;
class QTemporaryFile;

namespace quelm::wave {

// What one command left behind.
struct Outcome {
    int mode = 0;
    QString error;          // empty when the command was carried out
    std::uint64_t serial = 0;  // changes whenever a playback starts or is cut short
};

class Engine;

// The output stream's source: the playing file, or silence.
class Feeder final : public QIODevice {
public:
    explicit Feeder(Engine& engine) : engine_(engine) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return (1 << 20) + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    Engine& engine_;
};

// The input stream's sink: every block goes straight into the recording.
class Collector final : public QIODevice {
public:
    explicit Collector(Engine& engine) : engine_(engine) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    Engine& engine_;
};

class Engine final : public QObject {
    Q_OBJECT
public:
    explicit Engine(QObject* parent = nullptr);
    ~Engine() override;

    // Everything below runs on the engine's thread.
    Outcome command(const QString& word, const QString& fileName, long toMs);
    // Closes whatever is open; the last call before the engine is deleted.
    void shutdown();
    // Test hook: finishing a take fails for this reason, as on a full disk.
    void setFinishingFails(const QString& reason) { finishingFails_ = reason; }

    // Requested length of the output buffer: what "play" waits behind.
    static constexpr int kOutputBufferMs = 80;
    // A playback whose sound stops advancing for this long has failed.
    static constexpr int kStallMs = 2000;

signals:
    // The output stream of the file opened with this serial is being played by
    // the sound server: from now on "play" is heard within one buffer length.
    void outputStarted(quint64 openSerial);
    // The playback with this serial has been heard to its end.
    void playbackEnded(quint64 serial, int mode);
    // Playing or recording failed on its own.
    void deviceFailed(quint64 serial, int mode, const QString& reason);

private:
    friend class Feeder;
    friend class Collector;

    Outcome outcome(const QString& error = QString()) const;
    QString open(const QString& fileName);
    QString openForPlayback(const QString& fileName);
    QString record();
    QString play();
    QString stop();
    QString pause();
    QString seek(long toMs);
    QString save();
    // Lets go of the take without deleting it; where it now is.
    QString keepTake();
    void close();
    void endPlayback();
    void watchPlayback();
    // The watch runs while a file plays and until its output has started.
    void keepWatching();
    void fail(const QString& reason);
    void failLater(const QString& reason);

    qint64 feed(char* data, qint64 size);
    void collect(const char* data, qint64 size);
    qint64 heardBytes() const;

    int mode_;
    std::uint64_t serial_ = 0;
    QString fileName_;

    // Playback.
    sound::Reader reader_;
    QAudioFormat outFormat_;
    std::unique_ptr<QAudioSink> sink_;
    Feeder feeder_{*this};
    qint64 delivered_ = 0;     // bytes handed to the output stream since "open"
    qint64 fileEndByte_ = -1;  // where the file's last frame sits in that stream
    bool fileEnded_ = false;
    std::uint64_t openSerial_ = 0;
    // Whether the opened stream is really being played yet, on a clock from its start.
    OutputStartWatch startWatch_;
    QElapsedTimer sinceStart_;
    QTimer watch_;
    qint64 lastHeard_ = -1;
    QElapsedTimer sinceHeardMoved_;

    // Recording.
    std::unique_ptr<QAudioSource> source_;
    Collector collector_{*this};
    std::unique_ptr<QTemporaryFile> take_;
    sound::Writer writer_;
    int recordRate_ = 0;
    bool failing_ = false;
    QString finishingFails_;
};

} // namespace quelm::wave
