#pragma once

// Fakes of the platform layers, for the tests and the benchmarks.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "platform/clock.h"
#include "platform/device_access.h"
#include "platform/event_pump.h"
#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"

namespace quelm {

// Time moves only when told to, or when someone sleeps on it.
class FakeClock final : public Clock {
public:
    double now() override;
    void sleep(double seconds) override;
    void advance(double seconds) { now_ += seconds; }
    void set(double seconds) { now_ = seconds; }
    // Added to the time at every reading, so a busy loop that never sleeps still ends.
    void setStepPerRead(double seconds) { stepPerRead_ = seconds; }
    int reads() const { return reads_; }

private:
    double now_ = 1000.0;
    double stepPerRead_ = 0.0;
    int reads_ = 0;
};

// Serves "events" that a test queued: each call runs the due callbacks, then moves
// the fake clock on by the block time it was offered (at least one millisecond).
class FakeEventPump final : public EventPump {
public:
    explicit FakeEventPump(FakeClock& clock) : clock_(clock) {}
    void serveEvents(double maxBlockSeconds) override;
    // Runs `event` at the first serving at or after `atTime` on the fake clock.
    void post(std::function<void()> event, double atTime = 0.0);
    // Runs `event` at every serving.
    void setEveryServing(std::function<void()> event) { every_ = std::move(event); }
    int servings() const { return servings_; }

private:
    FakeClock& clock_;
    std::vector<std::pair<double, std::function<void()>>> posted_;
    std::function<void()> every_;
    int servings_ = 0;
};

class FakeSerialPort final : public SerialPort {
public:
    struct Write {
        double time;
        QByteArray bytes;
    };

    explicit FakeSerialPort(Clock* clock = nullptr) : clock_(clock) {}

    void setCommPort(int number) override;
    void setCommPortPath(const QString& path) override;
    QString portName() const override { return portName_; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return settings_; }
    void setPortOpen(bool open) override;
    bool portOpen() const override { return open_; }
    int inBufferCount() override;
    int outBufferCount() override;
    int input() override;
    QByteArray peekInput(int maxBytes) override;
    void output(const QByteArray& bytes) override;
    int descriptor() const override { return open_ ? descriptor_ : -1; }

    // Test hooks.
    // What descriptor() gives while the port is open (a pipe a test reads); -1 by default.
    void setDescriptor(int fd) { descriptor_ = fd; }
    void queueInput(const QByteArray& bytes);
    // Bytes that become readable only once the fake clock reaches `atTime`.
    void queueInputAt(double atTime, const QByteArray& bytes);
    const std::vector<Write>& writes() const { return writes_; }
    QByteArray allOutput() const;
    void clearWrites() { writes_.clear(); }
    void setOutBufferStuck(bool stuck) { outStuck_ = stuck; }
    void setOpenFails(const QString& reason) { openFailure_ = reason; }
    // Opening fails as for a device this user may not open (nothing: it does not).
    void setOpenDenied(std::optional<DeviceAccess> denied) { openDenied_ = std::move(denied); }
    void setWriteFails(const QString& reason) { writeFailure_ = reason; }
    void setReadFails(const QString& reason) { readFailure_ = reason; }
    int openCount() const { return openCount_; }
    int commPort() const { return commPort_; }
    int inputReads() const { return inputReads_; }

private:
    void releaseDue();
    void requireOpen() const;

    Clock* clock_;
    QString portName_ = QStringLiteral("COM1");
    int commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    bool open_ = false;
    bool outStuck_ = false;
    QString openFailure_;
    std::optional<DeviceAccess> openDenied_;
    QString writeFailure_;
    QString readFailure_;
    int openCount_ = 0;
    int inputReads_ = 0;
    int descriptor_ = -1;
    std::deque<unsigned char> in_;
    std::vector<std::pair<double, QByteArray>> later_;
    std::vector<Write> writes_;
};

class MemorySettingsStore final : public SettingsStore {
public:
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    bool contains(const QString& app, const QString& section, const QString& key) const;
    int writes() const { return writes_; }
    void clear() { values_.clear(); }

private:
    std::map<std::tuple<QString, QString, QString>, QString> values_;
    int writes_ = 0;
};

class RecordingMessageBox final : public MessageBox {
public:
    void critical(const QString& text) override;
    void warning(const QString& text) override;
    // Recorded in `questions`; answered with `answer`.
    bool question(const QString& text) override;
    // Recorded in `criticals` like critical(); the box stays open until the test
    // closes it.
    void openCritical(const QString& text, QObject* context, std::function<void()> closed) override;
    QStringList criticals;
    QStringList warnings;
    QStringList questions;
    // What the operator answers every question: No unless a test says Yes.
    bool answer = false;
    // Runs while a box of critical(), warning() or question() is "open", before the call
    // returns (a test can act inside it).
    std::function<void()> whileOpen;

    // Boxes of openCritical() not closed yet.
    int openBoxes() const { return static_cast<int>(open_.size()); }
    // Closes them as the operator would, oldest first.
    void closeOpenBoxes();

private:
    struct OpenBox {
        bool hasContext;
        QPointer<QObject> context;
        std::function<void()> closed;
    };
    std::vector<OpenBox> open_;
};

} // namespace quelm
