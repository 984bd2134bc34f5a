#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace quelm {

double SteadyClock::now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::sleep(double seconds)
{
    if (seconds > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

} // namespace quelm
