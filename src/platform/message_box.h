#pragma once

#include <QString>

namespace quelm {

// Message boxes with one OK button and the application's title; the call returns
// when the operator has closed the box. Tests replace it with a recorder.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void critical(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
};

} // namespace quelm
