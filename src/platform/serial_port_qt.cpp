#include "platform/serial_port_qt.h"

#include <algorithm>

#include <QSerialPort>

#include "platform/device_access.h"
#include "platform/errors.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace quelm {

namespace {

QString refusedSettings(const QString& text, const QString& why)
{
    return QStringLiteral("The serial settings \"%1\" cannot be used: %2").arg(text, why);
}

} // namespace

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()), portName_(deviceForNumber(1))
{
    // While window events are served, Qt reads the device itself; a device that
    // has gone then fails there, again and again, and would spin a core. The
    // failure is kept for the program's next call and the device let go.
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, port_.get(), [this](QSerialPort::SerialPortError err) {
        if (!port_->isOpen()
            || (err != QSerialPort::ResourceError && err != QSerialPort::ReadError && err != QSerialPort::WriteError))
            return;
        // The event loop hands the port bytes it saw arrive after the queued calls
        // of the same round; one of those may have read them already, and Qt's
        // own read then finds nothing. A device that is there and holds nothing
        // has not failed.
        bool readable = false;
        if (err == QSerialPort::ReadError && !deviceGone(&readable) && !readable) {
            port_->clearError();
            return;
        }
        markBroken(port_->errorString());
        const int generation = generation_;
        QMetaObject::invokeMethod(
            port_.get(),
            [this, generation] {
                if (generation == generation_ && port_->isOpen())
                    closeDevice();
            },
            Qt::QueuedConnection);
    });
}

QtSerialPort::~QtSerialPort()
{
    QObject::disconnect(port_.get(), nullptr, nullptr, nullptr);
    setPortOpen(false);
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
    if (portOpen())
        throw SerialError(QStringLiteral("The serial port cannot be changed while it is open."));
    portName_ = deviceForNumber(number);
}

void QtSerialPort::setCommPortPath(const QString& path)
{
    if (portOpen())
        throw SerialError(QStringLiteral("The serial port cannot be changed while it is open."));
    portName_ = path;
}

void QtSerialPort::setSettings(const QString& settings)
{
    SerialSettings parsed;
    if (!parseSerialSettings(settings, &parsed))
        throw SerialError(refusedSettings(settings, QStringLiteral("expected baud,parity,data bits,stop bits as in "
                                                                   "\"9600,n,8,1\" (parity n, e, o, m or s; stop "
                                                                   "bits 1, 1.5 or 2).")));
    if (const QString why = unavailableOnThisSystem(parsed); !why.isEmpty())
        throw SerialError(refusedSettings(settings, why));
    const QString before = settings_;
    settings_ = settings;
    if (!port_->isOpen())
        return;
    try {
        applySettings();
    } catch (const SerialError&) {
        settings_ = before;
        try {
            applySettings();
        } catch (const SerialError&) {
            // The port took these before; if it no longer does, the first failure says enough.
        }
        throw;
    }
}

void QtSerialPort::applySettings()
{
    SerialSettings s;
    parseSerialSettings(settings_, &s);
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (s.parity.unicode()) {
    case 'e': parity = QSerialPort::EvenParity; break;
    case 'o': parity = QSerialPort::OddParity; break;
    case 'm': parity = QSerialPort::MarkParity; break;
    case 's': parity = QSerialPort::SpaceParity; break;
    default: break;
    }
    QSerialPort::StopBits stop = QSerialPort::OneStop;
    if (s.stopBits == QLatin1String("2"))
        stop = QSerialPort::TwoStop;
    else if (s.stopBits == QLatin1String("1.5"))
        stop = QSerialPort::OneAndHalfStop;
    // Each part is checked on its own so the message can say which one the
    // device would not take (a pseudo-terminal, for one, knows no parity).
    const struct {
        bool taken;
        QString what;
    } parts[] = {
        {port_->setBaudRate(s.baud), QStringLiteral("the baud rate %1").arg(s.baud)},
        {port_->setParity(parity), QStringLiteral("the parity %1").arg(s.parity)},
        {port_->setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)),
         QStringLiteral("%1 data bits").arg(s.dataBits)},
        {port_->setStopBits(stop), QStringLiteral("%1 stop bits").arg(s.stopBits)},
        {port_->setFlowControl(QSerialPort::NoFlowControl), QStringLiteral("no flow control")},
    };
    for (const auto& part : parts) {
        if (part.taken)
            continue;
        const auto err = port_->error();
        const QString reason = port_->errorString();
        port_->clearError();
        QString why = QStringLiteral("the port %1 cannot take %2").arg(portName_, part.what);
        if (err != QSerialPort::NoError && err != QSerialPort::UnknownError)
            why += QStringLiteral(" (%1)").arg(reason);
        throw SerialError(refusedSettings(settings_, why + QLatin1Char('.')));
    }
    port_->clearError();
}

