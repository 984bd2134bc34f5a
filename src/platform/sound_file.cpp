#include "platform/sound_file.h"

#include <algorithm>
#include <cstring>

#include <QFile>

#include <sndfile.h>

namespace quelm::sound {

namespace {
QString libraryText(SNDFILE* file)
{
    return QString::fromLocal8Bit(sf_strerror(file));
}
} // namespace

bool holdsNoSound(const QString& path)
{
    Reader r;
    QString why;
    // Only the first frame is read: a long message is not decoded twice.
    return r.openHeader(path, &why) && (r.frames_ <= 0 || (r.soundFollows(&why) && r.frames_ == 0));
}

Reader::~Reader()
{
    close();
}

bool Reader::openHeader(const QString& path, QString* error)
{
    close();
    SF_INFO info{};
    file_ = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file_) {
        *error = libraryText(nullptr);
        return false;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        *error = QStringLiteral("The file holds no sound.");
        close();
        return false;
    }
    rate_ = info.samplerate;
    fileChannels_ = info.channels;
    outChannels_ = info.channels == 2 ? 2 : 1;
    frames_ = info.frames;
    position_ = 0;
    return true;
}

bool Reader::open(const QString& path, QString* error)
{
    if (!openHeader(path, error))
        return false;
    // The header's count of frames is only a promise (a recording cut off, a
    // file copied short): what can be read decides whether there is sound.
    const bool fits = frames_ > 0 && frames_ <= kHeldSamples / outChannels_;
    if (frames_ > 0 && !(fits ? holdAll(error) : soundFollows(error))) {
        close();
        return false;
    }
    return true;
}

bool Reader::soundFollows(QString* error)
{
    std::int16_t first[2];
    const std::int64_t got = readFile(first, 1, error);
    if (got < 0)
        return false;
    if (got == 0) {
        frames_ = 0;
        return true;
    }
    if (sf_seek(file_, 0, SEEK_SET) != 0) {
        *error = QStringLiteral("The file cannot be read again from its start.");
        return false;
    }
    return true;
}

bool Reader::holdAll(QString* error)
{
    samples_.resize(static_cast<std::size_t>(frames_ * outChannels_));
    // In blocks, so that mixing many channels down needs little room of its own.
    constexpr std::int64_t kBlock = 1 << 16;
    std::int64_t got = 0;
    while (got < frames_) {
        const std::int64_t n = readFile(samples_.data() + got * outChannels_, std::min(kBlock, frames_ - got), error);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    // A header that promises more than the file holds: what is there is the sound.
    frames_ = got;
    samples_.resize(static_cast<std::size_t>(got * outChannels_));
    samples_.shrink_to_fit();
    sf_close(file_);
    file_ = nullptr;
    held_ = true;
    position_ = 0;
    return true;
}

void Reader::close()
{
    if (file_)
        sf_close(file_);
    file_ = nullptr;
    samples_.clear();
    samples_.shrink_to_fit();
    held_ = false;
    rate_ = fileChannels_ = outChannels_ = 0;
    frames_ = position_ = 0;
}

std::int64_t Reader::read(std::int16_t* out, std::int64_t count, QString* error)
{
    if (!held_) {
        const std::int64_t got = readFile(out, count, error);
        if (got > 0)
            position_ += got;
        return got;
    }
    const std::int64_t got = std::clamp<std::int64_t>(frames_ - position_, 0, std::max<std::int64_t>(count, 0));
    // Nothing held (a header that promised sound the file did not have) is
    // nothing to copy from.
    if (got == 0)
        return 0;
    std::memcpy(out, samples_.data() + position_ * outChannels_,
                static_cast<std::size_t>(got * outChannels_) * sizeof(std::int16_t));
    position_ += got;
    return got;
}

std::int64_t Reader::readFile(std::int16_t* out, std::int64_t count, QString* error)
{
    if (!file_ || count <= 0)
        return 0;
    sf_count_t got = 0;
    if (fileChannels_ == outChannels_) {
        got = sf_readf_short(file_, out, count);
    } else {
        std::vector<short> all(static_cast<std::size_t>(count * fileChannels_));
        got = sf_readf_short(file_, all.data(), count);
        for (sf_count_t f = 0; f < got; ++f) {
            long sum = 0;
            for (int c = 0; c < fileChannels_; ++c)
                sum += all[static_cast<std::size_t>(f * fileChannels_ + c)];
            out[f] = static_cast<std::int16_t>(sum / fileChannels_);
        }
    }
    if (got < count && sf_error(file_) != SF_ERR_NO_ERROR) {
        *error = libraryText(file_);
        return -1;
    }
    return got;
}

bool Reader::seek(std::int64_t frame)
{
    if (held_) {
        position_ = std::clamp<std::int64_t>(frame, 0, frames_);
        return true;
    }
    if (!file_)
        return false;
    const sf_count_t at = sf_seek(file_, frame, SEEK_SET);
    if (at < 0)
        return false;
    position_ = at;
    return true;
}

Writer::~Writer()
{
    QString ignored;
    close(&ignored);
}

bool Writer::open(const QString& path, int sampleRate, QString* error)
{
    QString ignored;
    close(&ignored);
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file_) {
        *error = libraryText(nullptr);
        return false;
    }
    frames_ = 0;
    return true;
}

bool Writer::write(const std::int16_t* frames, std::int64_t count, QString* error)
{
    if (!file_)
        return false;
    const sf_count_t done = sf_writef_short(file_, frames, count);
    frames_ += done;
    if (done != count) {
        *error = libraryText(file_);
        return false;
    }
    return true;
}

bool Writer::close(QString* error)
{
    if (!file_)
        return true;
    const int rc = sf_close(file_);
    file_ = nullptr;
    if (rc != 0) {
        *error = QString::fromLocal8Bit(sf_error_number(rc));
        return false;
    }
    return true;
}

} // namespace quelm::sound
