#pragma once

// The main window: a picture of the radio's front panel with live keys and
// display fields. The class is split over files named for what they do:
//   quelm.cpp           construction, the control table, wiring of the handlers
//   panel_layout.cpp    the geometry, fonts and colours of every control
//   panel_picture.cpp   the drawn panel art
//   form_load.cpp       Form_Load / Form_Unload, settings file, saved state
//   senders.cpp         display and state steps of the radio commands
//   power_key.cpp       cmPower_Click: open with the state push, close
//   receive_loop.cpp    Timer1_Timer, TimerS_Timer
//   bands.cpp           IdentificaBanda, CercaBanda, RadioSetBand, CambiaQRG, band keys
//   vfo_keys.cpp        VFO, step and mode keys
//   tuning_keys.cpp     hold and scan keys, typed frequency
//   memo_pad.cpp        the per-band memo pad
//   function_switches.cpp  monitor, NB, notch, NR, split, TX, COMP, AGC, duplex
//   level_slider.cpp    the six level keys and the shared slider
//   window_keys.cpp     exit, minimise, drag strip, menu key, closing the pop-ups
//   keyer_and_satellite.cpp  creates the keyer field and the satellite panel
//                       (src/operating_aids) and gives them their controls
//   memory_key.cpp      cmMEM_Click, the memory editor and its channel commands
// The shared operating state is `st` (operating_state.h); the bytes on the wire
// come from `link` (radio_link/radio_link.h).

#include <functional>
#include <array>
#include <memory>

#include <QWidget>

#include "front_panel/operating_state.h"
#include "window_support/panel_widgets.h"
#include "platform/platform.h"
#include "radio_link/radio_link.h"

namespace quelm {

class VexlanProgBar;
class VoiceRecorder;
class Region;
struct SettingsFile;
class KeyerField;
class SatellitePanel;
class Memory;
class MemoryKey;

// The names of the controls that the panel's geometry table places.
QStringList panelControlNames();

class Quelm : public QWidget {
    Q_OBJECT
public:
    explicit Quelm(Platform& platform, QWidget* parent = nullptr);
    ~Quelm() override;

    // The load step. Returns false when the program cannot start (the settings
    // file is missing or unreadable); the message has then been shown.
    bool Form_Load();
    // The unload step: placement, the memory window, the link, "LAST".
    void Form_Unload();
    // Writes the last radio state (section "LAST"); also for the failure handler.
    void SaveLastState();
    // The recorder keys' idle state with the wave device closed.
    void StopPlayer();
    // The recorder, player and CQ caller on the recorder keys (operating_aids).
    std::unique_ptr<VoiceRecorder> recorder;
    // The panel art that the window shows and takes its outline from (701 x 337).
    static QImage panelPicture();

    // How long closing waits for the wave device to report that it is not open.
    static constexpr double kWaveCloseWait = 2.0;

    OperatingState st;
    Platform& platform;
    RadioLink link;

    // ---- Radio commands: display and state steps, then the frame (senders.cpp)
    void RadioSetFreq(double& freq);
    void RadioSetMode(const QString& Modo);
    void RadioSetVFO(const QString& VFO);
    void RadioSetStep();
    void RadioReadFreq();
    void RadioReadMode();
    void RadioSetRXTX(bool RX);
    void RadioSetSplit(bool Split);
    void RadioSetDuplex(const QString& Tipo);
    void RadioReadS();
    void ChangeSet(const QString& What, int Value);
    void RadioSetOnOff(const QString& What, bool Value, std::optional<int> Value2 = std::nullopt);
    void RadioReadMemoryKeyer(int Mem);
    void RadioSetMemoryKeyer(int Mem, const QByteArray& Buffer);
    QString RadioReadFrame();
    // The command pause with d seconds (CmdDelay unless named).
    void CommandPause(double d);
    void CommandPause() { CommandPause(st.CmdDelay); }

    // ---- Word helpers (word_helpers.h holds the pure functions)
    Cell PickWord(const QString& s, int n) const;
    QString Firststring(const QString& s) const;
    bool IsControl(unsigned char b) const;

    // ---- Bands and frequency changes (bands.cpp)
    int IdentificaBanda(double QRG);
    int CercaBanda(const QString& b);
    void RadioSetBand(const QString& b);
    void CambiaQRG(double QRG, bool tx);
    void SettoMemoria(double fa, const QString& ma, double fb, const QString& mb);

