// libFuzzer entry for everything the plugin parses from other programs. The first input byte
// picks the parser, the rest is its input; a new parser is one more case.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "bridge/Inbound.h"
#include "bridge/Payload.h"
#include "companion/SharedBlockParser.h"
#include "host/HostSide.h"
#include "host/Utf.h"
#include "plugin/HostText.h"

namespace {

// Reads of the results go here, so the optimiser keeps every read of fuzzed memory.
volatile unsigned g_sink = 0;

void Observe(const String& text) {
    unsigned sum = text.Length();
    for (unsigned i = 0; i < text.Length(); ++i) sum += static_cast<unsigned>(text.Array()[i]);
    g_sink = g_sink + sum;
}

// Stands in for the system's ANSI conversion off Windows.
String Utf8Text(const char* bytes, std::size_t count) {
    const std::wstring wide = Utf8ToUtf16(bytes, count);
    return TextFromUnits(wide.data(), wide.size());
}

// A WM_COPYDATA payload of exactly `size` bytes, its count being the size: the buffer ends where
// the sender's count ends, so reading past the count is reading past the buffer.
void Utf16Payload(const std::uint8_t* data, std::size_t size) {
    const String text = DecodeUtf16Payload(data, static_cast<std::uint32_t>(size));
    Observe(text);
    const KeyValue split = SplitKeyValue(text);
    Observe(split.key);
    Observe(split.value);
}

void AnsiPayload(const std::uint8_t* data, std::size_t size) {
    g_sink = g_sink + static_cast<unsigned>(AnsiPayloadLength(data, static_cast<std::uint32_t>(size)));
    const String text = DecodePayload(data, static_cast<std::uint32_t>(size), true, Utf8Text);
    Observe(text);
    const KeyValue split = SplitKeyValue(text);
    Observe(split.key);
    Observe(split.value);
}

// A whole message to a source window: a code, the encoding switch, then the payload, acted on
// with a record that has settings.
void CopyDataMessage(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    static const std::uintptr_t kCodes[] = {1, 101, 102, 103, 200, 203, 0, 2, 104};
    const std::uintptr_t code = kCodes[data[0] % (sizeof kCodes / sizeof kCodes[0])];
    const bool ansi = data[1] & 1;
    const String payload = DecodePayload(data + 2, static_cast<std::uint32_t>(size - 2), ansi, Utf8Text);

    XConfig config;
    SourceRecord record;
    record.settings = config.GetRootElement();
    ApplyCopyData(record, code, payload);
    Observe(record.text);
    for (unsigned i = 0; i < record.settings->NumDataItems(); ++i) {
        CTSTR name = record.settings->GetDataItemName(i);
        Observe(String(ReadText(record.settings, name, L"")));
    }
    HostClearLog();  // code 200 keeps its lines in memory otherwise
}

void NoHotkey(DWORD, UPARAM, bool) {}

// The companion's shared block: the input's bytes are the block's (UTF-16, little-endian), read
// as the reader copies them (up to a NUL unit, at most 1023 units) into an exactly sized buffer.
void SharedBlock(const std::uint8_t* data, std::size_t size) {
    std::size_t count = 0;
    while (count < block::kMaxTextUnits && 2 * count + 1 < size && (data[2 * count] | data[2 * count + 1]) != 0) ++count;
    std::unique_ptr<wchar_t[]> copy(new wchar_t[count ? count : 1]);
    for (std::size_t i = 0; i < count; ++i)
        copy[i] = static_cast<wchar_t>(data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8));
    block::Content content;
    block::Parse(copy.get(), count, content);
    XConfig config;
    int hotkeyCode = -1;
    UINT hotkeyId = 0;
    String shared;
    g_sink = g_sink + block::Apply(copy.get(), content, config.GetRootElement(), hotkeyCode, hotkeyId, NoHotkey, 0, shared);
    Observe(shared);
    for (unsigned i = 0; i < config.GetRootElement()->NumDataItems(); ++i)
        Observe(String(ReadText(config.GetRootElement(), config.GetRootElement()->GetDataItemName(i), L"")));
    if (hotkeyId) OBSDeleteHotkey(hotkeyId);
}

using Parser = void (*)(const std::uint8_t*, std::size_t);
constexpr Parser kParsers[] = {Utf16Payload, AnsiPayload, CopyDataMessage, SharedBlock};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    HostSetLogEcho(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    kParsers[data[0] % (sizeof kParsers / sizeof kParsers[0])](data + 1, size - 1);
    return 0;
}
