#include "platform/wave_engine.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QAudioDevice>
#include <QAudioSink>
#include <QAudioSource>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QTemporaryFile>

#include "platform/wave_device.h"

namespace quelm::wave {

namespace {

QString audioErrorText(QAudio::Error e)
{
    switch (e) {
    case QAudio::OpenError: return QStringLiteral("the sound device could not be opened");
    case QAudio::IOError: return QStringLiteral("the sound device could not be read or written");
    case QAudio::UnderrunError: return QStringLiteral("the sound device ran out of data");
    case QAudio::FatalError: return QStringLiteral("the sound device is no longer available");
    case QAudio::NoError: break;
    }
    return QStringLiteral("the sound device stopped");
}

// Rates tried for a recording after the input's own preferred one.
constexpr int kRecordRates[] = {48000, 44100, 22050, 16000, 11025, 8000};

} // namespace

qint64 Feeder::readData(char* data, qint64 maxSize)
{
    return engine_.feed(data, maxSize);
}

qint64 Collector::writeData(const char* data, qint64 size)
{
    engine_.collect(data, size);
    return size;
}

Engine::Engine(QObject* parent) : QObject(parent), mode_(WaveDevice::NotOpen), watch_(this)
{
    watch_.setInterval(2);
    watch_.setTimerType(Qt::PreciseTimer);
    connect(&watch_, &QTimer::timeout, this, &Engine::watchPlayback);
}

Engine::~Engine()
{
    shutdown();
}

void Engine::shutdown()
{
    close();
}

Outcome Engine::outcome(const QString& error) const
{
    return Outcome{mode_, error, serial_};
}

Outcome Engine::command(const QString& word, const QString& fileName, long toMs)
{
    QString error;
    if (word == QLatin1String("open"))
        error = open(fileName);
    else if (word == QLatin1String("close"))
        close();
    else if (mode_ == WaveDevice::NotOpen)
        error = QStringLiteral("The wave device is not open.");
    else if (word == QLatin1String("record"))
        error = record();
    else if (word == QLatin1String("play"))
        error = play();
    else if (word == QLatin1String("pause"))
        error = pause();
    else if (word == QLatin1String("stop"))
        error = stop();
    else if (word == QLatin1String("seek"))
        error = seek(toMs);
    else if (word == QLatin1String("save"))
        error = save();
    else
        error = QStringLiteral("The wave device knows no command \"%1\".").arg(word);
    return outcome(error);
}

QString Engine::open(const QString& fileName)
{
    if (mode_ != WaveDevice::NotOpen)
        return QStringLiteral("The wave device is already open.");
    if (fileName.isEmpty())
        return QStringLiteral("No file was named.");
    // A file that exists is opened for playback; a new name waits for a recording.
    if (QFileInfo::exists(fileName)) {
        if (QString error = openForPlayback(fileName); !error.isEmpty())
            return error;
    }
    fileName_ = fileName;
    mode_ = WaveDevice::Stopped;
    openSerial_ = ++serial_;
    keepWatching();
    return {};
}

QString Engine::openForPlayback(const QString& fileName)
{
    QString why;
    if (!reader_.open(fileName, &why))
        return QStringLiteral("It is no sound file that can be played (%1).").arg(why);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        reader_.close();
        return QStringLiteral("No sound output device was found.");
    }
    QAudioFormat format;
    format.setSampleRate(reader_.sampleRate());
    format.setChannelCount(reader_.channels());
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        reader_.close();
        return QStringLiteral("The sound output cannot play %1 Hz with %2 channel(s).")
            .arg(format.sampleRate())
            .arg(format.channelCount());
    }
    outFormat_ = format;
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(format.bytesForDuration(qint64(kOutputBufferMs) * 1000));
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State s) {
        if (s == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError)
            failLater(QStringLiteral("The playback stopped: %1.").arg(audioErrorText(sink_->error())));
    });
    delivered_ = 0;
    fileEnded_ = false;
    fileEndByte_ = -1;
    feeder_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    sink_->start(&feeder_);
    startWatch_.reset(static_cast<double>(format.durationForBytes(sink_->bufferSize())) / 1000.0);
    sinceStart_.start();
    if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
        const QString text = audioErrorText(sink_->error());
        sink_.reset();
        feeder_.close();
        reader_.close();
        return QStringLiteral("The sound output could not be started: %1.").arg(text);
    }
    return {};
}

