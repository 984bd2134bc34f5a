#include "operating_aids/voice_recorder.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>

#include "window_support/panel_widgets.h"
#include "platform/conversions.h"
#include "platform/message_box.h"
#include "platform/sound_file.h"
#include "platform/waits.h"
#include "platform/wave_device.h"

namespace quelm {

namespace {
const QString kCQ = QStringLiteral("CQ");
const QString kPlayTag = QStringLiteral("PLAY");
const QString kPlay = QStringLiteral("PLAY");
const QString kResume = QStringLiteral("RESU");
} // namespace

std::optional<int> cqPauseMs(const QString& PauseSec)
{
    const std::optional<double> seconds = conv::localeReading(QStringView(PauseSec));
    if (!seconds)
        return std::nullopt;
    const double ms = conv::roundHalfEven(*seconds * 1000.0);
    if (!(ms >= 0 && ms <= 65535))
        return std::nullopt;
    return static_cast<int>(ms);
}

QString recordingName(const QDateTime& when, double kHz, const QString& folder)
{
    const QString base = when.toString(QStringLiteral("yyyyMMddHHmm ")) + conv::numberText(kHz).trimmed();
    const QDir dir(folder);
    QString name = base + QStringLiteral(".wav");
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = base + QStringLiteral(" (%1).wav").arg(n);
    return name;
}

VoiceRecorder::VoiceRecorder(const RecorderControls& controls, RecorderRadio radioView, WaveDevice& device,
                             Waits& w, MessageBox& box, QString programFolder, QObject* parent)
    : QObject(parent)
    , c(controls)
    , radio(std::move(radioView))
    , MMControl1(device)
    , waits(w)
    , messages(box)
    , folder(std::move(programFolder))
{
    // A coarse timer may tick up to a twentieth early; the pause is the operator's.
    c.TimerCQ->setTimerType(Qt::PreciseTimer);
}

// ---- Device helpers

VoiceRecorder::WaitEnd VoiceRecorder::waitFor(const std::function<bool()>& reached, const QString& timeOut, int op)
{
    // Other handlers run inside the wait (it serves window events): STOP, the
    // completion event, a failure of the device.
    failure_.clear();
    ++waiting_;
    const bool done = waits.servingWaitUntil(kDeviceWait, [&] {
        return reached() || op_ != op || !failure_.isEmpty();
    });
    --waiting_;
    if (op_ != op)
        return WaitEnd::Superseded;
    if (!failure_.isEmpty()) {
        reason_ = failure_;
        failure_.clear();
        return WaitEnd::Failed;
    }
    if (done)
        return WaitEnd::Reached;
    reason_ = timeOut.arg(kDeviceWait);
    return WaitEnd::Failed;
}

bool VoiceRecorder::carriedOut(const QString& word)
{
    MMControl1.command(word);
    reason_ = MMControl1.errorText();
    return reason_.isEmpty();
}

bool VoiceRecorder::commanded(const QString& word)
{
    if (carriedOut(word))
        return true;
    endInTrouble(reason_);
    return false;
}

bool VoiceRecorder::reaches(int mode, int op)
{
    return ended(waitFor([&] { return MMControl1.mode() == mode; },
                         QStringLiteral("The wave device did not answer within %1 seconds."), op));
}

bool VoiceRecorder::outputRuns(int op)
{
    return ended(waitFor([&] { return MMControl1.outputRunning(); },
                         QStringLiteral("The sound output did not start within %1 seconds."), op));
}

bool VoiceRecorder::ended(WaitEnd end)
{
    switch (end) {
    case WaitEnd::Reached:
        return true;
    case WaitEnd::Failed:
        endInTrouble(reason_);
        return false;
    case WaitEnd::Superseded:
        break;
    }
    return false;
}

void VoiceRecorder::disableKeys()
{
    c.cmPlay->setEnabled(false);
    c.cmCQ->setEnabled(false);
    c.cmRec->setEnabled(false);
    c.cmStop->setEnabled(false);
    c.cmPause->setEnabled(false);
}

QString VoiceRecorder::shownFile() const
{
    return QFileInfo(MMControl1.fileName()).fileName();
}

void VoiceRecorder::key()
{
    keyed_ = true;
    radio.RadioSetRXTX(true);
}

void VoiceRecorder::receive()
{
    keyed_ = false;
    // Nothing goes to a closed link, and its indicators stay as closing left them.
    if (radio.PowerOn())
        radio.RadioSetRXTX(false);
}

void VoiceRecorder::idleKeys()
{
    c.cmPause->setEnabled(false);
    c.cmStop->setEnabled(false);
    c.cmPlay->setText(kPlay);
    c.cmPlay->setEnabled(true);
    c.cmCQ->setEnabled(true);
    c.cmRec->setEnabled(true);
}

void VoiceRecorder::endInTrouble(QString reason)
{
    ++op_;
    const bool cq = c.LCDWav->Tag == kCQ;
    const bool wasKeyed = keyed_;
    c.TimerCQ->setEnabled(false);
    // Receive first: the transmitter must not wait on a device that may hang.
    if (cq)
        receive();
    const QString what = activity_.arg(shownFile());
    MMControl1.command(QStringLiteral("stop"));
    QString kept;
    if (recording_ && !carriedOut(QStringLiteral("save")))
        kept = QStringLiteral("\n\n") + reason_;
    recording_ = false;
    MMControl1.command(QStringLiteral("close"));
    c.LCDWav->Tag.clear();
    c.LCDWav->hide();
    idleKeys();
    messages.critical(what + QStringLiteral("\n\n") + reason + kept +
                      (wasKeyed ? QStringLiteral("\n\nThe radio has been switched back to receive.") : QString()));
}

void VoiceRecorder::showListAtPointer(const QString& tag)
{
    QCursor::setPos(c.LCDWav->mapToGlobal(QPoint(30, 10)));
    c.LCDWav->Tag = tag;
    c.LCDWav->show();
    c.LCDWav->raise();
}

// ---- Recorder and player

void VoiceRecorder::cmRec_Click()
{
    const int op = ++op_;
    c.cmPlay->setEnabled(false);
    c.cmRec->setEnabled(false);
    c.cmStop->setEnabled(false);
    c.cmPause->setEnabled(false);
    if (MMControl1.mode() != WaveDevice::NotOpen)
        return;
    // A CQ list left without a choice does not make the recording a CQ: STOP then
    // saves it and does not switch the radio.
    if (c.LCDWav->Tag == kCQ) {
        c.LCDWav->Tag.clear();
        c.LCDWav->hide();
    }
    MMControl1.setFileName(QDir(folder).filePath(recordingName(now(), radio.currentQrg(), folder)));
    activity_ = QStringLiteral("The recording \"%1\" could not be made.");
    if (!commanded(QStringLiteral("open")) || !commanded(QStringLiteral("record")))
        return;
    recording_ = true;
    if (reaches(WaveDevice::Recording, op))
        c.cmStop->setEnabled(true);
}

void VoiceRecorder::cmStop_Click()
{
    const int op = ++op_;
    c.TimerCQ->setEnabled(false);
    c.cmPlay->setEnabled(false);
    c.cmStop->setEnabled(false);
    MMControl1.command(QStringLiteral("stop"));
    QString saveFailure;
    const bool cq = c.LCDWav->Tag == kCQ;
    if (!cq && !c.cmPause->isEnabled()) {
        // After a paused playback this writes nothing: the device saves recordings only.
        if (!carriedOut(QStringLiteral("save")) && recording_)
            saveFailure = QStringLiteral("The recording \"%1\" could not be saved.\n\n%2").arg(shownFile(), reason_);
    }
    recording_ = false;
    if (cq) {
        receive();
        if (op_ != op)
            return; // the port failed under it, and the link's closing has ended the cycle
    }
    c.LCDWav->Tag.clear();
    c.cmPause->setEnabled(false);
    MMControl1.command(QStringLiteral("close"));
    c.cmPlay->setText(kPlay);
    c.cmPlay->setEnabled(true);
    c.cmCQ->setEnabled(true);
    c.cmRec->setEnabled(true);
    if (!saveFailure.isEmpty())
        messages.critical(saveFailure);
}

void VoiceRecorder::cmPause_Click()
{
    const int op = ++op_;
    if (MMControl1.mode() != WaveDevice::Playing)
        return;
    c.cmPlay->setEnabled(false);
    c.cmStop->setEnabled(false);
    c.cmPause->setEnabled(false);
    activity_ = QStringLiteral("The playback of \"%1\" could not be paused.");
    if (!commanded(QStringLiteral("pause")) || !reaches(WaveDevice::Paused, op))
        return;
    c.cmPlay->setText(kResume);
    c.cmPlay->setEnabled(true);
    c.cmStop->setEnabled(true);
}

void VoiceRecorder::cmPlay_Click()
{
    ++op_;
    if (MMControl1.mode() == WaveDevice::Paused) {
        activity_ = QStringLiteral("The playback of \"%1\" could not be resumed.");
        if (!commanded(QStringLiteral("pause")))
            return;
        c.cmPlay->setText(kPlay);
        c.cmPlay->setEnabled(false);
        c.cmPause->setEnabled(true);
        return;
    }
    // Hidden files (an unfinished recording) are not listed.
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("*.wav")}, QDir::Files | QDir::Readable, QDir::Unsorted);
    c.LCDWav->clear();
    c.LCDWav->addItems(files);
    if (files.isEmpty())
        return;
    showListAtPointer(kPlayTag);
}

