#pragma once

// Wave files through libsndfile: any common variant read as 16-bit frames, and
// recordings written as 16-bit PCM mono.

#include <cstdint>

#include <QString>

struct sf_private_tag;

namespace quelm::sound {

// Reads a sound file as 16-bit frames of one or two channels; a file with more
// channels is mixed down to one.
class Reader {
public:
    Reader() = default;
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // False with *error set when the file cannot be opened or is no sound file.
    bool open(const QString& path, QString* error);
    void close();
    bool isOpen() const { return file_ != nullptr; }

    int sampleRate() const { return rate_; }
    // Channels of the frames read() gives: 1 or 2.
    int channels() const { return outChannels_; }
    std::int64_t frames() const { return frames_; }
    // Frames read so far from the start of the file.
    std::int64_t position() const { return position_; }

    // Up to `count` frames into `out` (count * channels() samples); fewer at the
    // end of the file. -1 with *error set when the file cannot be read on.
    std::int64_t read(std::int16_t* out, std::int64_t count, QString* error);
    bool seek(std::int64_t frame);

private:
    sf_private_tag* file_ = nullptr;
    int rate_ = 0;
    int fileChannels_ = 0;
    int outChannels_ = 0;
    std::int64_t frames_ = 0;
    std::int64_t position_ = 0;
};

// Writes 16-bit PCM mono frames into a new wave file.
class Writer {
public:
    Writer() = default;
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool open(const QString& path, int sampleRate, QString* error);
    bool write(const std::int16_t* frames, std::int64_t count, QString* error);
    // Completes the header; false with *error when the file could not be finished.
    bool close(QString* error);
    bool isOpen() const { return file_ != nullptr; }
    std::int64_t frames() const { return frames_; }

private:
    sf_private_tag* file_ = nullptr;
    std::int64_t frames_ = 0;
};

} // namespace quelm::sound
