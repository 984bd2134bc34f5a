#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "front_panel/saved_state.h"
#include "support/locale_guard.h"
#include "platform/fakes.h"
#include "platform/settings_store.h"

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

// A whole number beyond int cannot be cast (undefined behaviour); an empty text
// is none the program ever writes. Both are damaged: the key's default, and a note.
TEST(SavedState, WholeNumbersBeyondIntAndEmptyNumbersAreDamaged)
{
    const struct {
        const char* key;
        const char* text;
    } cases[] = {
        {"VFOActive", "1e33"},       {"AGC", "3000000000"},       {"DUPLEX", "-3000000000"},
        {"DUPLEX", "2147483647.5"}, // rounds to 2^31
        {"AGC", "1e308"},            {"VFOActive", ""},           {"AGC", ""},
        {"DUPLEX", ""},              {"VFOA", ""},                {"VFOStepB", ""},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        put(store, c.key, c.text);
        OperatingState st;
        QStringList repairs;
        readSavedState(store, st, &repairs);
        const std::string label = std::string(c.key) + "=\"" + c.text + '"';
        EXPECT_EQ(st.VFOActive, 0) << label;
        EXPECT_EQ(st.AGCMode, 1) << label;
        EXPECT_EQ(st.DuplexMode, 0) << label;
        EXPECT_EQ(st.VFOQrg[0], 50110) << label;
        EXPECT_EQ(st.VFOStep[1], 10) << label;
        ASSERT_EQ(repairs.size(), 1) << label << ": " << repairs.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(repairs[0].contains(QString::fromLatin1(c.key))) << repairs[0].toStdString();
    }
}

TEST(SavedState, TheLargestWholeNumbersStillRead)
{
    MemorySettingsStore store;
    put(store, "AGC", "2147483647");
    put(store, "DUPLEX", "-2147483648");
    OperatingState st;
    QStringList repairs;
    readSavedState(store, st, &repairs);
    EXPECT_EQ(st.AGCMode, 2147483647);
    EXPECT_EQ(st.DuplexMode, -2147483648LL);
    EXPECT_TRUE(repairs.isEmpty()) << repairs.join(QLatin1Char('|')).toStdString();
}

// The same through a hand-edited INI file: "AGC=" holds an empty text, which is
// not the same as a key that is not there.
TEST(SavedState, AnEmptyValueInTheIniFileIsDamagedAndAMissingOneIsNot)
{
    QTemporaryDir dir;
    QFile f(QDir(dir.path()).filePath(QStringLiteral("Quelm.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[LAST]\nAGC=\nDUPLEX=3000000000\nVFOB=7074\n");
    f.close();
    IniSettingsStore store(dir.path());
    OperatingState st;
    QStringList repairs;
    readSavedState(store, st, &repairs);
    EXPECT_EQ(st.AGCMode, 1);
    EXPECT_EQ(st.DuplexMode, 0);
    EXPECT_EQ(st.VFOQrg[1], 7074);
    EXPECT_EQ(repairs.size(), 2) << repairs.join(QLatin1Char('|')).toStdString();
}

TEST(SavedState, AnUnreadableSettingsFileIsToldOnceAndSetAsideAtTheNextSave)
{
    // A file cut short or zeroed by a crash reads as nothing at all: the
    // operator hears of it once, not key by key, and the next save keeps it.
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    QFile f(store.filePath(kApp));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(64, '\0'));
    f.close();
    OperatingState st;
    QStringList repairs;
    readSavedState(store, st, &repairs);
    ASSERT_EQ(repairs.size(), 1) << repairs.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(repairs[0].contains(store.filePath(kApp) + QStringLiteral(".damaged"))) << repairs[0].toStdString();
    EXPECT_EQ(st.VFOQrg[0], 50110);

    writeSavedState(store, st);
    EXPECT_TRUE(QFile::exists(store.filePath(kApp) + QStringLiteral(".damaged")));
    repairs.clear();
    readSavedState(store, st, &repairs);
    EXPECT_TRUE(repairs.isEmpty()) << repairs.join(QLatin1Char('|')).toStdString();
}

TEST(SavedState, AnAbsentOrWellFormedSettingsFileIsNotUnreadable)
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.path());
    EXPECT_TRUE(store.unreadableFile(kApp).isEmpty());
    store.saveSetting(kApp, kLast, QStringLiteral("VFOA"), QStringLiteral(" 7074"));
    EXPECT_TRUE(store.unreadableFile(kApp).isEmpty());
}

} // namespace