void VoiceRecorder::LCDWav_Click()
{
    const int op = ++op_;
    const int row = c.LCDWav->currentRow();
    c.LCDWav->hide();
    if (row < 0 || !c.LCDWav->item(row))
        return;
    if (c.LCDWav->Tag == kCQ) {
        playCQ(row, op);
        return;
    }
    // A file list left showing during a recording: the recording goes on.
    if (MMControl1.mode() == WaveDevice::Recording)
        return;
    disableKeys();
    MMControl1.setFileName(QDir(folder).filePath(c.LCDWav->item(row)->text()));
    activity_ = QStringLiteral("The wave file \"%1\" could not be played.");
    if (MMControl1.mode() == WaveDevice::NotOpen && !commanded(QStringLiteral("open")))
        return;
    // "pause" on a paused device resumes it.
    const bool resumes = MMControl1.mode() == WaveDevice::Paused;
    if (!commanded(resumes ? QStringLiteral("pause") : QStringLiteral("play")) || !reaches(WaveDevice::Playing, op))
        return;
    c.cmPause->setEnabled(true);
    c.cmStop->setEnabled(true);
    c.cmPlay->setText(kPlay);
}

void VoiceRecorder::MMControl1_Done()
{
    ++op_;
    if (c.LCDWav->Tag == kCQ) {
        // A link that closed behind the cycle's back ends it; nothing is sent.
        if (!radio.PowerOn()) {
            cmStop_Click();
            return;
        }
        // Restarting the timer measures the pause from the end of each message.
        c.TimerCQ->setEnabled(true);
    }
    StopPlayer();
}

