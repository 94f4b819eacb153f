// libFuzzer entry for everything the plugin parses from other programs. The first input byte
// picks the parser (its low two bits) and, for the shared block, the state the reader starts
// from (the bits above); the rest is the parser's input.
//
// Besides what the sanitizers see, every input is checked against a reference model: the rules
// of the block and of the window messages written out again plainly, over std::u16string, with
// nothing taken from the code under test. Any difference in the settings written (names, values,
// order), the hotkey registered or removed, the shown text, the result, the decoded payload, the
// key and value, the record's text, the log or the encoding switch aborts with what differed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bridge/Inbound.h"
#include "bridge/Payload.h"
#include "companion/Hotkey.h"
#include "companion/SharedBlockParser.h"
#include "host/HostSide.h"
#include "host/Utf.h"
#include "plugin/HostText.h"

namespace {

using Units = std::u16string;

[[noreturn]] void Mismatch(const char* what, int line) {
    std::fprintf(stderr, "FuzzInputs.cpp:%d: the code and the model differ: %s\n", line, what);
    std::abort();
}
#define CHECK(condition) \
    do {                 \
        if (!(condition)) Mismatch(#condition, __LINE__); \
    } while (0)

Units Of(const String& s) {
    Units units;
    if (CTSTR p = s.Array()) units.assign(p, p + s.Length());
    return units;
}

// Whether the host's text holds exactly these units, without a copy.
bool Same(CTSTR text, std::size_t length, const Units& units) {
    if (length != units.size()) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<char16_t>(text[i]) != units[i]) return false;
    return true;
}
bool Same(const String& s, const Units& units) { return Same(s.Array(), s.Array() ? s.Length() : 0, units); }
bool Same(CTSTR text, const Units& units) {
    std::size_t length = 0;
    while (text && text[length]) ++length;
    return Same(text, length, units);
}

// ---------------------------------------------------------------- the reference model

namespace model {

bool IsWhite(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}
bool IsBar(char16_t c) { return c == u'|'; }
bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// White space, a sign, digits; the digits compared as text with the ends of the 32-bit range.
std::int32_t Integer(const Units& field) {
    std::size_t i = 0;
    while (i < field.size() && IsWhite(field[i])) ++i;
    bool minus = false;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) minus = field[i++] == u'-';
    Units digits;
    for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i)
        if (!digits.empty() || field[i] != u'0') digits += field[i];
    const Units limit = minus ? u"2147483648" : u"2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return minus ? INT32_MIN : INT32_MAX;
    std::int64_t value = 0;
    for (char16_t d : digits) value = value * 10 + (d - u'0');
    return static_cast<std::int32_t>(minus ? -value : value);
}

// The host's String::ToInt(10): a whole decimal integer (a sign and digits, nothing else) is read
// as Integer reads it; text of 0x and hexadecimal digits counts as an integer too but reads as 0
// in base 10; any other text is 0.
std::int32_t WholeInteger(const Units& text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    auto isHex = [&](char16_t c) { return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); };
    const bool hex = i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X');
    const std::size_t digitsStart = hex ? i + 2 : i;
    if (digitsStart >= text.size()) return 0;
    for (std::size_t k = digitsStart; k < text.size(); ++k)
        if (!(hex ? isHex(text[k]) : isDigit(text[k]))) return 0;
    return hex ? 0 : Integer(text);
}