    // ---- Handlers
    void cmPower_Click();
    void Timer1_Timer();
    void TimerS_Timer();
    void cm160m_Click();
    void cm80m_Click();
    void cm40m_Click();
    void cm30m_Click();
    void cm20m_Click();
    void cm17m_Click();
    void cm15m_Click();
    void cm12m_Click();
    void cm10m_Click();
    void cm6m_Click();
    void cm2m_Click();
    void cmVFO_Click();
    void cmVFO_DblClick();
    void cmStep_Click();
    void cmbStep_Click();
    void cmbStep_LostFocus();
    void LCDModo_Change();
    void cmSSB_Click();
    void cmFM_Click();
    void cmRTTY_Click();
    void cmExit_Click();
    void cmMinimize_Click();
    void MoveBar_MouseDown(Qt::MouseButton Button);
    void Image1_MouseMove();
    void cmMenu_Click();
    // tuning_keys.cpp (the mouse handlers take no arguments: any button works)
    void VFOUp_MouseDown(); void VFODown_MouseDown(); void VFOUp_MouseUp(); void VFODown_MouseUp();
    void TimerVFO_Timer(); void TimerVFOPress_Timer(); void VFOUpClick_Click(); void VFODownClick_Click();
    void cmQRG_Click(); void QRGEdit_KeyPress(int& KeyAscii);
    // Ends a hold whose release may never come (the window lost the mouse or its activation).
    void endHold();
    // memo_pad.cpp
    void cmMPW_Click(); void cmMPR_Click(); void cmbBandStack_Click(); void cmbBandStack_LostFocus();
    // function_switches.cpp
    void cmMonitor_Click(); void cmNB_Click(); void cmNotch_Click(); void cmNR_Click(); void cmSplit_Click();
    void cmTX_Click(); void LCDComp_Click(); void LCDAGC_Click(); void LCDDUP_Click();
    // level_slider.cpp
    void cmAF_Click(); void cmRFSQL_Click(); void cmNRLevel_Click(); void cmNotchLevel_Click();
    void cmMicGain_Click(); void cmRFGain_Click(); void Slider1_Change(); void Slider1_MouseMove();
    void SetMouse(int& Value);

    // ---- Memory editor (memory_key.cpp)
    void cmMEM_Click();
    // The editor, created and loaded (not shown) on first use.
    Memory& memoryEditor();
    void closeMemoryEditor();
    void RadioReadMemory(int Mem);
    void RadioSetMemory(int Mem);

    // Serial failure while the link is open: message, then close as the power key does.
    void LinkFailed(const QString& reason);
    // Closes the link as the power key does: timers, port, wave device, indicators,
    // PowerOn last. Safe to call when it is already closed (power_key.cpp).
    void closeLink();
    // The part of closing that the unload step shares: a running CQ cycle ended in
    // receive, timers, port, wave device (with a bounded wait); PowerOn stays as it
    // is. The power key also sets the PLAY caption before the wait.
    void shutLink(bool playCaption = false);
    // Receive goes out where the port still takes it whenever the radio may be
    // keyed (TX key or CQ caller); TXOn ends false, the lamps show receive.
    void endTransmit();

