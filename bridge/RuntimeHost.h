#pragma once
#include <cstdint>

#include "plugin/ClrHosting.h"
#include "host/HostApi.h"

// Hosts runtime v4.0.30319 in the process, through the meta host created at load. Called by
// LoadPlugin, and only while the bridge switch is on. A missing companion assembly is shown to
// the user (126) and start-up goes on. False, after message 127 (GetRuntime failed) or 128 (a
// fault while starting, or no object to call), means the plugin must not load. Whatever runtime
// objects were obtained stay in the plugin state for StopRuntime. Each runtime call leaves its
// HRESULT in `lastResult`.
[[nodiscard]] bool StartRuntime() noexcept;

// Calls the companion assembly's Command method with `command` and waits for it. Returns the
// method's result, or 0 when it did not run; without a runtime host nothing happens. The call's
// HRESULT goes to `lastResult`.
std::uint32_t SendCommand(const String& command);

// Called by UnloadPlugin while the bridge switch is on: sends "quit" and stops the runtime host
// if there is one, then releases the runtime info, the runtime host and the meta host, in that
// order, leaving all three null.
void StopRuntime() noexcept;
