#include "front_panel/steps.h"

#include <array>

namespace quelm::steps {

namespace {

struct Step {
    double hz;
    const char* listText;
    const char* caption;
};

const std::array<Step, 8> kSteps{{
    {10, "     10 Hz", "10 Hz"},
    {100, "   100 Hz", "100 Hz"},
    {1000, "     1 KHz", "1 KHz"},
    {5000, "     5 KHz", "5 KHz"},
    {10000, "   10 KHz", "10 KHz"},
    {12500, "12.5 KHz", "12.5 KHz"},
    {20000, "   20 KHz", "20 KHz"},
    {25000, "   25 KHz", "25 KHz"},
}};

} // namespace

const QStringList& listTexts()
{
    static const QStringList texts = [] {
        QStringList t;
        for (const Step& s : kSteps)
            t.append(QString::fromLatin1(s.listText));
        return t;
    }();
    return texts;
}

std::optional<double> forListText(const QString& text)
{
    for (const Step& s : kSteps) {
        if (text == QLatin1String(s.listText))
            return s.hz;
    }
    return std::nullopt;
}

std::optional<QString> caption(double hz)
{
    for (const Step& s : kSteps) {
        if (s.hz == hz)
            return QString::fromLatin1(s.caption);
    }
    return std::nullopt;
}

} // namespace quelm::steps
