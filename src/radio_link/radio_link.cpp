#include "radio_link/radio_link.h"

namespace quelm {

RadioLink::RadioLink(SerialPort& port, Clock& clock, SettingsStore& settings, const double& cmdDelay,
                     const int& radioAddress)
    : port_(port), clock_(clock), settings_(settings), cmdDelay_(cmdDelay), radioAddress_(radioAddress)
{
}

} // namespace quelm
