#pragma once
// What the two saved-state targets check once a store holds arbitrary values:
// the reader gives a state the program can use, the power key pushes it in
// whole frames, and what is written back reads back the same, with no repair.

#include <cmath>

#include <QLocale>

#include "front_panel/quelm.h"
#include "front_panel/saved_state.h"
#include "platform/conversions.h"
#include "window_rig.h"

namespace fuzzing {

// A point or a comma as the decimal separator, as the input's first byte says.
inline void pickLocale(std::uint8_t b)
{
    QLocale::setDefault(b & 1 ? QLocale(QLocale::German, QLocale::Germany)
                              : QLocale(QLocale::English, QLocale::UnitedStates));
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
