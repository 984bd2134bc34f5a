// The saved-state reader on arbitrary values in the settings store kept in
// memory. Input: one byte for the locale, two bytes saying which of the fifteen
// keys are there, then their values one per line (UTF-8).

#include <array>

#include "platform/fakes.h"
#include "saved_state_check.h"

using namespace quelm;

namespace {
const std::array<const char*, 15> kKeys{"VFOActive", "VFOA",    "VFOB", "VFOStepA", "VFOStepB",
                                        "VFOModoA",  "VFOModoB", "COMP", "MONITOR",  "NR",
                                        "NB",        "NOTCH",    "RIT",  "AGC",      "DUPLEX"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input in(data, size);
    fuzzing::pickLocale(in.byte());
    const std::uint16_t present = in.u16();
    const QList<QByteArray> values = in.rest().split('\n');
    MemorySettingsStore store;
    int next = 0;
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
        if (!(present & (1u << k)))
            continue;
        const QByteArray value = next < values.size() ? values[next] : QByteArray();
        ++next;
        store.saveSetting(QStringLiteral("Quelm"), QStringLiteral("LAST"), QString::fromLatin1(kKeys[k]),
                          QString::fromUtf8(value));
    }
    fuzzing::checkSavedState(store);
    return 0;
}
