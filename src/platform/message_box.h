#pragma once

#include <functional>

#include <QString>

class QObject;

namespace quelm {

// Message boxes with the application's title: one OK button, or Yes and No for
// a question. Tests replace it with a recorder.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // The call returns when the operator has closed the box.
    virtual void critical(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    // Yes and No, No the default: a box closed any other way answers No too, so
    // only the operator's own Yes gives true.
    virtual bool question(const QString& text) = 0;
    // Shows a critical box, modal to the application, and returns at once: for
    // callers that must not wait inside themselves (the receive tick keeps
    // serving the radio while the box is open). `closed` runs when the operator
    // has closed the box, unless `context` has gone by then; a box whose context
    // goes closes with it.
    virtual void openCritical(const QString& text, QObject* context, std::function<void()> closed) = 0;
};

} // namespace quelm