// Setting names as the host compares them: without regard to the case of ASCII letters.
bool SameName(const Units& a, const Units& b) {
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

// The non-empty pieces between separators: a run of separators is one, and separators at either
// end separate nothing.
std::vector<Units> Pieces(const Units& text, bool (*isSeparator)(char16_t)) {
    std::vector<Units> pieces(1);
    for (char16_t c : text) {
        if (!isSeparator(c)) pieces.back() += c;
        else if (!pieces.back().empty()) pieces.emplace_back();
    }
    if (pieces.back().empty()) pieces.pop_back();
    return pieces;
}

struct Write {
    Units key;
    bool isText;
    Units text;
    std::int32_t number;
};

struct BlockOutcome {
    std::vector<Write> writes;
    int hotkeyCode;
    bool removesHotkey = false;
    bool registersHotkey = false;
    bool sharedTextReplaced = false;
    Units sharedText;
    bool result = false;
};

BlockOutcome Block(const Units& text, bool haveSettings, int hotkeyCode, bool hotkeyRegistered) {
    static const char16_t* const kLook[] = {u"fontSize",   u"color",        u"textOpacity",   u"backgroundColor",
                                            u"backgroundOpacity", u"bold",  u"italic",        u"underline",
                                            u"outline",    u"outlineSize",  u"outlineColor",  u"outlineOpacity"};
    BlockOutcome out;
    out.hotkeyCode = hotkeyCode;
    Units textPart = text;
    if (text.size() > 4 && text.compare(0, 4, u"Set|") == 0) {
        const std::vector<Units> fields = Pieces(text, IsBar);
        if (fields.size() < 14) {
            textPart = u"Set";  // all that is left of the text: the header line
        } else {
            out.result = true;
            if (haveSettings) {
                out.writes.push_back({u"font", true, fields[1], 0});
                for (std::size_t i = 0; i < 12; ++i) out.writes.push_back({kLook[i], false, Units(), Integer(fields[2 + i])});
            }
            // 14 fields carry no hotkey code: the hotkey is left as it is.
            if (fields.size() >= 15 && Integer(fields[14]) != hotkeyCode) {
                out.hotkeyCode = Integer(fields[14]);
                if (haveSettings) out.writes.push_back({u"hotkey", false, Units(), out.hotkeyCode});
                out.removesHotkey = hotkeyRegistered;
                out.registersHotkey = out.hotkeyCode != 0;
            }
            textPart.clear();
            for (std::size_t i = 15; i < fields.size(); ++i) textPart += (i > 15 ? u"|" : u"") + fields[i];
        }
    }
    std::vector<Units> lines = Pieces(textPart, IsBreak);
    if (lines.size() > 64) lines.resize(64);
    if (!lines.empty()) {
        out.sharedTextReplaced = true;
        for (std::size_t i = 1; i < lines.size(); ++i) out.sharedText += lines[i] + u"\r\n";
    }
    return out;
}

// A UTF-16 payload of `size` bytes that the sender counted as `size`.
Units Utf16Payload(const std::uint8_t* data, std::size_t size) {
    Units text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        text += unit;
    }
    const std::int64_t keep = (static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(size))) - 1) / 2;
    if (keep > 0 && static_cast<std::size_t>(keep) < text.size()) text.resize(static_cast<std::size_t>(keep));
    return text;
}

std::size_t AnsiLength(const std::uint8_t* data, std::size_t size) {
    std::size_t n = 0;
    while (n < size && data[n] != 0) ++n;
    return n;
}

struct KeyValue {
    Units key;
    bool hasValue = false;
    Units value;
};

KeyValue Split(const Units& payload) {
    KeyValue kv;
    const std::size_t bar = payload.find(u'|');
    kv.key = payload.substr(0, bar);
    if (bar != Units::npos) {
        kv.hasValue = true;
        kv.value = payload.substr(bar + 1);
    }
    return kv;
}

struct CopyOutcome {
    bool textStored = false;
    std::vector<Write> writes;
    bool logged = false;
    Units logLine;
};

std::int32_t Opaque(std::int32_t colour) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(colour) | 0xFF000000u);
}

CopyOutcome CopyData(std::uint64_t code, const Units& payload, bool haveSettings) {
    CopyOutcome out;
    if (code == 1) {
        out.textStored = true;
        return out;
    }
    if (!haveSettings) return out;
    const KeyValue kv = Split(payload);
    const bool pairSet = !kv.key.empty() && !kv.value.empty();
    if (code == 101 && pairSet) out.writes.push_back({kv.key, false, Units(), WholeInteger(kv.value)});
    if (code == 102 && pairSet) out.writes.push_back({kv.key, true, kv.value, 0});
    if (code == 103 && pairSet) out.writes.push_back({kv.key, false, Units(), Opaque(WholeInteger(kv.value))});
    if (code == 203 && !payload.empty()) out.writes.push_back({u"RandomForeColor", false, Units(), Opaque(WholeInteger(payload))});
    if (code == 200) {
        out.logged = true;
        out.logLine = payload;
        while (!out.logLine.empty() && IsBreak(out.logLine.back())) out.logLine.pop_back();  // the log's own line end
    }
    return out;
}

}  // namespace model

// ---------------------------------------------------------------- comparing

