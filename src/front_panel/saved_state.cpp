#include "front_panel/saved_state.h"

#include <cmath>
#include <limits>

#include <QLocale>

#include "platform/conversions.h"

namespace quelm {

namespace {

const QString kApp = QStringLiteral("Quelm");
const QString kSection = QStringLiteral("LAST");

class LastReader {
public:
    LastReader(SettingsStore& store, QStringList* repairs) : store_(store), repairs_(repairs) {}

    double number(const char* key, double fallback)
    {
        return readNumber(key, fallback, [](double) { return true; });
    }

    // A whole number that an int holds; anything beyond it is as damaged as a
    // text that is no number (a cast of such a value is undefined behaviour).
    int whole(const char* key, int fallback)
    {
        const double v = conv::roundHalfEven(readNumber(key, fallback, [](double x) {
            const double r = conv::roundHalfEven(x);
            return r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max();
        }));
        return static_cast<int>(v);
    }

    QString text(const char* key, const char* fallback)
    {
        return store_.getSetting(kApp, kSection, QString::fromLatin1(key), QString::fromLatin1(fallback));
    }

    Flag flag(const char* key)
    {
        return toFlag(text(key, "N") != QLatin1String("N"));
    }

    void repair(const QString& what)
    {
        if (repairs_)
            *repairs_ << what;
    }

private:
    // The stored text; nullopt when the key was never saved. The store answers
    // a missing key with the default it is given, so two different defaults
    // tell a missing key from any text that can be stored, the empty one included.
    std::optional<QString> stored(const QString& name)
    {
        const QString first = store_.getSetting(kApp, kSection, name, QStringLiteral("<missing>"));
        if (first != QLatin1String("<missing>"))
            return first;
        const QString second = store_.getSetting(kApp, kSection, name, QStringLiteral("<absent>"));
        if (second != QLatin1String("<absent>"))
            return second;
        return std::nullopt;
    }

    // A number that `fits`; a missing key gives the first-run value quietly,
    // any other text that is no such number gives it with a repair note (an
    // empty text too: the program never writes one).
    template <typename Fits>
    double readNumber(const char* key, double fallback, Fits fits)
    {
        const QString name = QString::fromLatin1(key);
        const std::optional<QString> text = stored(name);
        if (!text)
            return fallback;
        const std::optional<double> v = readStoredNumber(*text);
        if (v && fits(*v))
            return *v;
        const QString why = !v ? QStringLiteral("is not a number") : QStringLiteral("is out of range");
        repair(QStringLiteral("The saved value %1 = \"%2\" %3; %4 is used instead.")
                   .arg(name, *text, why, conv::plainText(fallback)));
        return fallback;
    }

    SettingsStore& store_;
    QStringList* repairs_;
};

QString flagText(Flag f) { return isOn(f) ? QStringLiteral("Y") : QStringLiteral("N"); }

} // namespace

std::optional<double> readStoredNumber(const QString& text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(text.trimmed(), &ok);
    if (ok)
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    const std::optional<double> local = conv::localeReading(QStringView(text));
    if (local && !std::isfinite(*local))
        return std::nullopt;
    return local;
}

void readSavedState(SettingsStore& store, OperatingState& st, QStringList* repairs)
{
    LastReader r(store, repairs);
    const QString unreadable = store.unreadableFile(kApp);
    if (!unreadable.isEmpty())
        r.repair(QStringLiteral("The settings file %1 cannot be read, so every saved setting starts from its "
                                "default. The file is kept as %1.damaged when the settings are next saved.")
                     .arg(unreadable));
    int active = r.whole("VFOActive", 0);
    if (active != 0 && active != 1) {
        r.repair(QStringLiteral("The saved VFO choice %1 is neither 0 (VFO A) nor 1 (VFO B); VFO A is used.")
                     .arg(active));
        active = 0;
    }
    st.VFOActive = active;
    st.VFOQrg[0] = r.number("VFOA", 50110);
    st.VFOQrg[1] = r.number("VFOB", 50110);
    st.VFOStep[0] = r.number("VFOStepA", 10);
    st.VFOStep[1] = r.number("VFOStepB", 10);
    st.VFOModo[0] = r.text("VFOModoA", "USB");
    st.VFOModo[1] = r.text("VFOModoB", "USB");
    st.CompOn = r.flag("COMP");
    st.MonitorOn = r.flag("MONITOR");
    st.NROn = r.flag("NR");
    st.NBOn = r.flag("NB");
    st.NotchOn = r.flag("NOTCH");
    st.RitOn = r.flag("RIT");
    st.AGCMode = r.whole("AGC", 1);
    st.DuplexMode = r.whole("DUPLEX", 0);
}

void writeSavedState(SettingsStore& store, const OperatingState& st)
{
    auto put = [&store](const char* key, const QString& value) {
        store.saveSetting(kApp, kSection, QString::fromLatin1(key), value);
    };
    put("VFOActive", conv::numberText(st.VFOActive));
    put("VFOA", conv::numberText(st.VFOQrg[0]));
    put("VFOB", conv::numberText(st.VFOQrg[1]));
    put("VFOStepA", conv::numberText(st.VFOStep[0]));
    put("VFOStepB", conv::numberText(st.VFOStep[1]));
    put("VFOModoA", st.VFOModo[0]);
    put("VFOModoB", st.VFOModo[1]);
    put("COMP", flagText(st.CompOn));
    put("MONITOR", flagText(st.MonitorOn));
    put("NR", flagText(st.NROn));
    put("NB", flagText(st.NBOn));
    put("NOTCH", flagText(st.NotchOn));
    put("RIT", flagText(st.RitOn));
    put("AGC", QString::number(st.AGCMode));
    put("DUPLEX", QString::number(st.DuplexMode));
}

} // namespace quelm
