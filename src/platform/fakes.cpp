#include "platform/fakes.h"

#include <algorithm>

#include "platform/errors.h"

namespace quelm {

double FakeClock::now()
{
    ++reads_;
    now_ += stepPerRead_;
    return now_;
}

void FakeClock::sleep(double seconds)
{
    now_ += std::max(seconds, 0.0);
}

void FakeEventPump::serveEvents(double maxBlockSeconds)
{
    ++servings_;
    if (every_)
        every_();
    const double t = clock_.now();
    std::vector<std::function<void()>> due;
    for (auto it = posted_.begin(); it != posted_.end();) {
        if (it->first <= t) {
            due.push_back(std::move(it->second));
            it = posted_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& event : due)
        event();
    clock_.advance(std::max(maxBlockSeconds, 0.001));
}

void FakeEventPump::post(std::function<void()> event, double atTime)
{
    posted_.emplace_back(atTime, std::move(event));
}

void FakeSerialPort::requireOpen() const
{
    // As the real port: traffic on a closed port is a failure, not silence.
    if (!open_)
        throw SerialError(QStringLiteral("The serial port %1 is not open.").arg(portName_));
}

void FakeSerialPort::setCommPort(int number)
{
    if (number < 1 || number > 255)
        throw SerialError(QStringLiteral("Serial port number %1 is not valid (1 to 255).").arg(number));
    if (open_)
        throw SerialError(QStringLiteral("The serial port cannot be changed while it is open."));
    commPort_ = number;
    portName_ = QStringLiteral("COM%1").arg(number);
}

void FakeSerialPort::setCommPortPath(const QString& path)
{
    if (open_)
        throw SerialError(QStringLiteral("The serial port cannot be changed while it is open."));
    portName_ = path;
}

void FakeSerialPort::setSettings(const QString& settings)
{
    if (!parseSerialSettings(settings, nullptr))
        throw SerialError(QStringLiteral("The serial settings \"%1\" are not valid.").arg(settings));
    settings_ = settings;
}

void FakeSerialPort::setPortOpen(bool open)
{
    if (open) {
        if (open_)
            throw SerialError(QStringLiteral("The serial port %1 is already open.").arg(portName_));
        if (openDenied_)
            throw SerialAccessDenied(
                QStringLiteral("Cannot open the serial port %1: Permission denied").arg(portName_), *openDenied_);
        if (!openFailure_.isEmpty())
            throw SerialError(QStringLiteral("Cannot open the serial port %1: %2").arg(portName_, openFailure_));
        open_ = true;
        ++openCount_;
    } else {
        open_ = false;
    }
}

void FakeSerialPort::releaseDue()
{
    if (!clock_)
        return;
    const double t = clock_->now();
    for (auto it = later_.begin(); it != later_.end();) {
        if (it->first <= t) {
            for (char c : it->second)
                in_.push_back(static_cast<unsigned char>(c));
            it = later_.erase(it);
        } else {
            ++it;
        }
    }
}

int FakeSerialPort::inBufferCount()
{
    requireOpen();
    if (!readFailure_.isEmpty())
        throw SerialError(readFailure_);
    releaseDue();
    return static_cast<int>(in_.size());
}

int FakeSerialPort::outBufferCount()
{
    requireOpen();
    if (outStuck_ && !writes_.empty())
        return static_cast<int>(writes_.back().bytes.size());
    return 0;
}

int FakeSerialPort::input()
{
    requireOpen();
    if (!readFailure_.isEmpty())
        throw SerialError(readFailure_);
    ++inputReads_;
    if (in_.empty())
        return -1;
    const int b = in_.front();
    in_.pop_front();
    return b;
}

QByteArray FakeSerialPort::peekInput(int maxBytes)
{
    requireOpen();
    if (!readFailure_.isEmpty())
        throw SerialError(readFailure_);
    releaseDue();
    QByteArray out;
    for (auto it = in_.begin(); it != in_.end() && out.size() < maxBytes; ++it)
        out.append(static_cast<char>(*it));
    return out;
}

void FakeSerialPort::output(const QByteArray& bytes)
{
    requireOpen();
    if (!writeFailure_.isEmpty())
        throw SerialError(writeFailure_);
    writes_.push_back({clock_ ? clock_->now() : 0.0, bytes});
}

void FakeSerialPort::queueInput(const QByteArray& bytes)
{
    for (char c : bytes)
        in_.push_back(static_cast<unsigned char>(c));
}

void FakeSerialPort::queueInputAt(double atTime, const QByteArray& bytes)
{
    later_.emplace_back(atTime, bytes);
}

QByteArray FakeSerialPort::allOutput() const
{
    QByteArray all;
    for (const auto& w : writes_)
        all += w.bytes;
    return all;
}

QString MemorySettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                        const QString& defaultValue)
{
    auto it = values_.find({app, section, key});
    return it == values_.end() ? defaultValue : it->second;
}

void MemorySettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                      const QString& value)
{
    ++writes_;
    values_[{app, section, key}] = value;
}

bool MemorySettingsStore::contains(const QString& app, const QString& section, const QString& key) const
{
    return values_.count({app, section, key}) != 0;
}

void RecordingMessageBox::critical(const QString& text)
{
    criticals.append(text);
    if (whileOpen)
        whileOpen();
}

void RecordingMessageBox::warning(const QString& text)
{
    warnings.append(text);
    if (whileOpen)
        whileOpen();
}

bool RecordingMessageBox::question(const QString& text)
{
    questions.append(text);
    if (whileOpen)
        whileOpen();
    return answer;
}

void RecordingMessageBox::openCritical(const QString& text, QObject* context, std::function<void()> closed)
{
    criticals.append(text);
    open_.push_back({context != nullptr, QPointer<QObject>(context), std::move(closed)});
}

void RecordingMessageBox::closeOpenBoxes()
{
    // A closing callback may open a new box; that one stays open.
    std::vector<OpenBox> closing;
    closing.swap(open_);
    for (OpenBox& box : closing) {
        if (box.closed && (!box.hasContext || box.context))
            box.closed();
    }
}

} // namespace quelm