void VoiceRecorder::MMControl1_Failed(const QString& reason)
{
    if (waiting_ > 0) {
        failure_ = reason; // the waiting handler ends the activity
        return;
    }
    if (MMControl1.mode() == WaveDevice::NotOpen && c.LCDWav->Tag != kCQ)
        return;
    endInTrouble(reason);
}

void VoiceRecorder::StopPlayer()
{
    const int op = ++op_;
    c.cmPlay->setEnabled(false);
    c.cmStop->setEnabled(false);
    c.cmPause->setEnabled(false);
    MMControl1.command(QStringLiteral("stop"));
    if (c.LCDWav->Tag == kCQ) {
        receive();
        if (op_ != op)
            return; // the port failed under it, and the link's closing has ended the cycle
    }
    if (c.TimerCQ->enabled()) {
        c.cmStop->setEnabled(true);
        return;
    }
    MMControl1.command(QStringLiteral("close"));
    recording_ = false;
    activity_ = QStringLiteral("The wave device could not close \"%1\".");
    if (!reaches(WaveDevice::NotOpen, op))
        return;
    c.cmPlay->setEnabled(true);
    c.cmCQ->setEnabled(true);
    c.cmPlay->setText(kPlay);
    c.cmRec->setEnabled(true);
}

// ---- CQ caller