// The element, fresh before the parser ran, must hold what the model wrote: each key once (keys
// equal but for case are one), named as first written, in the order of its first write, with the
// value of its last.
void CheckSettings(const XElement* actual, const std::vector<model::Write>& writes) {
    struct Item {
        const Units* name;
        const model::Write* last;
    };
    std::vector<Item> items;
    for (const model::Write& w : writes) {
        bool seen = false;
        for (Item& item : items)
            if (model::SameName(*item.name, w.key)) seen = true, item.last = &w;
        if (!seen) items.push_back({&w.key, &w});
    }
    CHECK(actual->NumDataItems() == items.size());
    for (unsigned i = 0; i < items.size(); ++i) {
        CTSTR name = actual->GetDataItemName(i);
        CHECK(Same(name, *items[i].name));
        if (items[i].last->isText) CHECK(Same(ReadText(actual, name, L""), items[i].last->text));
        else CHECK(actual->GetInt(name, 0) == items[i].last->number);
    }
}

Units Utf16Units(const std::uint8_t* data, std::size_t count) {
    Units units;
    for (std::size_t i = 0; i < count; ++i) units += static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return units;
}

// Stands in for the system's ANSI conversion off Windows.
String Utf8Text(const char* bytes, std::size_t count) {
    const std::wstring wide = Utf8ToUtf16(bytes, count);
    return String(wide.c_str());
}

String ExpectedAnsiText(const std::uint8_t* data, std::size_t size) {
    const std::size_t length = model::AnsiLength(data, size);
    return length ? Utf8Text(reinterpret_cast<const char*>(data), length) : String();
}

void CheckSplit(const String& payload) {
    const KeyValue split = SplitKeyValue(payload);
    const model::KeyValue kv = model::Split(Of(payload));
    CHECK(Same(split.key, kv.key));
    CHECK(Same(split.value, kv.value));
    CHECK(split.value.IsValid() == (kv.hasValue && !kv.value.empty()));
}

// ---------------------------------------------------------------- the parsers

// A WM_COPYDATA payload of exactly `size` bytes, its count being the size: the buffer ends where
// the sender's count ends, so reading past the count is reading past the buffer.
void Utf16Payload(unsigned, const std::uint8_t* data, std::size_t size) {
    const String text = DecodeUtf16Payload(data, static_cast<std::uint32_t>(size));
    CHECK(Same(text, model::Utf16Payload(data, size)));
    CheckSplit(text);
}

void AnsiPayload(unsigned, const std::uint8_t* data, std::size_t size) {
    CHECK(AnsiPayloadLength(data, static_cast<std::uint32_t>(size)) == model::AnsiLength(data, size));
    const String text = DecodePayload(data, static_cast<std::uint32_t>(size), true, Utf8Text);
    CHECK(Same(text, Of(ExpectedAnsiText(data, size))));
    CheckSplit(text);
}

// A whole message to a source window: a code byte, a flags byte, then the payload, acted on with
// a record that has settings or none.
void CopyDataMessage(unsigned, const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    constexpr std::uint64_t kAnsiSwitch = ~0ull, kUtf16Switch = ~0ull - 1;
    static const std::uint64_t kCodes[] = {
        1, 101, 102, 103, 200, 203, 0, 2, 100, 104, 199, 201, 202, 204, 1000, kAnsiSwitch, kUtf16Switch,
#if UINTPTR_MAX > 0xFFFFFFFFu
        (1ull << 32) | 1, (1ull << 32) | 101,  // the code is compared in full
#endif
    };
    const std::uint64_t code = kCodes[data[0] % (sizeof kCodes / sizeof kCodes[0])];
    const bool ansi = data[1] & 1;
    const bool haveSettings = !(data[1] & 2);
    const int usingAsciiBefore = (data[1] & 4) ? 1 : 0;

    XConfig config;
    SourceRecord record;
    record.settings = haveSettings ? config.GetRootElement() : nullptr;
    record.text = L"old";
    HostClearLog();

    if (code == kAnsiSwitch || code == kUtf16Switch) {
        const int value = code == kAnsiSwitch ? 1 : 0;
        int usingAscii = usingAsciiBefore;
        ApplyPayloadEncoding(record, value, usingAscii);
        CHECK(usingAscii == value);
        std::vector<model::Write> writes;
        if (haveSettings) writes.push_back({u"usingASCII", false, Units(), value});
        CheckSettings(config.GetRootElement(), writes);
        CHECK(Same(record.text, u"old"));
        return;
    }

    const std::uint8_t* bytes = data + 2;
    const std::size_t count = size - 2;
    const String payload = DecodePayload(bytes, static_cast<std::uint32_t>(count), ansi, Utf8Text);
    const Units expectedPayload = ansi ? Of(ExpectedAnsiText(bytes, count)) : model::Utf16Payload(bytes, count);
    CHECK(Same(payload, expectedPayload));

    ApplyCopyData(record, static_cast<std::uintptr_t>(code), payload);
    const model::CopyOutcome expected = model::CopyData(code, expectedPayload, haveSettings);
    CHECK(Same(record.text, (expected.textStored ? expectedPayload : u"old")));
    CHECK(record.textFlag == (expected.textStored ? 1 : 0));
    CheckSettings(config.GetRootElement(), expected.writes);
    CHECK(HostLogLineCount() == (expected.logged ? 1u : 0u));
    if (expected.logged) CHECK(Same(HostGetLogLine(0), expected.logLine));
    HostClearLog();  // code 200 keeps its lines in memory otherwise
}

