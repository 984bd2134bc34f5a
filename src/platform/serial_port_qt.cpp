#include "platform/serial_port_qt.h"

#include <QSerialPort>

#include "platform/errors.h"

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace quelm {

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()), portName_(deviceForNumber(1)) {}

QtSerialPort::~QtSerialPort()
{
    if (port_->isOpen())
        port_->close();
}

QString QtSerialPort::deviceForNumber(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

void QtSerialPort::setCommPort(int number)
{
    if (number < 1 || number > 255)
        throw SerialError(QStringLiteral("Serial port number %1 is not valid (1 to 255).").arg(number));
    if (port_->isOpen())
        throw SerialError(QStringLiteral("The serial port cannot be changed while it is open."));
    portName_ = deviceForNumber(number);
}

void QtSerialPort::setCommPortPath(const QString& path)
{
    if (port_->isOpen())
        throw SerialError(QStringLiteral("The serial port cannot be changed while it is open."));
    portName_ = path;
}

void QtSerialPort::setSettings(const QString& settings)
{
    if (!parseSerialSettings(settings, nullptr))
        throw SerialError(QStringLiteral("The serial settings \"%1\" are not valid: expected baud,parity,data,stop "
                                         "as in \"9600,n,8,1\".").arg(settings));
    settings_ = settings;
    if (port_->isOpen())
        applySettings();
}

void QtSerialPort::applySettings()
{
    SerialSettings s;
    parseSerialSettings(settings_, &s);
    port_->setBaudRate(s.baud);
    switch (s.parity.unicode()) {
    case 'e': port_->setParity(QSerialPort::EvenParity); break;
    case 'o': port_->setParity(QSerialPort::OddParity); break;
    case 'm': port_->setParity(QSerialPort::MarkParity); break;
    case 's': port_->setParity(QSerialPort::SpaceParity); break;
    default: port_->setParity(QSerialPort::NoParity); break;
    }
    port_->setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits));
    if (s.stopBits == QLatin1String("2"))
        port_->setStopBits(QSerialPort::TwoStop);
    else if (s.stopBits == QLatin1String("1.5"))
        port_->setStopBits(QSerialPort::OneAndHalfStop);
    else
        port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
}

void QtSerialPort::setPortOpen(bool open)
{
    if (!open) {
        if (port_->isOpen())
            port_->close();
        return;
    }
    if (port_->isOpen())
        throw SerialError(QStringLiteral("The serial port %1 is already open.").arg(portName_));
    port_->setPortName(portName_);
    if (!port_->open(QIODevice::ReadWrite))
        throw SerialError(QStringLiteral("Cannot open the serial port %1: %2").arg(portName_, port_->errorString()));
    applySettings();
    port_->clear();
}

bool QtSerialPort::portOpen() const
{
    return port_->isOpen();
}

void QtSerialPort::failIfBroken()
{
    const auto err = port_->error();
    if (err == QSerialPort::NoError || err == QSerialPort::TimeoutError)
        return;
    const QString reason = port_->errorString();
    port_->clearError();
    if (err == QSerialPort::ResourceError || err == QSerialPort::ReadError || err == QSerialPort::WriteError
        || err == QSerialPort::PermissionError || err == QSerialPort::DeviceNotFoundError) {
        throw SerialError(QStringLiteral("The serial port %1 failed: %2").arg(portName_, reason));
    }
}

int QtSerialPort::inBufferCount()
{
    if (!port_->isOpen())
        throw SerialError(QStringLiteral("The serial port %1 is not open.").arg(portName_));
    port_->waitForReadyRead(0); // pulls what the device holds, without an event loop
    failIfBroken();
    return static_cast<int>(port_->bytesAvailable());
}

int QtSerialPort::outBufferCount()
{
    if (!port_->isOpen())
        throw SerialError(QStringLiteral("The serial port %1 is not open.").arg(portName_));
    if (port_->bytesToWrite() > 0)
        port_->waitForBytesWritten(0);
    failIfBroken();
    qint64 count = port_->bytesToWrite();
#ifdef Q_OS_UNIX
    int queued = 0;
    if (::ioctl(static_cast<int>(port_->handle()), TIOCOUTQ, &queued) == 0 && queued > 0)
        count += queued;
#endif
    return static_cast<int>(count);
}

int QtSerialPort::input()
{
    if (!port_->isOpen())
        throw SerialError(QStringLiteral("The serial port %1 is not open.").arg(portName_));
    char c = 0;
    if (port_->bytesAvailable() == 0)
        port_->waitForReadyRead(0);
    if (port_->read(&c, 1) != 1) {
        failIfBroken();
        return -1;
    }
    return static_cast<unsigned char>(c);
}

void QtSerialPort::output(const QByteArray& bytes)
{
    if (!port_->isOpen())
        throw SerialError(QStringLiteral("The serial port %1 is not open.").arg(portName_));
    if (port_->write(bytes) != bytes.size())
        throw SerialError(QStringLiteral("Cannot write to the serial port %1: %2").arg(portName_, port_->errorString()));
    port_->waitForBytesWritten(0);
    failIfBroken();
}

} // namespace quelm
