// The real wave device against a private sound server with a null sink and a
// null source: recording into a new file, playback with its completion, pause and
// resume, seeking, the file variants it reads, and the files it refuses.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/wave_device_qt.h"
#include "platform/wave_engine.h"
#include "support/sound_server.h"
#include "support/tone_file.h"

using namespace quelm;
using testsupport::SoundServer;

namespace {

bool eventually(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(2);
    }
    return true;
}

// What the null sink plays, heard off its monitor as 16-bit mono at 8 kHz.
class SinkListener {
public:
    bool start()
    {
        parec_.start(QStringLiteral("parec"), {QStringLiteral("--device=null.monitor"), QStringLiteral("--raw"),
                                               QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                                               QStringLiteral("--rate=8000"), QStringLiteral("--latency-msec=20")});
        // Heard once the monitor's silence comes in.
        const auto heard = [&] {
            parec_.waitForReadyRead(10);
            return parec_.bytesAvailable() > 0;
        };
        return parec_.waitForStarted(3000) && eventually(heard, 3000);
    }
    // The loudest sample heard since the last call.
    int peak()
    {
        const QByteArray heard = parec_.readAll();
        const auto* samples = reinterpret_cast<const std::int16_t*>(heard.constData());
        int loudest = 0;
        for (qsizetype i = 0; i < heard.size() / 2; ++i)
            loudest = std::max(loudest, std::abs(int(samples[i])));
        return loudest;
    }
    ~SinkListener()
    {
        parec_.kill();
        parec_.waitForFinished(2000);
    }

private:
    QProcess parec_;
};

struct RealWave : ::testing::Test {
    void SetUp() override
    {
        if (!SoundServer::instance().running())
            GTEST_SKIP() << SoundServer::instance().whyNot().toStdString();
        wave = std::make_unique<QtWaveDevice>();
        done = std::make_unique<QSignalSpy>(wave.get(), &WaveDevice::done);
        failed = std::make_unique<QSignalSpy>(wave.get(), &WaveDevice::failed);
    }

    QString file(const QString& name) const { return QDir(folder.path()).filePath(name); }

    // The device's word, which must be carried out.
    void run(const char* word)
    {
        wave->command(QString::fromLatin1(word));
        EXPECT_EQ(wave->errorText(), QString()) << word;
    }

    void openTone(double seconds, const QString& name = QStringLiteral("tone.wav"))
    {
        ASSERT_TRUE(testsupport::writeTone(file(name), seconds));
        wave->setFileName(file(name));
        run("open");
        ASSERT_EQ(wave->mode(), WaveDevice::Stopped);
    }

    // Milliseconds from now until done() has come once more, or -1.
    qint64 msUntilDone(int limitMs = 4000)
    {
        const qsizetype before = done->count();
        QElapsedTimer t;
        t.start();
        if (!eventually([&] { return done->count() > before; }, limitMs))
            return -1;
        std::printf("done after %lld ms\n", static_cast<long long>(t.elapsed()));
        return t.elapsed();
    }

    QTemporaryDir folder;
    std::unique_ptr<QtWaveDevice> wave;
    std::unique_ptr<QSignalSpy> done;
    std::unique_ptr<QSignalSpy> failed;
};

} // namespace