QString Engine::record()
{
    if (mode_ == WaveDevice::Recording)
        return {};
    if (reader_.isOpen())
        return QStringLiteral("A recording needs a new file; this one exists already.");
    if (mode_ != WaveDevice::Stopped)
        return QStringLiteral("The wave device is busy.");
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return QStringLiteral("No sound input device was found.");

    QAudioFormat format;
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (writer_.isOpen()) {
        // Recording on after a "stop": the take keeps its rate.
        format.setSampleRate(recordRate_);
    } else {
        std::vector<int> rates{device.preferredFormat().sampleRate()};
        rates.insert(rates.end(), std::begin(kRecordRates), std::end(kRecordRates));
        const auto usable = std::find_if(rates.begin(), rates.end(), [&](int r) {
            format.setSampleRate(r);
            return r > 0 && device.isFormatSupported(format);
        });
        if (usable == rates.end())
            return QStringLiteral("The sound input cannot record 16-bit mono.");
        format.setSampleRate(*usable);

        // The take is written beside its file as it comes, so that a long recording
        // costs no memory and a folder that cannot be written shows at once.
        const QString folder = QFileInfo(fileName_).absolutePath();
        take_ = std::make_unique<QTemporaryFile>(QDir(folder).filePath(QStringLiteral(".recording-XXXXXX.wav")));
        if (!take_->open()) {
            const QString why = take_->errorString();
            take_.reset();
            return QStringLiteral("Nothing can be written in the folder %1 (%2).")
                .arg(QDir::toNativeSeparators(folder), why);
        }
        take_->close();
        QString why;
        if (!writer_.open(take_->fileName(), format.sampleRate(), &why)) {
            take_.reset();
            return QStringLiteral("The recording could not be started (%1).").arg(why);
        }
        recordRate_ = format.sampleRate();
    }
    source_ = std::make_unique<QAudioSource>(device, format);
    connect(source_.get(), &QAudioSource::stateChanged, this, [this](QAudio::State s) {
        if (s == QAudio::StoppedState && source_ && source_->error() != QAudio::NoError)
            failLater(QStringLiteral("The recording stopped: %1.").arg(audioErrorText(source_->error())));
    });
    collector_.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    source_->start(&collector_);
    if (source_->error() != QAudio::NoError || source_->state() == QAudio::StoppedState) {
        const QString text = audioErrorText(source_->error());
        source_.reset();
        collector_.close();
        return QStringLiteral("The sound input could not be started: %1.").arg(text);
    }
    mode_ = WaveDevice::Recording;
    return {};
}

QString Engine::play()
{
    switch (mode_) {
    case WaveDevice::Playing:
        return {};
    case WaveDevice::Paused:
        return pause();
    case WaveDevice::Recording:
        return QStringLiteral("The wave device is recording.");
    default:
        break;
    }
    if (!reader_.isOpen())
        return QStringLiteral("There is no sound to play: the file does not exist.");
    if (!sink_)
        return QStringLiteral("The sound output is no longer available.");
    if (reader_.frames() <= 0)
        return QStringLiteral("The file holds no sound.");
    if (reader_.position() >= reader_.frames())
        reader_.seek(0);
    if (sink_->state() == QAudio::SuspendedState)
        sink_->resume();
    fileEnded_ = false;
    fileEndByte_ = -1;
    lastHeard_ = -1;
    sinceHeardMoved_.start();
    mode_ = WaveDevice::Playing;
    ++serial_;
    keepWatching();
    return {};
}

QString Engine::pause()
{
    if (!sink_)
        return {};
    if (mode_ == WaveDevice::Playing) {
        sink_->suspend();
        mode_ = WaveDevice::Paused;
    } else if (mode_ == WaveDevice::Paused) {
        sink_->resume();
        sinceHeardMoved_.start();
        mode_ = WaveDevice::Playing;
    }
    keepWatching();
    return {};
}

void Engine::endPlayback()
{
    fileEnded_ = false;
    fileEndByte_ = -1;
    if (sink_ && sink_->state() == QAudio::SuspendedState)
        sink_->resume();
}

QString Engine::stop()
{
    if (mode_ == WaveDevice::Playing || mode_ == WaveDevice::Paused) {
        endPlayback();
        ++serial_;
    } else if (mode_ == WaveDevice::Recording) {
        source_.reset();
        collector_.close();
    }
    mode_ = WaveDevice::Stopped;
    keepWatching();
    return {};
}

QString Engine::seek(long toMs)
{
    if (mode_ == WaveDevice::Recording)
        return QStringLiteral("The wave device is recording.");
    stop();
    if (reader_.isOpen()) {
        const qint64 frame = std::clamp<qint64>(qint64(toMs) * reader_.sampleRate() / 1000, 0, reader_.frames());
        if (!reader_.seek(frame))
            return QStringLiteral("The file cannot be wound to %1 ms.").arg(toMs);
    }
    return {};
}

QString Engine::save()
{
    // Only a recording is written; a file opened for playback stays as it is.
    if (!take_)
        return {};
    if (mode_ == WaveDevice::Recording)
        stop();
    QString why;
    bool finished = writer_.close(&why);
    if (finished && !finishingFails_.isEmpty()) {
        why = finishingFails_;
        finished = false;
    }
    if (!finished)
        return QStringLiteral("The recording could not be finished (%1); what was recorded has been kept as %2.")
            .arg(why, keepTake());
    if (QFileInfo::exists(fileName_) || !take_->rename(fileName_))
        return QStringLiteral("The recording could not be saved as %1; it has been kept as %2.")
            .arg(QDir::toNativeSeparators(fileName_), keepTake());
    take_->setAutoRemove(false);
    take_.reset();
    return {};
}

