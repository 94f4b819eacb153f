#pragma once
// The companion's shared block, read as text. Plain code over a copy of the block: Parse makes
// no calls at all, and Apply calls only the host library (the settings element and the text), so
// it builds and is tested natively and fuzzed.
//
// The block holds UTF-16 text up to a NUL. In settings form it begins "Set|" and carries, in
// fields separated by runs of "|", the font, twelve look values, the hotkey code and then the
// text part; otherwise the whole text is the text part. The text part is lines separated by
// runs of CR and LF: a header line, never shown, then the lines to show.
#include <cstddef>

#include "host/HostApi.h"
#include "plugin/Constants.h"

namespace block {

inline constexpr std::size_t kBlockUnits = 1024;    // 2048 bytes of UTF-16
inline constexpr std::size_t kMaxTextUnits = 1023;  // the text, before its NUL
inline constexpr std::size_t kLookFields = 12;      // fields 2 to 13, all integers
inline constexpr std::size_t kSettingsFields = 14;  // "Set", the font and the look fields
inline constexpr std::size_t kFirstTextField = 15;  // after the hotkey code in field 14
inline constexpr std::size_t kMaxLines = 64;        // the header and 63 lines to show

// The settings keys of fields 2 to 13, in field order; field 1 is the font, field 14 the hotkey.
inline constexpr const wchar_t* kLookKeys[kLookFields] = {
    keys::kFontSize, keys::kColor,     keys::kTextOpacity, keys::kBackgroundColor, keys::kBackgroundOpacity,
    keys::kBold,     keys::kItalic,    keys::kUnderline,   keys::kOutline,         keys::kOutlineSize,
    keys::kOutlineColor, keys::kOutlineOpacity,
};

struct Span {
    std::size_t offset = 0;
    std::size_t length = 0;
};

struct Content {
    // A settings line of at least 14 fields: the font and the look values are to be applied.
    bool settingsApplied = false;
    Span font;
    int look[kLookFields] = {};
    // Field 14 is present (15 fields or more).
    bool hasHotkeyCode = false;
    int hotkeyCode = 0;
    // Lines found in the text part, the header included; 0 leaves the shown text as it was.
    std::size_t lineCount = 0;
    Span lines[kMaxLines];
};

// Reads a field as the companion writes integers: leading white space, an optional sign, the
// decimal digits up to the first other character; no digits give 0, and a value beyond the
// signed 32-bit range gives the nearer end of it.
int ReadInteger(const wchar_t* units, std::size_t count) noexcept;

// Parses `count` units of copied block text (no NUL among them). The text part of a settings
// line is re-joined in place and an applied font is NUL-terminated in place, so `text` is
// changed; every span of `out` points into it.
void Parse(wchar_t* text, std::size_t count, Content& out) noexcept;

}  // namespace block

namespace block {

// Applies parsed content, in this order: the font and the look values to `settings` (when not
// null), each written only when the element does not hold that value already; the hotkey code,
// when it differs from `currentHotkeyCode` (taken into it, and "hotkey" written; registering the
// key is the caller's); then the shown text: lines 2 onward, each followed by CR LF, replace
// `sharedText` when any line was found. Returns whether a settings line was applied.
bool Apply(const wchar_t* text, const Content& content, XElement* settings, int& currentHotkeyCode, String& sharedText);

}  // namespace block