TEST_F(RealWave, RecordsAboutASecondAndSavesItAsSixteenBitMono)
{
    const QString target = file(QStringLiteral("200211141530 14074.5.wav"));
    wave->setFileName(target);
    run("open");
    run("record");
    EXPECT_EQ(wave->mode(), WaveDevice::Recording);
    QTest::qWait(1000);
    run("stop");
    EXPECT_EQ(wave->mode(), WaveDevice::Stopped);
    // The take is held until "save".
    EXPECT_FALSE(QFile::exists(target));
    run("save");
    run("close");
    EXPECT_EQ(wave->mode(), WaveDevice::NotOpen);

    const testsupport::SoundInfo info = testsupport::soundInfo(target);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.channels, 1);
    EXPECT_GT(info.rate, 0);
    const double seconds = double(info.frames) / info.rate;
    EXPECT_GT(seconds, 0.6);
    EXPECT_LT(seconds, 1.6);
    // Nothing is left behind beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(RealWave, ARecordingClosedWithoutSaveLeavesNoFile)
{
    wave->setFileName(file(QStringLiteral("new.wav")));
    run("open");
    run("record");
    QTest::qWait(200);
    run("stop");
    run("close");
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(RealWave, SaveNeverOverwritesAFileAndKeepsTheTake)
{
    const QString target = file(QStringLiteral("taken.wav"));
    wave->setFileName(target);
    run("open");
    run("record");
    QTest::qWait(200);
    run("stop");
    QFile other(target);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("not mine");
    other.close();

    wave->command(QStringLiteral("save"));

    EXPECT_TRUE(wave->errorText().contains(QStringLiteral("kept as"))) << wave->errorText().toStdString();
    QFile check(target);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("not mine"));
    run("close");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(RealWave, PlaysAToneAndReportsDoneWhenItHasBeenHeard)
{
    openTone(0.5);
    run("play");
    EXPECT_EQ(wave->mode(), WaveDevice::Playing);
    const qint64 ms = msUntilDone();
    ASSERT_GE(ms, 0) << "no done() within 4 s";
    // Not before the sound has been played; the slack covers the server's start.
    EXPECT_GE(ms, 480);
    EXPECT_LT(ms, 2500);
    EXPECT_EQ(wave->mode(), WaveDevice::Stopped);
    EXPECT_EQ(done->count(), 1);
    EXPECT_EQ(failed->count(), 0);

    // Played again from its end, it starts over.
    run("play");
    EXPECT_GE(msUntilDone(), 480);
}

TEST_F(RealWave, PauseHoldsThePlaybackAndPauseAgainResumesIt)
{
    openTone(0.6);
    run("play");
    QTest::qWait(150);
    run("pause");
    EXPECT_EQ(wave->mode(), WaveDevice::Paused);
    QTest::qWait(800);
    EXPECT_EQ(done->count(), 0);
    EXPECT_EQ(wave->mode(), WaveDevice::Paused);

    run("pause");
    EXPECT_EQ(wave->mode(), WaveDevice::Playing);
    const qint64 ms = msUntilDone();
    ASSERT_GE(ms, 0);
    // What remained after the pause, not the whole tone again.
    EXPECT_LT(ms, 0.6 * 1000 + 1500);
    EXPECT_EQ(done->count(), 1);
}

TEST_F(RealWave, SeekToTheStartStopsThePlaybackAndPlayStartsItAfresh)
{
    openTone(0.6);
    run("play");
    QTest::qWait(300);
    wave->setTo(0);
    run("seek");
    EXPECT_EQ(wave->mode(), WaveDevice::Stopped);
    // The cut-short playback raises nothing.
    QTest::qWait(800);
    EXPECT_EQ(done->count(), 0);

    run("play");
    const qint64 ms = msUntilDone();
    EXPECT_GE(ms, 580) << "the whole tone again";
    EXPECT_EQ(done->count(), 1);
}

TEST_F(RealWave, StopEndsAPlaybackWithoutDone)
{
    openTone(0.4);
    run("play");
    QTest::qWait(100);
    run("stop");
    EXPECT_EQ(wave->mode(), WaveDevice::Stopped);
    QTest::qWait(700);
    EXPECT_EQ(done->count(), 0);
    run("close");
    EXPECT_EQ(wave->mode(), WaveDevice::NotOpen);
}

TEST_F(RealWave, ReadsTheCommonWaveVariants)
{
    const struct {
        const char* name;
        int rate;
        int channels;
        int format;
    } cases[] = {
        {"u8-mono.wav", 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
        {"s24-stereo.wav", 48000, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"float-stereo.wav", 44100, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"s16-quad.wav", 22050, 4, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"s32-mono.wav", 11025, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = file(QString::fromLatin1(c.name));
        ASSERT_TRUE(testsupport::writeTone(path, 0.2, c.rate, c.channels, c.format));
        wave->setFileName(path);
        run("open");
        run("play");
        EXPECT_GE(msUntilDone(), 180);
        run("close");
    }
    EXPECT_EQ(failed->count(), 0);
}

TEST_F(RealWave, RefusesADamagedFileAndSaysWhy)
{
    const QString path = file(QStringLiteral("damaged.wav"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("RIFF\x10\x00\x00\x00WAVEjunkjunkjunk", 24));
    f.close();

    wave->setFileName(path);
    wave->command(QStringLiteral("open"));
    EXPECT_EQ(wave->mode(), WaveDevice::NotOpen);
    EXPECT_FALSE(wave->errorText().isEmpty());
    wave->command(QStringLiteral("play"));
    EXPECT_EQ(wave->mode(), WaveDevice::NotOpen);
    EXPECT_FALSE(wave->errorText().isEmpty());
}

TEST_F(RealWave, ANewFileHasNothingToPlay)
{
    wave->setFileName(file(QStringLiteral("not-there.wav")));
    run("open");
    wave->command(QStringLiteral("play"));
    EXPECT_EQ(wave->mode(), WaveDevice::Stopped);
    EXPECT_TRUE(wave->errorText().contains(QStringLiteral("does not exist"))) << wave->errorText().toStdString();
}

TEST_F(RealWave, ASaveAfterAPlaybackLeavesThePlayedFileAlone)
{
    openTone(0.3);
    QFile f(file(QStringLiteral("tone.wav")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    run("play");
    run("pause");
    run("stop");
    run("save");
    run("close");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(RealWave, ASoundCardThatGoesAwayUnderAPlaybackIsReportedAsAFailure)
{
    SoundServer& server = SoundServer::instance();
    openTone(5.0);
    run("play");
    QTest::qWait(200);
    ASSERT_TRUE(server.pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")}));

    const bool reported = eventually([&] { return failed->count() > 0; }, 5000);
    // Later tests in this process want their sink back.
    server.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink")});

    ASSERT_TRUE(reported) << "no failed() within 5 s";
    EXPECT_FALSE(failed->at(0).at(0).toString().isEmpty());
    EXPECT_EQ(wave->mode(), WaveDevice::Stopped);
    EXPECT_EQ(done->count(), 0);
    run("close");
}

TEST_F(RealWave, AnOpenedFileSaysWhenItsOutputRunsAndClosingEndsThat)
{
    openTone(0.3);
    EXPECT_TRUE(eventually([&] { return wave->outputRunning(); }, 3000));
    run("close");
    EXPECT_FALSE(wave->outputRunning());
}

TEST_F(RealWave, AFileChangedAfterItWasOpenedIsPlayedAsItWasOpened)
{
    if (!SoundServer::instance().pactl({QStringLiteral("info")}))
        GTEST_SKIP() << "pactl cannot reach the sound server";
    // A quiet message: noise or a louder file in its place would be heard at once.
    constexpr double kQuiet = 0.2;
    const struct {
        const char* spoiling;
        std::function<void(const QString&)> spoil;
    } cases[] = {
        {"overwritten with other bytes",
         [](const QString& path) {
             QFile f(path);
             const qint64 size = f.size();
             QByteArray noise(size, Qt::Uninitialized);
             for (qint64 i = 0; i < size; ++i)
                 noise[i] = char(std::rand());
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(noise);
         }},
        {"cut to nothing", [](const QString& path) { ASSERT_TRUE(QFile::resize(path, 0)); }},
        {"cut to 30 bytes", [](const QString& path) { ASSERT_TRUE(QFile::resize(path, 30)); }},
        {"replaced in place by a longer, louder stereo file",
         [](const QString& path) {
             ASSERT_TRUE(testsupport::writeTone(path, 2.0, 22050, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0.9));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spoiling);
        const QString path = file(QStringLiteral("cq.wav"));
        ASSERT_TRUE(testsupport::writeTone(path, 0.5, 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kQuiet));
        wave->setFileName(path);
        run("open");
        run("play");
        ASSERT_GE(msUntilDone(), 0);

        c.spoil(path);
        SinkListener sink;
        ASSERT_TRUE(sink.start()) << "the null sink's monitor cannot be heard";
        sink.peak();
        wave->setTo(0);
        run("seek");
        run("play");
        const qint64 ms = msUntilDone();
        QTest::qWait(200); // the monitor's latency
        const int peak = sink.peak();

        EXPECT_GE(ms, 480) << "the whole message";
        EXPECT_LT(ms, 2000);
        EXPECT_GT(peak, kQuiet * 32767 * 0.5) << "the message is heard";
        EXPECT_LT(peak, kQuiet * 32767 * 1.5) << "and nothing else";
        EXPECT_EQ(failed->count(), 0);
        run("close");
    }
}

TEST_F(RealWave, ATakeThatCannotBeSavedIsKeptUnderANameThePlayListShows)
{
    const struct {
        const char* why;
        bool finishingFails;
        bool nameTaken;
    } cases[] = {
        {"finishing fails, as on a full disk", true, false},
        {"the name has been taken meanwhile", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        QTemporaryDir dir;
        const QString target = QDir(dir.path()).filePath(QStringLiteral("200211141530 14074.5.wav"));
        wave::Engine engine;
        auto step = [&](const char* word) {
            return engine.command(QString::fromLatin1(word), target, 0).error;
        };
        ASSERT_EQ(step("open"), QString());
        ASSERT_EQ(step("record"), QString());
        QTest::qWait(300);
        ASSERT_EQ(step("stop"), QString());
        if (c.finishingFails)
            engine.setFinishingFails(QStringLiteral("No space left on device"));
        if (c.nameTaken) {
            QFile other(target);
            ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        }

        const QString error = step("save");
        step("close");

        const QStringList listed = QDir(dir.path()).entryList({QStringLiteral("*.wav")}, QDir::Files);
        const QStringList kept = listed.filter(QStringLiteral("recording"));
        ASSERT_EQ(kept.size(), 1) << "listed: " << listed.join(QStringLiteral(", ")).toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("kept as"))) << error.toStdString();
        EXPECT_TRUE(error.contains(kept[0])) << error.toStdString();
        EXPECT_GT(testsupport::soundInfo(QDir(dir.path()).filePath(kept[0])).frames, 0);
        EXPECT_TRUE(
            QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".recording")).isEmpty());
    }
}