    // ---- Controls (every control of the panel exists from construction)
    PanelImage* Image1 = nullptr;
    QLabel* LCDOff = nullptr;
    // keys
    PanelKey* cmPower = nullptr;
    PanelKey* cm160m = nullptr;
    PanelKey* cm80m = nullptr;
    PanelKey* cm40m = nullptr;
    PanelKey* cm30m = nullptr;
    PanelKey* cm20m = nullptr;
    PanelKey* cm17m = nullptr;
    PanelKey* cm15m = nullptr;
    PanelKey* cm12m = nullptr;
    PanelKey* cm10m = nullptr;
    PanelKey* cm6m = nullptr;
    PanelKey* cm2m = nullptr;
    PanelKey* VFOUp = nullptr;
    PanelKey* VFODown = nullptr;
    PanelKey* VFOUpClick = nullptr;
    PanelKey* VFODownClick = nullptr;
    PanelKey* cmQRG = nullptr;
    PanelKey* cmMPW = nullptr;
    PanelKey* cmMPR = nullptr;
    PanelKey* cmVFO = nullptr;
    PanelKey* cmStep = nullptr;
    PanelKey* cmSSB = nullptr;
    PanelKey* cmRTTY = nullptr;
    PanelKey* cmFM = nullptr;
    PanelKey* cmMonitor = nullptr;
    PanelKey* cmNB = nullptr;
    PanelKey* cmNotch = nullptr;
    PanelKey* cmNR = nullptr;
    PanelKey* cmSplit = nullptr;
    PanelKey* cmTX = nullptr;
    PanelKey* cmRit = nullptr;
    PanelKey* cmAF = nullptr;
    PanelKey* cmRFSQL = nullptr;
    PanelKey* cmNRLevel = nullptr;
    PanelKey* cmNotchLevel = nullptr;
    PanelKey* cmMicGain = nullptr;
    PanelKey* cmRFGain = nullptr;
    PanelKey* cmExit = nullptr;
    PanelKey* cmMinimize = nullptr;
    PanelKey* MoveBar = nullptr;
    PanelKey* cmMEM = nullptr;
    PanelKey* cmMenu = nullptr;
    PanelKey* cmRec = nullptr;
    PanelKey* cmPause = nullptr;
    PanelKey* cmStop = nullptr;
    PanelKey* cmPlay = nullptr;
    PanelKey* cmCQ = nullptr;
    PanelKey* cmCHDown = nullptr;
    PanelKey* cmCHUp = nullptr;
    PanelKey* cmCWMem = nullptr;
    PanelKey* cmSatSelect = nullptr;
    // display fields
    LcdLabel* QRG = nullptr;
    LcdLabel* LCDModo = nullptr;
    LcdLabel* LCDVFO = nullptr;
    LcdLabel* LCDStep = nullptr;
    LcdLabel* LCDMonitor = nullptr;
    LcdLabel* LCDNB = nullptr;
    LcdLabel* LCDNotch = nullptr;
    LcdLabel* LCDNR = nullptr;
    LcdLabel* LCDRit = nullptr;
    LcdLabel* LCDQRGSplit = nullptr;
    LcdLabel* LCDComp = nullptr;
    LcdLabel* LCDAGC = nullptr;
    LcdLabel* LCDDUP = nullptr;
    LcdLabel* LCDSat = nullptr;
    LcdLabel* LCDSatQrg = nullptr;
    LcdLabel* LCDCH = nullptr;
    LcdLabel* LCDCHText = nullptr;  // the label text "CH" beside LCDCH
    // indicator pictures
    QLabel* LCDSplit = nullptr;
    QLabel* LCDTX = nullptr;
    QLabel* LCDRX = nullptr;
    // pop-up lists and boxes
    PopupList* cmbBandStack = nullptr;
    PopupList* cmbStep = nullptr;
    PopupList* cmbSatellite = nullptr;
    PopupList* LCDWav = nullptr;
    KeyEdit* QRGEdit = nullptr;
    KeyEdit* QRGEditSat = nullptr;
    KeyEdit* LCDCWMem = nullptr;
    PanelSlider* Slider1 = nullptr;
    VexlanProgBar* LCDS = nullptr;
    // timers
    TagTimer* Timer1 = nullptr;
    TagTimer* TimerS = nullptr;
    TagTimer* TimerVFO = nullptr;
    TagTimer* TimerVFOPress = nullptr;
    TagTimer* TimerCQ = nullptr;

    // ---- Operating aids, each holding its own handlers (keyer_and_satellite.cpp)
    KeyerField* keyerField = nullptr;
    SatellitePanel* satellitePanel = nullptr;

    // The window's outline and the picture it is cut from.
    std::unique_ptr<Region> SkinRegion;
    QImage SkinPicture;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void createControls();   // quelm.cpp
    void layoutControls();   // panel_layout.cpp
    void connectHandlers();  // quelm.cpp
    // Each file of panel keys wires its own controls.
    void wireTuningKeys(); void wireMemoPad(); void wireSwitches(); void wireLevelSlider(); void wireWindowKeys();
    void createKeyerAndSatellite();  // keyer_and_satellite.cpp
    void createRecorder();           // recorder_wiring.cpp
    void wireMemoryKey();    // memory_key.cpp
    void loadSettingsFile(const SettingsFile& file);  // form_load.cpp

    bool unloaded_ = false;

    // ---- Main road internals
    // Writes a frame through `write` only while the port is open; a serial failure
    // goes to LinkFailed. False when nothing was written (senders.cpp).
    bool sendOnLink(const std::function<void()>& write);
    void showSatelliteSide(double radioKHz);      // senders.cpp
    bool pushState();                             // power_key.cpp
    void noRadioMessage();                        // power_key.cpp: the push got no answer
    // The AGC and duplex fields: caption and colour for a three-way mode (power_key.cpp).
    void showThreeWay(LcdLabel* field, int mode, const std::array<QString, 3>& captions);
    void actOnReply(const QString& s);            // receive_loop.cpp
    void frequencyReply(const QString& s);        // receive_loop.cpp
    void keyerReply(const QString& s);            // receive_loop.cpp
    void bandKey(const QString& band);            // bands.cpp
    // The band-limit message for a frequency in no band row (bands.cpp).
    void bandLimitMessage(bool operatorChange, bool wasOutside);
    bool pushing_ = false;            // the power key's push is running
    int bandBoxesOpen_ = 0;           // band-limit messages on screen
    bool outsideBands_ = false;       // the last frequency checked lay in no band row
    bool linkFailing_ = false;        // LinkFailed is closing the link
    bool holding_ = false;            // TimerVFO runs for a held key, not a scan
    void tuneStep(bool up, double n);           // tuning_keys.cpp
    void pressTuningKey(bool up, bool hold);    // tuning_keys.cpp: a hold or a scan click
    std::unique_ptr<MemoryKey> memoryKey_;
};

} // namespace quelm
