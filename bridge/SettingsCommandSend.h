#pragma once
#include <cstdint>

#include "host/HostApi.h"

// Builds the "Set:" command for `settings` (companion/SettingsCommand.h) and sends it through the
// runtime bridge: "ASCII" first when "usingASCII" is exactly 1, then the "Set:" command. The
// process-wide `usingAscii` takes the setting's value even when no runtime host is running (then
// nothing is sent). A null element does nothing at all. Send failures are left in `lastResult`
// and not reported.
void SendSettingsCommand(XElement* settings, std::uint64_t id);
