#include "bridge/Payload.h"

#include <cstring>

#include "plugin/Constants.h"

String DecodeUtf16Payload(const void* data, std::uint32_t byteCount) {
    String text;
    if (!data) return text;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t unitsInside = byteCount / 2;

    // Units are copied out one by one: the payload need not be aligned, and a wchar_t need not
    // be 16 bits wide.
    wchar_t chunk[128] = {};
    std::size_t filled = 0;
    for (std::size_t i = 0; i < unitsInside; ++i) {
        std::uint16_t unit;
        std::memcpy(&unit, bytes + 2 * i, sizeof unit);
        if (unit == 0) break;
        chunk[filled++] = static_cast<wchar_t>(unit);
        if (filled == sizeof chunk / sizeof chunk[0]) {
            text.AppendString(chunk, static_cast<UINT>(filled));
            filled = 0;
        }
    }
    if (filled) text.AppendString(chunk, static_cast<UINT>(filled));

    // A count of 2 GiB or more reads as negative and cuts nothing; 64 bits keep "- 1" defined.
    const std::int64_t signedCount = static_cast<std::int32_t>(byteCount);
    const std::int64_t keep = (signedCount - 1) / 2;
    if (keep > 0 && static_cast<std::uint64_t>(keep) < text.Length()) text = text.Left(static_cast<unsigned>(keep));
    return text;
}

std::size_t AnsiPayloadLength(const void* data, std::uint32_t byteCount) noexcept {
    if (!data) return 0;
    const void* terminator = std::memchr(data, 0, byteCount);
    return terminator ? static_cast<std::size_t>(static_cast<const char*>(terminator) - static_cast<const char*>(data))
                      : byteCount;
}

String DecodePayload(const void* data, std::uint32_t byteCount, bool ansi, AnsiDecoder decodeAnsi) {
    if (!data) return String();
    if (!ansi) return DecodeUtf16Payload(data, byteCount);
    const std::size_t length = AnsiPayloadLength(data, byteCount);
    if (!length || !decodeAnsi) return String();
    return decodeAnsi(static_cast<const char*>(data), length);
}

KeyValue SplitKeyValue(const String& payload) {
    KeyValue split;
    split.key = payload.GetToken(0, names::kKeyValueSeparator);
    if (CTSTR value = payload.GetTokenOffset(1, names::kKeyValueSeparator)) {
        const std::size_t offset = static_cast<std::size_t>(value - payload.Array());
        if (payload.Length() > offset) split.value.AppendString(value, static_cast<UINT>(payload.Length() - offset));
    }
    return split;
}
