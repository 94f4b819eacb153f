#pragma once
// The texts the bridge sends to the companion and shows to the user, and what it makes of the
// companion's answers. Plain code: built and tested off Windows too.
#include <cstdint>

#include "host/HostApi.h"

// A verb followed by a source window's id: "start:-123", "init:0".
[[nodiscard]] String WindowCommand(CTSTR verb, HWND window);
// "setPlatform:" followed by the platform code.
[[nodiscard]] String PlatformCommand();

// The start-up messages, each a first line and a help line ending in the support group, joined
// by CR LF.
enum class StartupMessage {
    MissingAssembly,  // 126: start-up goes on
    NoRuntime,        // 127: GetRuntime failed
    RuntimeFault,     // 128: a fault, or no object to call, while starting
};
[[nodiscard]] String StartupMessageText(StartupMessage message);

// The companion's answer to "ShowForm:", given the runtime call's result (an HRESULT) and the
// value its method returned. A failed call (a negative result) never ran the method, so its
// value of 0 is no answer: that is a failure too.
enum class ShowFormOutcome {
    Accepted,  // the settings were accepted
    Declined,  // the user declined; nothing to say
    Failed,    // anything else: the user is told the settings failed
};
[[nodiscard]] ShowFormOutcome ShowFormOutcomeOf(std::int32_t callResult, std::uint32_t answer) noexcept;