QString Engine::keepTake()
{
    take_->setAutoRemove(false);
    // The PLAY list leaves out names that begin with a dot.
    const QFileInfo hidden(take_->fileName());
    const QString shown = hidden.dir().filePath(hidden.fileName().mid(1));
    if (!QFileInfo::exists(shown))
        take_->rename(shown);
    const QString kept = QDir::toNativeSeparators(take_->fileName());
    take_.reset();
    return kept;
}

void Engine::close()
{
    watch_.stop();
    sink_.reset();
    feeder_.close();
    source_.reset();
    collector_.close();
    reader_.close();
    QString ignored;
    writer_.close(&ignored);
    take_.reset(); // an unsaved recording goes with it
    fileEnded_ = false;
    fileEndByte_ = -1;
    if (mode_ != WaveDevice::NotOpen)
        ++serial_;
    mode_ = WaveDevice::NotOpen;
}

qint64 Engine::feed(char* data, qint64 size)
{
    const int frameBytes = outFormat_.bytesPerFrame();
    if (frameBytes <= 0)
        return 0;
    const qint64 frames = size / frameBytes;
    qint64 got = 0;
    if (mode_ == WaveDevice::Playing && !fileEnded_) {
        QString why;
        got = reader_.read(reinterpret_cast<std::int16_t*>(data), frames, &why);
        if (got < 0) {
            got = 0;
            failLater(QStringLiteral("The file could not be read on (%1).").arg(why));
        }
        if (got < frames) {
            fileEnded_ = true;
            fileEndByte_ = delivered_ + got * frameBytes;
        }
    }
    std::memset(data + got * frameBytes, 0, static_cast<std::size_t>((frames - got) * frameBytes));
    delivered_ += frames * frameBytes;
    return frames * frameBytes;
}

qint64 Engine::heardBytes() const
{
    return sink_ ? outFormat_.bytesForDuration(sink_->processedUSecs()) : 0;
}

void Engine::keepWatching()
{
    if (sink_ && (mode_ == WaveDevice::Playing || !startWatch_.playing())) {
        if (!watch_.isActive())
            watch_.start();
    } else {
        watch_.stop();
    }
}

void Engine::watchPlayback()
{
    const qint64 heard = heardBytes();
    // A stream the server reports as started may still be silent for seconds (an
    // idle sink renders its first block first): only a position that runs on
    // with the clock says the sound comes out.
    if (sink_ && !startWatch_.playing()
        && startWatch_.look(static_cast<double>(sinceStart_.nsecsElapsed()) / 1e6,
                            static_cast<double>(sink_->processedUSecs()) / 1000.0))
        emit outputStarted(openSerial_);
    if (mode_ != WaveDevice::Playing || !sink_) {
        keepWatching();
        return;
    }
    if (fileEnded_ && heard + outFormat_.bytesPerFrame() > fileEndByte_) {
        endPlayback();
        mode_ = WaveDevice::Stopped;
        keepWatching();
        emit playbackEnded(serial_, mode_);
        return;
    }
    if (heard != lastHeard_) {
        lastHeard_ = heard;
        sinceHeardMoved_.start();
    } else if (sinceHeardMoved_.elapsed() > kStallMs) {
        fail(QStringLiteral("The sound output has stopped playing."));
    }
}

void Engine::collect(const char* data, qint64 size)
{
    if (mode_ != WaveDevice::Recording)
        return;
    QString why;
    if (!writer_.write(reinterpret_cast<const std::int16_t*>(data), size / 2, &why))
        failLater(QStringLiteral("The recording could not be written (%1).").arg(why));
}

void Engine::failLater(const QString& reason)
{
    // Never inside the sound system's own call into the feeder or the collector.
    if (failing_)
        return;
    failing_ = true;
    QTimer::singleShot(0, this, [this, reason] {
        failing_ = false;
        fail(reason);
    });
}

void Engine::fail(const QString& reason)
{
    if (mode_ == WaveDevice::NotOpen)
        return;
    if (mode_ == WaveDevice::Playing || mode_ == WaveDevice::Paused) {
        endPlayback();
        if (sink_ && sink_->state() == QAudio::StoppedState)
            sink_.reset();
    } else if (mode_ == WaveDevice::Recording) {
        // What was recorded so far stays for "save".
        source_.reset();
        collector_.close();
    }
    mode_ = WaveDevice::Stopped;
    keepWatching();
    emit deviceFailed(serial_, mode_, reason);
}

} // namespace quelm::wave
