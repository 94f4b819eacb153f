#include <cstdint>
#include <ctime>

#include "companion/Launcher.h"
#include "plugin/Constants.h"

bool PassLaunchThrottle(int& lastLaunchTime, int now) noexcept {
    const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(lastLaunchTime));
    lastLaunchTime = now;
    return elapsed >= names::kLaunchThrottleSeconds;
}

int CalendarSecondsLow32() noexcept {
    const auto seconds = static_cast<std::int64_t>(std::time(nullptr));
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds)));
}