void QtSerialPort::setPortOpen(bool open)
{
    if (!open) {
        ++generation_;
        if (port_->isOpen()) {
            if (broken_.isEmpty())
                port_->flush(); // what the device still takes without blocking goes out
            closeDevice();
        }
        broken_.clear();
        port_->clearError();
        return;
    }
    if (portOpen())
        throw SerialError(QStringLiteral("The serial port %1 is already open.").arg(portName_));
    port_->setPortName(portName_);
    if (!port_->open(QIODevice::ReadWrite)) {
        const QString reason = port_->errorString();
        const bool permission = port_->error() == QSerialPort::PermissionError;
        port_->clearError();
        const QString message = QStringLiteral("Cannot open the serial port %1: %2").arg(portName_, reason);
        // A busy port reports the same error as a device this user may not open;
        // only the device's own permissions tell the two apart.
        if (permission)
            if (std::optional<DeviceAccess> denied = deniedAccess(portName_))
                throw SerialAccessDenied(message, std::move(*denied));
        throw SerialError(message);
    }
    try {
        applySettings();
    } catch (const SerialError&) {
        closeDevice();
        throw;
    }
    port_->clear();
    port_->clearError();
#ifdef Q_OS_UNIX
    descriptor_.store(static_cast<int>(port_->handle()));
#endif
}

void QtSerialPort::closeDevice()
{
    descriptor_.store(-1);
    port_->close();
}

bool QtSerialPort::portOpen() const
{
    // A port whose device has gone stays open for the program until it closes
    // it, so that every call in between reports the failure.
    return port_->isOpen() || !broken_.isEmpty();
}

void QtSerialPort::markBroken(const QString& reason)
{
    if (broken_.isEmpty())
        broken_ = QStringLiteral("The serial port %1 no longer works (%2): the device was disconnected or has "
                                 "failed.")
                      .arg(portName_, reason);
}

void QtSerialPort::requireWorking()
{
    if (!broken_.isEmpty())
        throw SerialError(broken_);
    if (!port_->isOpen())
        throw SerialError(QStringLiteral("The serial port %1 is not open.").arg(portName_));
}

void QtSerialPort::failIfBroken()
{
    const auto err = port_->error();
    if (err == QSerialPort::NoError || err == QSerialPort::TimeoutError) {
        if (!broken_.isEmpty())
            throw SerialError(broken_);
        return;
    }
    markBroken(port_->errorString());
    port_->clearError();
    closeDevice();
    throw SerialError(broken_);
}

bool QtSerialPort::deviceGone(bool* readable)
{
    *readable = false;
#ifdef Q_OS_UNIX
    pollfd pfd{static_cast<int>(port_->handle()), POLLIN, 0};
    if (::poll(&pfd, 1, 0) < 0)
        return false;
    *readable = (pfd.revents & POLLIN) != 0;
    // A closed far end of a pseudo-terminal, a pulled USB adapter: the device
    // hangs up, and reading it would give nothing for ever.
    return (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    *readable = true;
    return false;
#endif
}

void QtSerialPort::failGone()
{
    markBroken(QStringLiteral("hung up"));
    closeDevice();
    throw SerialError(broken_);
}

void QtSerialPort::pullInput()
{
    bool readable = false;
    const bool gone = deviceGone(&readable);
    if (readable)
        port_->waitForReadyRead(0); // reads what the device holds, no event loop needed
    failIfBroken();
    if (gone && port_->bytesAvailable() == 0)
        failGone();
}

int QtSerialPort::inBufferCount()
{
    if (broken_.isEmpty() && port_->isOpen())
        pullInput();
    else if (port_->bytesAvailable() == 0)
        requireWorking();
    return static_cast<int>(port_->bytesAvailable());
}

void QtSerialPort::pushOutput()
{
    bool readable = false;
    if (deviceGone(&readable))
        failGone();
    if (port_->bytesToWrite() > 0)
        port_->waitForBytesWritten(0); // hands what the device takes to it, no event loop needed
    failIfBroken();
}

int QtSerialPort::outBufferCount()
{
    requireWorking();
    pushOutput();
    qint64 count = port_->bytesToWrite();
#ifdef Q_OS_UNIX
    int queued = 0;
    if (::ioctl(static_cast<int>(port_->handle()), TIOCOUTQ, &queued) == 0 && queued > 0)
        count += queued;
#endif
    return static_cast<int>(std::min<qint64>(count, 0x7fffffff));
}

int QtSerialPort::input()
{
    if (port_->bytesAvailable() == 0)
        inBufferCount();
    char c = 0;
    if (port_->read(&c, 1) != 1)
        return -1;
    return static_cast<unsigned char>(c);
}

QByteArray QtSerialPort::peekInput(int maxBytes)
{
    if (port_->bytesAvailable() < maxBytes)
        inBufferCount();
    return port_->peek(std::max(maxBytes, 0));
}

void QtSerialPort::output(const QByteArray& bytes)
{
    requireWorking();
    bool readable = false;
    if (deviceGone(&readable))
        failGone();
    if (port_->write(bytes) != bytes.size()) {
        markBroken(port_->errorString());
        port_->clearError();
        throw SerialError(broken_);
    }
    pushOutput();
}

} // namespace quelm
