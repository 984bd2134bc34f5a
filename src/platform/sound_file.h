#pragma once

// Wave files through libsndfile: any common variant read as 16-bit frames, and
// recordings written as 16-bit PCM mono.

#include <cstdint>
#include <vector>

#include <QString>

struct sf_private_tag;

namespace quelm::sound {

// True for a file that opens as sound yet holds not one frame of it (its header
// promises sound that is not there, or its data is empty). A file that is no
// sound file at all, or cannot be read, is not taken for one: opening it says why.
bool holdsNoSound(const QString& path);

// Reads a sound file as 16-bit frames of one or two channels; a file with more
// channels is mixed down to one.
//
// A file whose sound fits in kHeldSamples is decoded whole at open and let go:
// whatever later happens to the file (overwritten, cut short, replaced), the
// reader plays what it held. Longer files are read on from the disk.
class Reader {
public:
    Reader() = default;
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // About eleven minutes of mono sound at 48 kHz.
    static constexpr std::int64_t kHeldSamples = std::int64_t(32) << 20;

    // False with *error set when the file cannot be opened, is no sound file or
    // cannot be read to its end. A file that holds no sound opens with frames() 0.
    bool open(const QString& path, QString* error);
    void close();
    bool isOpen() const { return file_ != nullptr || held_; }
    // True when the whole sound is held and the file is no longer read.
    bool holdsAll() const { return held_; }

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
    friend bool holdsNoSound(const QString& path);

    bool openHeader(const QString& path, QString* error);
    std::int64_t readFile(std::int16_t* out, std::int64_t count, QString* error);
    bool holdAll(QString* error);
    bool soundFollows(QString* error);

    sf_private_tag* file_ = nullptr;
    std::vector<std::int16_t> samples_;
    bool held_ = false;
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
