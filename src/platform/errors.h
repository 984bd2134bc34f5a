#pragma once

#include <stdexcept>
#include <string>

#include <QString>

namespace quelm {

// A failure of a platform layer that the caller is expected to show to the operator
// (a port that will not open, a cable pulled, a settings text the port refuses).
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

class SerialError : public PlatformError {
public:
    using PlatformError::PlatformError;
};

} // namespace quelm
