// The recorder's wave files on arbitrary bytes: the file a recording, a CQ
// message or the play list names, opened and read as the wave device does.
//  - a file that cannot be played is refused at "open" with a reason the
//    operator can read, and the device stays closed;
//  - the CQ caller's check before it keys says "no sound" exactly for the files
//    that open with no frame to play;
//  - a file that opens has a rate and one or two channels, and is read as the
//    sound output pulls it, block by block to its end: never more frames than
//    asked for, nothing written past the block, the position where the reads
//    left it, and at the start again after the wind back that every repeated
//    CQ call makes.
//
// Input: one byte for the size of the sound output's pulls ((b + 1) * 16
// frames), then the file's bytes. The device runs without a sound server, so a
// file that opens ends at "no sound output device": the file is all that is
// under test.

#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/sound_file.h"
#include "platform/wave_device.h"
#include "platform/wave_engine.h"
#include "fuzz_support.h"

using namespace quelm;

namespace {

// Frames past which a file is taken as read far enough: a few bytes of some
// formats stand for hours of sound, and the sound output would play them all.
constexpr std::int64_t kReadAtMost = 1 << 20;
constexpr std::int16_t kGuard = 0x5A5A;
constexpr int kGuardSamples = 64;

QCoreApplication*& application()
{
    static QCoreApplication* app = nullptr;
    return app;
}

QString fileFor(const QByteArray& bytes)
{
    static QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("message.wav"));
    QFile f(path);
    fuzzing::check(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size(),
                   "the wave file cannot be written");
    return path;
}

// Reads up to `frames` frames into a block with a guard behind it; the frames read.
std::int64_t readBlock(sound::Reader& r, std::vector<std::int16_t>& block, std::int64_t frames, QString* error)
{
    const std::size_t samples = static_cast<std::size_t>(frames * r.channels());
    block.assign(samples + kGuardSamples, kGuard);
    const std::int64_t got = r.read(block.data(), frames, error);
    fuzzing::check(got >= -1 && got <= frames, "a read gave more frames than asked for");
    if (got < 0)
        fuzzing::check(!error->isEmpty(), "a read that failed without saying why");
    for (std::size_t i = samples; i < block.size(); ++i)
        fuzzing::check(block[i] == kGuard, "a read wrote past its block");
    return got;
}

void checkReading(const QString& path, std::int64_t pull)
{
    sound::Reader r;
    QString why;
    const bool noSound = sound::holdsNoSound(path);
    if (!r.open(path, &why)) {
        fuzzing::check(!why.isEmpty(), "a file refused without a reason");
        fuzzing::check(!r.isOpen(), "a refused file left open");
        fuzzing::check(!noSound, "a file the reader refuses taken for one that holds no sound");
        return;
    }
    fuzzing::check(noSound == (r.frames() == 0), "the check before the keying and the reader disagree on the sound");
    fuzzing::check(r.sampleRate() > 0, "a sound without a rate");
    fuzzing::check(r.channels() == 1 || r.channels() == 2, "sound of neither one nor two channels");

    std::vector<std::int16_t> block;
    std::int64_t total = 0;
    for (;;) {
        QString error;
        const std::int64_t got = readBlock(r, block, pull, &error);
        if (got < 0)
            break;
        total += got;
        fuzzing::check(r.position() == total, "the position is not where the reads left it");
        if (got < pull || total >= kReadAtMost)
            break;
    }

    // Every repeated CQ call winds back to the start and plays again.
    if (!r.seek(0))
        return;
    fuzzing::check(r.position() == 0, "wound back, yet not at the start");
    QString error;
    readBlock(r, block, pull, &error);
}

void checkDevice(const QString& path)
{
    wave::Engine engine;
    const wave::Outcome opened = engine.command(QStringLiteral("open"), path, 0);
    fuzzing::check(!opened.error.isEmpty() && opened.mode == WaveDevice::NotOpen,
                   "the device opened a file with no sound output to play it on");
    const wave::Outcome played = engine.command(QStringLiteral("play"), path, 0);
    fuzzing::check(played.mode == WaveDevice::NotOpen && !played.error.isEmpty(), "a closed device played");
    engine.shutdown();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // No sound server: every file stops at the sound output, never reaches a card.
    qputenv("PULSE_SERVER", "unix:/nonexistent/quelm-fuzz");
    if (!application())
        application() = fuzzing::newApplication<QCoreApplication>();
    return 0;
}

extern "C" void QuelmFuzzTeardown()
{
    delete application();
    application() = nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input in(data, size);
    const std::int64_t pull = (std::int64_t(in.byte()) + 1) * 16;
    const QString path = fileFor(in.rest());
    checkReading(path, pull);
    checkDevice(path);
    return 0;
}
