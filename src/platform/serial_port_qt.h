#pragma once

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
    void output(const QByteArray& bytes) override;

    // The device the platform's N-th port is.
    static QString deviceForNumber(int number);

private:
    void applySettings();
    void requireOpen() const;
    void failIfBroken();
    // Polls the device without waiting: true when it has hung up; *readable when
    // bytes wait in it.
    bool deviceGone(bool* readable);
    // Moves the bytes the device holds into the port's buffer; throws when the
    // device has gone and nothing is left to read.
    void pullInput();
    // Hands pending output to the device; throws when the device has gone.
    void pushOutput();

    std::unique_ptr<QSerialPort> port_;
    QString portName_;
    QString settings_ = QStringLiteral("9600,n,8,1");
};

} // namespace quelm