void STDCALL NoHotkey(DWORD, UPARAM, bool) {}

// The companion's shared block: the input's bytes are the block's (UTF-16, little-endian), read
// as the reader copies them (up to a NUL unit, at most 1023 units) into an exactly sized buffer.
// `state` picks what the reader starts from: the hotkey code last seen (bits 0-1), a hotkey
// registered (bit 2), no settings element (bit 3), a host that registers no hotkey (bit 4).
void SharedBlock(unsigned state, const std::uint8_t* data, std::size_t size) {
    static const int kStartCodes[] = {-1, 0, 5, 112};
    const int startCode = kStartCodes[state & 3];
    const bool startRegistered = state & 4;
    const bool haveSettings = !(state & 8);
    const bool hostRefuses = state & 16;

    std::size_t count = 0;
    while (count < block::kMaxTextUnits && 2 * count + 1 < size && (data[2 * count] | data[2 * count + 1]) != 0) ++count;
    const Units text = Utf16Units(data, count);
    std::unique_ptr<wchar_t[]> copy(new wchar_t[count ? count : 1]);
    for (std::size_t i = 0; i < count; ++i) copy[i] = static_cast<wchar_t>(text[i]);

    XConfig config;
    XElement* settings = haveSettings ? config.GetRootElement() : nullptr;
    int hotkeyCode = startCode;
    const DWORD startKey = startCode > 0 ? static_cast<DWORD>(startCode) : 1;
    const UINT startId = startRegistered ? OBSCreateHotkey(startKey, NoHotkey, 0) : 0;
    UINT hotkeyId = startId;
    const unsigned hotkeysBefore = HostHotkeyCount();
    String shared(L"old");
    HostFailHotkeyCreation(hostRefuses);

    block::Content content;
    block::Parse(copy.get(), count, content);
    const bool result = block::Apply(copy.get(), content, settings, hotkeyCode, shared);
    // A new code, registered as the plugin's own thread does it.
    HotkeyRegistration registration{hotkeyId, startCode, 0};
    Reconcile(HotkeyWish{hotkeyCode, 0, 0}, registration, NoHotkey);
    hotkeyId = registration.id;
    HostFailHotkeyCreation(false);

    const model::BlockOutcome expected = model::Block(text, haveSettings, startCode, startId != 0);
    CHECK(result == expected.result);
    CHECK(Same(shared, (expected.sharedTextReplaced ? expected.sharedText : u"old")));
    if (settings) CheckSettings(settings, expected.writes);
    CHECK(hotkeyCode == expected.hotkeyCode);
    const bool registered = expected.registersHotkey && !hostRefuses;
    if (startId) CHECK(HostHotkeyKey(startId) == (expected.removesHotkey ? 0 : startKey));
    CHECK(HostHotkeyCount() == hotkeysBefore - (expected.removesHotkey ? 1 : 0) + (registered ? 1 : 0));
    if (registered) {
        CHECK(hotkeyId != 0 && hotkeyId != startId);
        CHECK(HostHotkeyKey(hotkeyId) == static_cast<DWORD>(expected.hotkeyCode));
    } else if (expected.removesHotkey || expected.registersHotkey) {
        CHECK(hotkeyId == 0);
    } else {
        CHECK(hotkeyId == startId);
    }
    if (hotkeyId) OBSDeleteHotkey(hotkeyId);
    if (startId && hotkeyId != startId && HostHotkeyKey(startId)) OBSDeleteHotkey(startId);
}

using Parser = void (*)(unsigned state, const std::uint8_t*, std::size_t);
constexpr Parser kParsers[] = {Utf16Payload, AnsiPayload, CopyDataMessage, SharedBlock};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    HostSetLogEcho(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    kParsers[data[0] % 4](data[0] >> 2, data + 1, size - 1);
    return 0;
}
