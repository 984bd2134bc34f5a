#pragma once

#include <QByteArray>
#include <QString>

namespace quelm {

// The serial control the program drives: the members the radio link uses.
// Failures (absent or busy port at opening, a device that goes away while open,
// a settings text the port cannot take) throw SerialError with a message naming
// the port or the text; nothing fails silently.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Port number N is the platform's N-th serial port (COMN, /dev/ttyS(N-1)).
    virtual void setCommPort(int number) = 0;
    // A device path (/dev/ttyUSB0, a pseudo-terminal) opened as it stands.
    virtual void setCommPortPath(const QString& path) = 0;
    // The device that opening will use, for messages.
    virtual QString portName() const = 0;

    // "baud,parity,data,stop" as in "9600,n,8,1"; parity n/e/o/m/s, stop 1/1.5/2.
    // Throws SerialError naming the text when the port cannot take it; the
    // settings in force stay as they were.
    virtual void setSettings(const QString& settings) = 0;
    virtual QString settings() const = 0;

    // true opens (throws SerialError on failure), false closes (never throws).
    // A port whose device fails while open stays open, and every traffic call
    // throws SerialError, until it is closed.
    virtual void setPortOpen(bool open) = 0;
    virtual bool portOpen() const = 0;

    // Bytes received and not yet read. Asks the device itself, so bytes that
    // arrived while no window events were served are counted.
    virtual int inBufferCount() = 0;
    // Bytes handed to output() that have not left the port yet.
    virtual int outBufferCount() = 0;
    // The next received byte, 0..255, or -1 when none is waiting.
    virtual int input() = 0;
    // Up to maxBytes of the received bytes, oldest first, left waiting: the
    // next input() still gives the first of them.
    virtual QByteArray peekInput(int maxBytes) = 0;
    // Writes the whole frame in one piece.
    virtual void output(const QByteArray& bytes) = 0;
    // The open device's file descriptor, -1 while the port is closed. Safe to
    // call from a signal handler, which may write(2) a last frame to it.
    virtual int descriptor() const = 0;
};

// A settings text taken apart: "9600,n,8,1" is 9600 baud, no parity, 8 data bits,
// one stop bit ("1", "1.5" or "2").
struct SerialSettings {
    int baud = 9600;
    QChar parity = QLatin1Char('n');
    int dataBits = 8;
    QString stopBits = QStringLiteral("1");
};

// Reads a settings text; nullopt-like false when the port could not take it.
bool parseSerialSettings(const QString& text, SerialSettings* out = nullptr);

// Why this system's serial ports cannot be set as `s` asks (1.5 stop bits exist
// on Windows only); empty when they can.
QString unavailableOnThisSystem(const SerialSettings& s);

} // namespace quelm
