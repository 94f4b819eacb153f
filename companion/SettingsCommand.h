#pragma once
#include <cstdint>

#include "host/HostApi.h"

// The "Set:" command tells the companion a source's whole look in one text: "Set:", the source's
// id, then fourteen values each preceded by "{|}", in the command's own order and with its own
// defaults (names::kSettingsCommandFields). Values go out as stored, with no escaping.
//
// `id` is the source window's handle; only its low 32 bits are written, as a signed decimal.
[[nodiscard]] String BuildSettingsCommand(const XElement& settings, std::uint64_t id);

// The source's "usingASCII" setting (default 0): 1 means the companion sends ANSI payloads.
[[nodiscard]] int ReadUsingAscii(const XElement& settings) noexcept;

// Builds the command for `settings` and sends it through the runtime bridge: "ASCII" first when
// "usingASCII" is exactly 1, then the "Set:" command. The process-wide `usingAscii` takes the
// setting's value even when no runtime host is running (then nothing is sent). A null element
// does nothing at all. Send failures are left in `lastResult` and not reported.
void SendSettingsCommand(XElement* settings, std::uint64_t id);
