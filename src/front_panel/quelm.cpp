#include "front_panel/quelm.h"

#include <QCloseEvent>

#include "front_panel/memory_key.h"
#include "front_panel/word_helpers.h"
#include "operating_aids/voice_recorder.h" // complete for the destructor

#include "window_support/region.h"
#include "window_support/bar_control.h"

namespace quelm {

Quelm::Quelm(Platform& p, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint)
    , platform(p)
    , link(p.serial, p.clock, p.settings, st.CmdDelay, st.RadioAddress)
{
    setWindowTitle(QStringLiteral("Quelm"));
    createControls();
    layoutControls();
    connectHandlers();
    wireMemoryKey();
    createKeyerAndSatellite();
    createRecorder();
}

Quelm::~Quelm()
{
    // The base class destroys the controls after this destructor: a focus or
    // hide signal they raise on the way (the step list losing focus) must not
    // reach a handler of a window that is no longer whole.
    const QList<QObject*> controls = findChildren<QObject*>();
    for (QObject* c : controls)
        c->disconnect(this);
}

void Quelm::createControls()
{
    Image1 = new PanelImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    auto key = [this](PanelKey*& k, const char* name) {
        k = new PanelKey(this);
        k->setObjectName(QString::fromLatin1(name));
    };
    auto lcd = [this](LcdLabel*& l, const char* name) {
        l = new LcdLabel(this);
        l->setObjectName(QString::fromLatin1(name));
    };
    auto list = [this](PopupList*& l, const char* name) {
        l = new PopupList(this);
        l->setObjectName(QString::fromLatin1(name));
    };
    auto edit = [this](KeyEdit*& e, const char* name) {
        e = new KeyEdit(this);
        e->setObjectName(QString::fromLatin1(name));
    };
    auto picture = [this](QLabel*& l, const char* name) {
        l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
    };
    auto timer = [this](TagTimer*& t, const char* name, int ms) {
        t = new TagTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(ms);
    };

    key(cmPower, "cmPower");
    key(cm160m, "cm160m"); key(cm80m, "cm80m"); key(cm40m, "cm40m"); key(cm30m, "cm30m");
    key(cm20m, "cm20m"); key(cm17m, "cm17m"); key(cm15m, "cm15m"); key(cm12m, "cm12m");
    key(cm10m, "cm10m"); key(cm6m, "cm6m"); key(cm2m, "cm2m");
    key(VFOUp, "VFOUp"); key(VFODown, "VFODown"); key(VFOUpClick, "VFOUpClick"); key(VFODownClick, "VFODownClick");
    key(cmQRG, "cmQRG"); key(cmMPW, "cmMPW"); key(cmMPR, "cmMPR"); key(cmVFO, "cmVFO"); key(cmStep, "cmStep");
    key(cmSSB, "cmSSB"); key(cmRTTY, "cmRTTY"); key(cmFM, "cmFM");
    key(cmMonitor, "cmMonitor"); key(cmNB, "cmNB"); key(cmNotch, "cmNotch"); key(cmNR, "cmNR");
    key(cmSplit, "cmSplit"); key(cmTX, "cmTX"); key(cmRit, "cmRit");
    key(cmAF, "cmAF"); key(cmRFSQL, "cmRFSQL"); key(cmNRLevel, "cmNRLevel"); key(cmNotchLevel, "cmNotchLevel");
    key(cmMicGain, "cmMicGain"); key(cmRFGain, "cmRFGain");
    key(cmExit, "cmExit"); key(cmMinimize, "cmMinimize"); key(MoveBar, "MoveBar"); key(cmMEM, "cmMEM");
    key(cmMenu, "cmMenu");
    key(cmRec, "cmRec"); key(cmPause, "cmPause"); key(cmStop, "cmStop"); key(cmPlay, "cmPlay"); key(cmCQ, "cmCQ");
    key(cmCHDown, "cmCHDown"); key(cmCHUp, "cmCHUp"); key(cmCWMem, "cmCWMem"); key(cmSatSelect, "cmSatSelect");

    lcd(QRG, "QRG"); lcd(LCDModo, "LCDModo"); lcd(LCDVFO, "LCDVFO"); lcd(LCDStep, "LCDStep");
    lcd(LCDMonitor, "LCDMonitor"); lcd(LCDNB, "LCDNB"); lcd(LCDNotch, "LCDNotch"); lcd(LCDNR, "LCDNR");
    lcd(LCDRit, "LCDRit"); lcd(LCDQRGSplit, "LCDQRGSplit"); lcd(LCDComp, "LCDComp"); lcd(LCDAGC, "LCDAGC");
    lcd(LCDDUP, "LCDDUP"); lcd(LCDSat, "LCDSat"); lcd(LCDSatQrg, "LCDSatQrg"); lcd(LCDCH, "LCDCH");
    lcd(LCDCHText, "LCDCHText");

    picture(LCDSplit, "LCDSplit"); picture(LCDTX, "LCDTX"); picture(LCDRX, "LCDRX");

    list(cmbBandStack, "cmbBandStack"); list(cmbStep, "cmbStep"); list(cmbSatellite, "cmbSatellite");
    list(LCDWav, "LCDWav");
    edit(QRGEdit, "QRGEdit"); edit(QRGEditSat, "QRGEditSat"); edit(LCDCWMem, "LCDCWMem");

    Slider1 = new PanelSlider(this);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    LCDS = new VexlanProgBar(this);
    LCDS->setObjectName(QStringLiteral("LCDS"));
    LCDOff = new QLabel(this);
    LCDOff->setObjectName(QStringLiteral("LCDOff"));

    timer(Timer1, "Timer1", 10);
    timer(TimerS, "TimerS", 300);
    timer(TimerVFO, "TimerVFO", 50);
    timer(TimerVFOPress, "TimerVFOPress", 5000);
    timer(TimerCQ, "TimerCQ", 0);
}

void Quelm::connectHandlers()
{
    connect(cmPower, &PanelKey::clicked, this, &Quelm::cmPower_Click);
    connect(Timer1, &QTimer::timeout, this, &Quelm::Timer1_Timer);
    connect(TimerS, &QTimer::timeout, this, &Quelm::TimerS_Timer);
    connect(cm160m, &PanelKey::clicked, this, &Quelm::cm160m_Click);
    connect(cm80m, &PanelKey::clicked, this, &Quelm::cm80m_Click);
    connect(cm40m, &PanelKey::clicked, this, &Quelm::cm40m_Click);
    connect(cm30m, &PanelKey::clicked, this, &Quelm::cm30m_Click);
    connect(cm20m, &PanelKey::clicked, this, &Quelm::cm20m_Click);
    connect(cm17m, &PanelKey::clicked, this, &Quelm::cm17m_Click);
    connect(cm15m, &PanelKey::clicked, this, &Quelm::cm15m_Click);
    connect(cm12m, &PanelKey::clicked, this, &Quelm::cm12m_Click);
    connect(cm10m, &PanelKey::clicked, this, &Quelm::cm10m_Click);
    connect(cm6m, &PanelKey::clicked, this, &Quelm::cm6m_Click);
    connect(cm2m, &PanelKey::clicked, this, &Quelm::cm2m_Click);
    connect(cmVFO, &PanelKey::clicked, this, &Quelm::cmVFO_Click);
    connect(cmVFO, &PanelKey::doubleClicked, this, &Quelm::cmVFO_DblClick);
    connect(cmStep, &PanelKey::clicked, this, &Quelm::cmStep_Click);
    connect(cmbStep, &PopupList::chosen, this, &Quelm::cmbStep_Click);
    connect(cmbStep, &PopupList::lostFocus, this, &Quelm::cmbStep_LostFocus);
    connect(LCDModo, &LcdLabel::change, this, &Quelm::LCDModo_Change);
    connect(cmSSB, &PanelKey::clicked, this, &Quelm::cmSSB_Click);
    connect(cmFM, &PanelKey::clicked, this, &Quelm::cmFM_Click);
    connect(cmRTTY, &PanelKey::clicked, this, &Quelm::cmRTTY_Click);
    wireWindowKeys();
    wireTuningKeys();
    wireMemoPad();
    wireSwitches();
    wireLevelSlider();
}

Cell Quelm::PickWord(const QString& s, int n) const { return words::PickWord(s, n); }
QString Quelm::Firststring(const QString& s) const { return words::Firststring(s); }
bool Quelm::IsControl(unsigned char b) const { return words::IsControl(b); }

void Quelm::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    e->accept();
}

} // namespace quelm
