#pragma once

#include <atomic>
#include <memory>

#include "platform/serial_port.h"

class QSerialPort;

namespace quelm {

// The real serial port, on QSerialPort. It is driven without an event loop: the
// counts ask the device directly, so the waits that serve no window events see
// bytes arrive and leave.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    void setCommPort(int number) override;
    void setCommPortPath(const QString& path) override;
    QString portName() const override { return portName_; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return settings_; }
    void setPortOpen(bool open) override;
    bool portOpen() const override;
    int inBufferCount() override;
    int outBufferCount() override;
    int input() override;
    QByteArray peekInput(int maxBytes) override;
    void output(const QByteArray& bytes) override;
    int descriptor() const override { return descriptor_.load(); }

    // The device the platform's N-th port is.
    static QString deviceForNumber(int number);

private:
    void applySettings();
    // Throws when the port is closed or its device has gone.
    void requireWorking();
    // Keeps the first failure of an open port; the port then reports it until closed.
    void markBroken(const QString& reason);
    [[noreturn]] void failGone();
    void failIfBroken();
    // Polls the device without waiting: true when it has hung up; *readable when
    // bytes wait in it.
    bool deviceGone(bool* readable);
    // Moves the bytes the device holds into the port's buffer; throws when the
    // device has gone and nothing is left to read.
    void pullInput();
    // Hands pending output to the device; throws when the device has gone.
    void pushOutput();
    // Every closing goes through here, so that a signal handler never writes to
    // a descriptor that has been let go (and may belong to another file by then).
    void closeDevice();

    std::unique_ptr<QSerialPort> port_;
    QString portName_;
    QString settings_ = QStringLiteral("9600,n,8,1");
    QString broken_;     // why the open port stopped working; empty while it works
    int generation_ = 0; // counts closings, so a late queued close spares a new opening
    std::atomic<int> descriptor_{-1};
};

} // namespace quelm
