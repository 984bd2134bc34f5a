#include "front_panel/settings_file.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include "front_panel/word_helpers.h"
#include "platform/conversions.h"
#include "platform/serial_port.h"
#include "window_support/field_split.h"

namespace quelm {

namespace {

const QString kComm = QStringLiteral("[COMM]");
const QString kBand = QStringLiteral("[BAND LIMIT]");
const QString kCQ = QStringLiteral("[CQ]");
const QString kSat = QStringLiteral("[VIRTUALSAT]");

// Windows, Unix and old Mac line ends all end a line, so a file edited on any
// system reads the same. A last line without an end is still a line.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    QString current;
    bool pending = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << current;
            current.clear();
            pending = false;
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        lines << current;
    return lines;
}

// UTF-8 where the file is valid UTF-8, else the single-byte Latin-1 code page.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

class Reader {
public:
    Reader(SettingsFile& out, const QString& fileName) : out_(out), file_(fileName) {}

    void line(const QString& s, int number)
    {
        lineNo_ = number;
        if (s.startsWith(QLatin1Char('#')))
            return;
        if (s == kComm || s == kBand || s == kCQ || s == kSat) {
            section_ = s;
            return;
        }
        if (section_ == kBand)
            band(s);
        else if (section_ == kComm)
            comm(s);
        else if (section_ == kCQ)
            cq(s);
        else if (section_ == kSat)
            sat(s);
    }

private:
    void band(const QString& s)
    {
        if (bands_ >= kBandRows) {
            tooMany(bandWarned_, kBand, kBandRows);
            return;
        }
        ++bands_;
        for (int t = 1; t <= 4; ++t)
            out_.BandLimit[bands_][t] = words::PickWord(s, t);
    }

    void comm(const QString& s)
    {
        const Cell key = words::PickWord(s, 1);
        if (!isText(key))
            return;
        const Cell value = words::PickWord(s, 2);
        if (std::get<QString>(key) == QLatin1String("port"))
            port(value);
        else if (std::get<QString>(key) == QLatin1String("speed"))
            speed(cellText(value));
    }

    void port(const Cell& value)
    {
        const QString text = cellText(value);
        if (text.startsWith(QLatin1Char('/'))) {
            out_.portPath = text;
            out_.portNumber.reset();
            return;
        }
        const std::optional<double> number = conv::localeReading(value);
        const double whole = number ? conv::roundHalfEven(*number) : 0.0;
        if (!number || whole < 1 || whole > 255) {
            warn(QStringLiteral("\"port %1\" is neither a serial port number (1 to 255) nor a device path "
                                "beginning with \"/\"; the port in use stays as it was.")
                     .arg(text));
            return;
        }
        out_.portNumber = static_cast<int>(whole);
        out_.portPath.reset();
    }

    void speed(const QString& text)
    {
        SerialSettings parsed;
        if (!parseSerialSettings(text, &parsed)) {
            warn(QStringLiteral("\"speed %1\" is not a serial line setting such as 9600,n,8,1 (baud rate, "
                                "parity, data bits, stop bits, no blanks); the line settings stay as they were.")
                     .arg(text));
            return;
        }
        // Refused here, where the line is named, rather than by the port later.
        if (const QString why = unavailableOnThisSystem(parsed); !why.isEmpty()) {
            warn(QStringLiteral("\"speed %1\": %2 The line settings stay as they were.").arg(text, why));
            return;
        }
        out_.speed = text;
    }

    void cq(const QString& s)
    {
        if (cqs_ >= kCQEntries) {
            tooMany(cqWarned_, kCQ, kCQEntries);
            return;
        }
        CQMessage& m = out_.CQMsg[cqs_++];
        m.Title = PickField(s, 2);
        m.WavFile = PickField(s, 2);
        m.PauseSec = PickField(s, 3);
    }

    void sat(const QString& s)
    {
        // The name goes to the list only with its row, so list positions stay rows.
        if (sats_ >= kSatRows) {
            tooMany(satWarned_, kSat, kSatRows);
            return;
        }
        out_.satelliteNames << PickField(s, 1);
        auto& row = out_.SatTable[sats_++];
        row[SatSense] = PickField(s, 2);
        row[SatQrgLow] = conv::decimalReader(PickField(s, 3));
        row[SatQrgHigh] = conv::decimalReader(PickField(s, 4));
        row[TrxQrgAtHigh] = conv::decimalReader(PickField(s, 5));
        row[TrxQrgAtLow] = conv::decimalReader(PickField(s, 6));
        row[SatModeFlag] = PickField(s, 7);
        row[SatModo] = PickField(s, 8);
    }

    void tooMany(bool& warned, const QString& section, int limit)
    {
        if (warned)
            return;
        warned = true;
        warn(QStringLiteral("%1 holds more than %2 lines; from this line on they are ignored.")
                 .arg(section).arg(limit));
    }

    void warn(const QString& what)
    {
        out_.warnings << QStringLiteral("%1, line %2: %3").arg(file_).arg(lineNo_).arg(what);
    }

    SettingsFile& out_;
    QString file_;
    QString section_;
    int lineNo_ = 0;
    int bands_ = 0;
    int cqs_ = 0;
    int sats_ = 0;
    bool bandWarned_ = false;
    bool cqWarned_ = false;
    bool satWarned_ = false;
};

} // namespace

SettingsFile parseSettingsText(const QString& text, const QString& fileName)
{
    SettingsFile out;
    out.ok = true;
    Reader reader(out, fileName);
    const QStringList lines = splitLines(text);
    for (int i = 0; i < lines.size(); ++i)
        reader.line(lines[i], i + 1);
    return out;
}

QString settingsFilePath(const QString& programFolder)
{
    return QDir(programFolder).absoluteFilePath(QStringLiteral("quelm.ini"));
}

SettingsFile readSettingsFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SettingsFile failed;
        failed.error = QStringLiteral("The settings file %1 cannot be read (%2). Quelm needs it to start: "
                                      "put a quelm.ini into the program folder.")
                           .arg(path, file.errorString());
        return failed;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        SettingsFile failed;
        failed.error = QStringLiteral("The settings file %1 cannot be read (%2).").arg(path, file.errorString());
        return failed;
    }
    return parseSettingsBytes(bytes, path);
}

SettingsFile parseSettingsBytes(const QByteArray& bytes, const QString& fileName)
{
    return parseSettingsText(decode(bytes), fileName);
}

} // namespace quelm
