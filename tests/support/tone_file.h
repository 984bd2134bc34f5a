#pragma once

// Wave files for the tests: a sine tone in any layout libsndfile writes.

#include <cmath>
#include <vector>

#include <QFile>
#include <QString>

#include <sndfile.h>

namespace testsupport {

// A 440 Hz tone of `seconds` at `rate` with `channels` channels in `format`
// (SF_FORMAT_WAV | SF_FORMAT_PCM_16 unless named). False when it cannot be written.
inline bool writeTone(const QString& path, double seconds, int rate = 8000, int channels = 1,
                      int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, double amplitude = 0.5)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    const auto frames = static_cast<sf_count_t>(seconds * rate);
    std::vector<double> samples(static_cast<std::size_t>(frames * channels));
    for (sf_count_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[static_cast<std::size_t>(i * channels + c)] = amplitude * std::sin(2 * M_PI * 440.0 * i / rate);
    const bool ok = sf_writef_double(f, samples.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

struct SoundInfo {
    bool ok = false;
    int format = 0;
    int channels = 0;
    int rate = 0;
    sf_count_t frames = 0;
};

inline SoundInfo soundInfo(const QString& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return {};
    sf_close(f);
    return {true, info.format, info.channels, info.samplerate, info.frames};
}

} // namespace testsupport
