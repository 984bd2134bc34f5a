#pragma once
// What the two saved-state targets check once a store holds arbitrary values:
// the reader gives a state the program can use, the power key pushes it in
// whole frames, and what is written back reads back the same, with no repair.

#include <cmath>

#include <QApplication>
#include <QLocale>

#include "front_panel/quelm.h"
#include "front_panel/saved_state.h"
#include "platform/conversions.h"
#include "fuzz_support.h"
#include "support/quelm_fixture.h"

namespace fuzzing {

// Held by plain pointers that nothing deletes at exit (an application ended
// after Qt's own globals crashes); the replay ends both in order before it
// returns, so that Qt frees its font caches with the application.
inline QApplication*& application()
{
    static QApplication* app = nullptr;
    return app;
}

inline void startWidgets()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quelm_fuzz";
    static char* argv[] = {name, nullptr};
    if (!application())
        application() = new QApplication(argc, argv);
}

// A point or a comma as the decimal separator, as the input's first byte says.
inline void pickLocale(std::uint8_t b)
{
    QLocale::setDefault(b & 1 ? QLocale(QLocale::German, QLocale::Germany)
                              : QLocale(QLocale::English, QLocale::UnitedStates));
}

inline QuelmFixture*& rigHolder()
{
    static QuelmFixture* f = nullptr;
    return f;
}

// One window on the fake platform for the whole run, loaded once.
inline QuelmFixture& rig()
{
    QuelmFixture*& f = rigHolder();
    if (!f) {
        f = new QuelmFixture();
        check(f->load(), "the window does not load");
    }
    return *f;
}

inline void checkFrames(const quelm::FakeSerialPort& port)
{
    for (const auto& w : port.writes()) {
        const QByteArray& b = w.bytes;
        check(b.size() >= 6 && b.startsWith(QByteArray("\xFE\xFE\x56\xE0", 4)) && b.endsWith('\xFD'),
              "a frame that is not FE FE 56 E0 .. FD:", QString::fromLatin1(b.toHex(' ')));
        for (qsizetype i = 4; i + 1 < b.size(); ++i)
            check(static_cast<unsigned char>(b[i]) < 0xFA, "a frame body byte the radio reads as a frame mark:",
                  QString::fromLatin1(b.toHex(' ')));
    }
}

inline void pushThroughThePowerKey(const quelm::OperatingState& read)
{
    QuelmFixture& f = rig();
    quelm::Quelm& q = *f.window;
    f.fake.serial.clearWrites();
    f.fake.messages.criticals.clear();
    f.fake.messages.warnings.clear();
    f.fake.wave.clearCommands();
    q.st.VFOActive = read.VFOActive;
    q.st.VFOQrg = read.VFOQrg;
    q.st.VFOStep = read.VFOStep;
    q.st.VFOModo = read.VFOModo;
    q.st.CompOn = read.CompOn;
    q.st.MonitorOn = read.MonitorOn;
    q.st.NROn = read.NROn;
    q.st.NBOn = read.NBOn;
    q.st.NotchOn = read.NotchOn;
    q.st.RitOn = read.RitOn;
    q.st.AGCMode = read.AGCMode;
    q.st.DuplexMode = read.DuplexMode;
    q.st.SplitOn = quelm::kFalse;

    q.cmPower_Click();
    check(quelm::isOn(q.st.PowerOn) && f.fake.serial.portOpen(), "the push did not open the link");
    checkFrames(f.fake.serial);
    q.cmPower_Click();
    check(!quelm::isOn(q.st.PowerOn) && !f.fake.serial.portOpen(), "the link did not close");
}

// Reads `store`, checks and pushes the state, writes it back, reads it again.
inline void checkSavedState(quelm::SettingsStore& store)
{
    quelm::OperatingState st;
    QStringList repairs;
    quelm::readSavedState(store, st, &repairs);
    check(st.VFOActive == 0 || st.VFOActive == 1, "a VFO choice other than A or B");
    for (double v : {st.VFOQrg[0], st.VFOQrg[1], st.VFOStep[0], st.VFOStep[1]})
        check(std::isfinite(v), "a number that is not finite");

    pushThroughThePowerKey(st);

    quelm::writeSavedState(store, st);
    quelm::OperatingState again;
    QStringList second;
    quelm::readSavedState(store, again, &second);
    check(second.isEmpty(), "what was written needs a repair:", second.join(QLatin1Char('|')));
    check(again.VFOActive == st.VFOActive && again.VFOModo == st.VFOModo && again.AGCMode == st.AGCMode &&
              again.DuplexMode == st.DuplexMode && again.CompOn == st.CompOn && again.RitOn == st.RitOn,
          "the state does not read back as written");
    // Numbers are written to 15 digits: a second round changes nothing.
    for (int i = 0; i < 2; ++i) {
        check(quelm::conv::numberText(again.VFOQrg[i]) == quelm::conv::numberText(st.VFOQrg[i]),
              "a frequency that does not read back:", quelm::conv::numberText(st.VFOQrg[i]));
        check(quelm::conv::numberText(again.VFOStep[i]) == quelm::conv::numberText(st.VFOStep[i]),
              "a step that does not read back:", quelm::conv::numberText(st.VFOStep[i]));
    }
}

} // namespace fuzzing

// Each target that includes this header is a program of its own: the widgets
// and the window are built once, before the first input, so they are no leak of one.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzing::startWidgets();
    fuzzing::rig();
    return 0;
}

// Called by the replay at its end: the window, then the application.
extern "C" void QuelmFuzzTeardown()
{
    delete fuzzing::rigHolder();
    fuzzing::rigHolder() = nullptr;
    delete fuzzing::application();
    fuzzing::application() = nullptr;
}