void VoiceRecorder::cmCQ_Click()
{
    ++op_;
    if (MMControl1.mode() != WaveDevice::NotOpen)
        return;
    c.LCDWav->clear();
    for (const CQMessage& m : radio.CQMsg()) {
        if (m.Title.isEmpty())
            break;
        c.LCDWav->addItem(m.Title);
    }
    if (c.LCDWav->count() == 0)
        return;
    showListAtPointer(kCQ);
}

bool VoiceRecorder::refuseCQ(const CQMessage& m, const QString& file, int* intervalMs)
{
    QString why;
    const std::optional<int> ms = cqPauseMs(m.PauseSec);
    if (!radio.PowerOn())
        why = QStringLiteral("The link to the radio is closed. Open it with the power key, then choose the message "
                             "again.");
    else if (!ms)
        why = QStringLiteral("Its pause \"%1\" in the [CQ] section of quelm.ini is no number of seconds from 0 to "
                             "65.535.")
                  .arg(m.PauseSec);
    else if (!QFileInfo(file).isFile())
        why = QStringLiteral("The file %1 was not found.").arg(QDir::toNativeSeparators(file));
    // The device would open such a file and only find out at "play", with the
    // relay already thrown.
    else if (sound::holdsNoSound(file))
        why = QStringLiteral("The file holds no sound.");
    if (why.isEmpty()) {
        *intervalMs = *ms;
        return false;
    }
    c.LCDWav->Tag.clear();
    messages.critical(QStringLiteral("The CQ message \"%1\" cannot be called; the transmitter stays off.\n\n%2")
                          .arg(m.Title, why));
    return true;
}

void VoiceRecorder::playCQ(int k, int op)
{
    const CQMessage m = radio.CQMsg().at(static_cast<std::size_t>(k));
    const QString file = QDir(folder).filePath(m.WavFile);
    int intervalMs = 0;
    if (refuseCQ(m, file, &intervalMs))
        return;
    disableKeys();
    c.TimerCQ->setInterval(intervalMs);
    MMControl1.setFileName(file);
    activity_ = QStringLiteral("The CQ message \"%1\" could not be played.");
    // A message that cannot be opened keys nothing; nor does one whose sound
    // output is still starting, which would put a silent carrier on the air.
    if (MMControl1.mode() == WaveDevice::NotOpen && !commanded(QStringLiteral("open")))
        return;
    if (!outputRuns(op))
        return;
    key();
    if (op_ != op)
        return; // the link failed under the keying and its closing has ended the call
    if (commanded(QStringLiteral("play")) && reaches(WaveDevice::Playing, op))
        c.cmStop->setEnabled(true);
}

void VoiceRecorder::TimerCQ_Timer()
{
    const int op = ++op_;
    if (c.LCDWav->Tag != kCQ) {
        c.TimerCQ->setEnabled(false);
        return;
    }
    // The link is gone: the cycle ends as STOP ends it, and nothing is keyed.
    if (!radio.PowerOn()) {
        cmStop_Click();
        return;
    }
    disableKeys();
    activity_ = QStringLiteral("The CQ message \"%1\" could not be played again.");
    key();
    if (op_ != op)
        return;
    // No wait for the playing mode here: the device answers at once or says why.
    MMControl1.setTo(0);
    if (commanded(QStringLiteral("seek")) && commanded(QStringLiteral("play")))
        c.cmStop->setEnabled(true);
}

// ---- Closing paths

void VoiceRecorder::linkClosing()
{
    const bool cycle = c.LCDWav->Tag == kCQ && (c.TimerCQ->enabled() || MMControl1.mode() != WaveDevice::NotOpen);
    if (cycle) {
        cmStop_Click();
        return;
    }
    if (recording_ && MMControl1.mode() == WaveDevice::Recording) {
        ++op_;
        MMControl1.command(QStringLiteral("stop"));
        activity_ = QStringLiteral("The recording \"%1\" could not be saved.");
        if (!carriedOut(QStringLiteral("save")))
            messages.critical(activity_.arg(shownFile()) + QStringLiteral("\n\n") + reason_);
        recording_ = false;
    }
}

void VoiceRecorder::windowClosing()
{
    linkClosing();
    c.TimerCQ->setEnabled(false);
    if (MMControl1.mode() != WaveDevice::NotOpen) {
        ++op_;
        MMControl1.command(QStringLiteral("stop"));
        MMControl1.command(QStringLiteral("close"));
    }
}

} // namespace quelm
