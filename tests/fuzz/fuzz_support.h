#pragma once
// What the fuzz targets share: taking an input apart, and a check that stops
// the run loudly (libFuzzer keeps the input; the replay test fails).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>

namespace fuzzing {

// Reads an input from the front; past its end every number is 0 and every
// slice empty, so any input, however short, is a valid one.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
    std::uint16_t u16()
    {
        const std::uint16_t hi = byte();
        return static_cast<std::uint16_t>((hi << 8) | byte());
    }
    QByteArray take(std::size_t n)
    {
        const std::size_t k = n < size_ - pos_ ? n : size_ - pos_;
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(empty() ? 0 : k));
        pos_ += empty() ? 0 : k;
        return out;
    }
    QByteArray rest() { return take(size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The application object of a target (QCoreApplication, or QApplication for
// the targets with widgets), made once; the replay ends it before it returns.
template <typename App>
App* newApplication()
{
    static int argc = 1;
    static char name[] = "quelm_fuzz";
    static char* argv[] = {name, nullptr};
    return new App(argc, argv);
}

[[noreturn]] inline void fail(const char* what, const QString& detail = {})
{
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, detail.toLocal8Bit().constData());
    std::abort();
}

inline void check(bool ok, const char* what, const QString& detail = {})
{
    if (!ok)
        fail(what, detail);
}

} // namespace fuzzing
