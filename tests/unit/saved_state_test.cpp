#include <gtest/gtest.h>

#include "front_panel/saved_state.h"
#include "support/locale_guard.h"
#include "platform/fakes.h"

using namespace quelm;

namespace {

const QString kApp = QStringLiteral("Quelm");
const QString kLast = QStringLiteral("LAST");

QString stored(MemorySettingsStore& s, const char* key)
{
    return s.getSetting(kApp, kLast, QString::fromLatin1(key), QStringLiteral("<missing>"));
}

void put(MemorySettingsStore& s, const char* key, const char* value)
{
    s.saveSetting(kApp, kLast, QString::fromLatin1(key), QString::fromLatin1(value));
}

TEST(SavedState, FirstRunDefaults)
{
    MemorySettingsStore store;
    OperatingState st;
    QStringList repairs;
    readSavedState(store, st, &repairs);
    EXPECT_EQ(st.VFOActive, 0);
    EXPECT_EQ(st.VFOQrg[0], 50110);
    EXPECT_EQ(st.VFOQrg[1], 50110);
    EXPECT_EQ(st.VFOStep[0], 10);
    EXPECT_EQ(st.VFOStep[1], 10);
    EXPECT_EQ(st.VFOModo[0], QStringLiteral("USB"));
    EXPECT_EQ(st.VFOModo[1], QStringLiteral("USB"));
    for (Flag f : {st.CompOn, st.MonitorOn, st.NROn, st.NBOn, st.NotchOn, st.RitOn})
        EXPECT_EQ(f, kFalse);
    EXPECT_EQ(st.AGCMode, 1);
    EXPECT_EQ(st.DuplexMode, 0);
    EXPECT_TRUE(repairs.isEmpty());
}

OperatingState endOfRun()
{
    OperatingState st;
    st.VFOActive = 1;
    st.VFOQrg = {7050, 14074.5};
    st.VFOStep = {12500, 10};
    st.VFOModo = {QStringLiteral("CW-R"), QStringLiteral("USB")};
    st.CompOn = kTrue;
    st.NotchOn = kTrue;
    st.AGCMode = 2;
    st.DuplexMode = 1;
    return st;
}

void expectSame(const OperatingState& a, const OperatingState& b)
{
    EXPECT_EQ(a.VFOActive, b.VFOActive);
    EXPECT_EQ(a.VFOQrg, b.VFOQrg);
    EXPECT_EQ(a.VFOStep, b.VFOStep);
    EXPECT_EQ(a.VFOModo, b.VFOModo);
    EXPECT_EQ(a.CompOn, b.CompOn);
    EXPECT_EQ(a.MonitorOn, b.MonitorOn);
    EXPECT_EQ(a.NotchOn, b.NotchOn);
    EXPECT_EQ(a.AGCMode, b.AGCMode);
    EXPECT_EQ(a.DuplexMode, b.DuplexMode);
}

TEST(SavedState, RoundTripOfARunEndingOnVfoB)
{
    MemorySettingsStore store;
    const OperatingState before = endOfRun();
    writeSavedState(store, before);
    EXPECT_EQ(stored(store, "VFOActive"), QStringLiteral(" 1"));
    EXPECT_EQ(stored(store, "VFOB"), QStringLiteral(" 14074.5"));
    EXPECT_EQ(stored(store, "COMP"), QStringLiteral("Y"));
    EXPECT_EQ(stored(store, "NR"), QStringLiteral("N"));
    EXPECT_EQ(stored(store, "AGC"), QStringLiteral("2"));
    OperatingState after;
    readSavedState(store, after);
    expectSame(after, before);
}

TEST(SavedState, RoundTripUnderACommaLocale)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    MemorySettingsStore store;
    const OperatingState before = endOfRun();
    writeSavedState(store, before);
    EXPECT_EQ(stored(store, "VFOB"), QStringLiteral(" 14074.5")); // the point, whatever the locale
    OperatingState after;
    readSavedState(store, after);
    expectSame(after, before);
}

TEST(SavedState, ValuesWrittenInTheUsersOwnFormatStillRead)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    MemorySettingsStore store;
    put(store, "VFOA", "14074,5");
    OperatingState st;
    readSavedState(store, st);
    EXPECT_EQ(st.VFOQrg[0], 14074.5);
}

TEST(SavedState, OnlyAnExactNIsFalse)
{
    const struct {
        const char* text;
        Flag expected;
    } cases[] = {{"N", kFalse}, {"Y", kTrue}, {"n", kTrue}, {"", kTrue}, {" N", kTrue}, {"no", kTrue}};
    for (const auto& c : cases) {
        MemorySettingsStore store;
        put(store, "MONITOR", c.text);
        OperatingState st;
        readSavedState(store, st);
        EXPECT_EQ(st.MonitorOn, c.expected) << '"' << c.text << '"';
    }
}

TEST(SavedState, DamagedNumbersFallBackToTheirDefaults)
{
    MemorySettingsStore store;
    put(store, "VFOActive", "B");
    put(store, "VFOA", "fourteen");
    put(store, "VFOB", " 7074");
    put(store, "VFOStepA", "1e400");
    put(store, "AGC", "fast");
    put(store, "DUPLEX", "nan");
    OperatingState st;
    QStringList repairs;
    readSavedState(store, st, &repairs);
    EXPECT_EQ(st.VFOActive, 0);
    EXPECT_EQ(st.VFOQrg[0], 50110);
    EXPECT_EQ(st.VFOQrg[1], 7074); // a good value beside damaged ones is kept
    EXPECT_EQ(st.VFOStep[0], 10);
    EXPECT_EQ(st.AGCMode, 1);
    EXPECT_EQ(st.DuplexMode, 0);
    EXPECT_EQ(repairs.size(), 5) << repairs.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(repairs.join(QLatin1Char(' ')).contains(QStringLiteral("fourteen")));
}

TEST(SavedState, VfoChoiceOutsideZeroOrOneIsVfoA)
{
    for (const char* text : {" 2", "-1", " 1.6"}) {
        MemorySettingsStore store;
        put(store, "VFOActive", text);
        OperatingState st;
        QStringList repairs;
        readSavedState(store, st, &repairs);
        EXPECT_EQ(st.VFOActive, 0) << text;
        EXPECT_EQ(repairs.size(), 1) << text;
    }
    MemorySettingsStore store;
    put(store, "VFOActive", " 0.5"); // rounds half to even: 0, no repair needed
    OperatingState st;
    QStringList repairs;
    readSavedState(store, st, &repairs);
    EXPECT_EQ(st.VFOActive, 0);
    EXPECT_TRUE(repairs.isEmpty());
}

TEST(SavedState, OutOfRangeAgcAndDuplexStayAsRead)
{
    MemorySettingsStore store;
    put(store, "AGC", "7");
    put(store, "DUPLEX", "-2");
    OperatingState st;
    readSavedState(store, st);
    EXPECT_EQ(st.AGCMode, 7);
    EXPECT_EQ(st.DuplexMode, -2);
}

} // namespace
