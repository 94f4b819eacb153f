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

// Sending it is the bridge's (bridge/SettingsCommandSend.h).
