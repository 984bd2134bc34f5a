// The settings-file reader on arbitrary bytes. Whatever it reads must hold
// together, and a port and speed that it accepts must be accepted by the serial
// layer too: otherwise the operator is told nothing at reading and the port
// refuses them later.

#include <QCoreApplication>

#include "front_panel/settings_file.h"
#include "platform/errors.h"
#include "platform/serial_port_qt.h"
#include "fuzz_support.h"

using namespace quelm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString name = QStringLiteral("quelm.ini");
    const SettingsFile file =
        parseSettingsBytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                           name);
    fuzzing::check(file.ok, "text that was read is not ok");
    fuzzing::check(file.satelliteNames.size() <= kSatRows, "more satellites than rows");
    fuzzing::check(!(file.portNumber && file.portPath), "both a port number and a port path");
    for (const QString& w : file.warnings)
        fuzzing::check(w.startsWith(name), "a warning that does not name the file:", w);

    QtSerialPort port;
    try {
        if (file.portNumber)
            port.setCommPort(*file.portNumber);
        if (file.portPath)
            port.setCommPortPath(*file.portPath);
        if (file.speed)
            port.setSettings(*file.speed);
    } catch (const SerialError& e) {
        fuzzing::fail("the serial layer refuses what the reader took:", e.message());
    }
    return 0;
}
