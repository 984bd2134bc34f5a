#pragma once

// The voice recorder and player with the CQ caller: the five recorder keys, the
// pop-up list LCDWav (wave files or CQ messages), the repeat timer TimerCQ and
// the wave device MMControl1. The main window creates it, hands it its controls
// and a narrow view of the radio, and routes the controls' events here.
//
// The transmitter is never left keyed by the caller: every device wait has a
// time-out, and every way out of a CQ cycle (STOP, a failed playback, a device
// error, the link closing, the window closing) ends it in receive where the port
// can still be written.

#include <array>
#include <functional>
#include <optional>

#include <QDateTime>
#include <QObject>
#include <QString>

#include "operating_aids/cq_message.h"

namespace quelm {

class MessageBox;
class PanelKey;
class PopupList;
class TagTimer;
class Waits;
class WaveDevice;

// What the recorder needs of the radio.
struct RecorderRadio {
    // True while the serial link is open.
    std::function<bool()> PowerOn;
    // true keys the transmitter, false switches to receive (with the indicators).
    std::function<void(bool RX)> RadioSetRXTX;
    // The current VFO's frequency in kHz, for a recording's name.
    std::function<double()> currentQrg;
    // The "[CQ]" messages of the settings file.
    std::function<const CQMessages&()> CQMsg;
};

// The controls the recorder drives; all belong to the main window.
struct RecorderControls {
    PanelKey* cmRec = nullptr;
    PanelKey* cmPause = nullptr;
    PanelKey* cmStop = nullptr;
    PanelKey* cmPlay = nullptr;
    PanelKey* cmCQ = nullptr;
    PopupList* LCDWav = nullptr;
    TagTimer* TimerCQ = nullptr;
};

// The repeat interval of a CQ message: PauseSec read in the user's number
// format, in milliseconds rounded halves to even; nothing when it is no number,
// negative or more than 65535 ms.
std::optional<int> cqPauseMs(const QString& PauseSec);

// The name of a new recording: "YYYYMMDDHHMM " and the frequency in kHz as a
// plain number with "." as the decimal point, then ".wav". When that name is
// taken in `folder`, " (2)", " (3)" ... goes before ".wav".
QString recordingName(const QDateTime& when, double kHz, const QString& folder);

class VoiceRecorder : public QObject {
    Q_OBJECT
public:
    VoiceRecorder(const RecorderControls& controls, RecorderRadio radio, WaveDevice& MMControl1, Waits& waits,
                  MessageBox& messages, QString programFolder, QObject* parent = nullptr);

    // ---- Handlers
    void cmRec_Click();
    void cmStop_Click();
    void cmPause_Click();
    void cmPlay_Click();
    void cmCQ_Click();
    void LCDWav_Click();
    void TimerCQ_Timer();
    void MMControl1_Done();
    // The device failed on its own while it played or recorded.
    void MMControl1_Failed(const QString& reason);
    // Stops the device; closes it and returns the keys to idle unless the CQ repeat runs.
    void StopPlayer();

    // ---- The window's closing paths
    // The link is about to close (power key, serial failure): a running CQ cycle
    // ends as STOP ends it, while the port can still take the receive command; a
    // running recording is saved before the device is closed.
    void linkClosing();
    // The window closes with the link closed: as linkClosing, then the device is
    // closed (with the link open the link's closing does that).
    void windowClosing();

    // The local date and time a recording is named by (tests set their own).
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // How long a device wait lasts before the device counts as failed.
    static constexpr double kDeviceWait = 3.0;

private:
    enum class WaitEnd { Reached, Superseded, Failed };

    // Each handler takes a new operation number; a wait that sees it change knows
    // another handler has taken the device over.
    WaitEnd waitFor(const std::function<bool()>& reached, const QString& timeOut, int op);
    // The mode reached; on a failure the activity has been ended in trouble.
    bool reaches(int mode, int op);
    // The opened message's sound output runs; on a failure as reaches().
    bool outputRuns(int op);
    // True for a wait that reached its aim; a failed one ends the activity in trouble.
    bool ended(WaitEnd end);
    // Keys the transmitter for a call.
    void key();
    bool carriedOut(const QString& word);
    // The word carried out; otherwise the activity has been ended in trouble.
    bool commanded(const QString& word);
    void disableKeys();
    void playCQ(int k, int op);
    bool refuseCQ(const CQMessage& m, const QString& file, int* intervalMs);
    // A copy: the device steps inside rewrite reason_.
    void endInTrouble(QString reason);
    void idleKeys();
    void receive();
    void showListAtPointer(const QString& tag);
    QString shownFile() const;

    RecorderControls c;
    RecorderRadio radio;
    WaveDevice& MMControl1;
    Waits& waits;
    MessageBox& messages;
    QString folder;

    int op_ = 0;
    int waiting_ = 0;
    QString failure_;   // a device failure that arrived during a wait
    QString reason_;    // why the last wait failed
    QString activity_;  // what the device is doing, for a message
    bool recording_ = false;
    bool keyed_ = false; // the caller has keyed the transmitter and not yet switched it back
};

} // namespace quelm
