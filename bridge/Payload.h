#pragma once
// Reading what the companion sends to a source window with WM_COPYDATA: the payload's text and
// its "key|value" split. Plain code over bytes, so it is built and fuzzed off Windows too.
#include <cstddef>
#include <cstdint>

#include "host/HostApi.h"

// Turns `count` bytes of ANSI text (no terminator among them) into a String. On Windows this is
// the system's ANSI code page conversion; tests and the fuzzer bring their own.
using AnsiDecoder = String (*)(const char* bytes, std::size_t count);

// UTF-16 payload: the units at `data` up to the first NUL, but never past `byteCount` bytes (a
// payload without a terminator is taken up to `byteCount`, an odd last byte is ignored). Then
// the sender's count decides: with k = (byteCount - 1) / 2, the count read as a signed 32-bit
// number and the division truncating toward zero, a k above 0 cuts the text to k units. A sender
// that counts the terminator gets its whole text; one that does not loses its last unit.
[[nodiscard]] String DecodeUtf16Payload(const void* data, std::uint32_t byteCount);

// ANSI payload: how many bytes at `data` come before the first NUL, at most `byteCount`.
[[nodiscard]] std::size_t AnsiPayloadLength(const void* data, std::uint32_t byteCount) noexcept;

// The payload as text: ANSI through `decodeAnsi` when `ansi`, UTF-16 otherwise. Null data gives
// an unset String.
[[nodiscard]] String DecodePayload(const void* data, std::uint32_t byteCount, bool ansi, AnsiDecoder decodeAnsi);

// "key|value": the key is the text before the first bar, the value everything after it (further
// bars included). Without a bar the value is unset.
struct KeyValue {
    String key;
    String value;
};
[[nodiscard]] KeyValue SplitKeyValue(const String& payload);
