#include "companion/SharedBlockParser.h"

namespace block {

namespace {

bool IsSpace(wchar_t c) noexcept {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

bool IsBreak(wchar_t c) noexcept { return c == L'\r' || c == L'\n'; }

// The next non-empty piece of [pos, end) between separators; false when none is left.
template <typename IsSeparator>
bool NextPiece(const wchar_t* text, std::size_t& pos, std::size_t end, IsSeparator isSeparator, Span& piece) noexcept {
    while (pos < end && isSeparator(text[pos])) ++pos;
    if (pos == end) return false;
    piece.offset = pos;
    while (pos < end && !isSeparator(text[pos])) ++pos;
    piece.length = pos - piece.offset;
    return true;
}

bool IsBar(wchar_t c) noexcept { return c == L'|'; }

}  // namespace

int ReadInteger(const wchar_t* units, std::size_t count) noexcept {
    std::size_t i = 0;
    while (i < count && IsSpace(units[i])) ++i;
    bool negative = false;
    if (i < count && (units[i] == L'+' || units[i] == L'-')) negative = units[i++] == L'-';
    long long magnitude = 0;
    for (; i < count && units[i] >= L'0' && units[i] <= L'9'; ++i)
        if (magnitude <= 2147483648LL) magnitude = magnitude * 10 + (units[i] - L'0');
    if (negative) return magnitude >= 2147483648LL ? -2147483647 - 1 : static_cast<int>(-magnitude);
    return magnitude > 2147483647LL ? 2147483647 : static_cast<int>(magnitude);
}

void Parse(wchar_t* text, std::size_t count, Content& out) noexcept {
    out = Content();
    if (count > kMaxTextUnits) count = kMaxTextUnits;

    // The range the lines are taken from: the whole text, unless a settings line says otherwise.
    std::size_t linesBegin = 0, linesEnd = count;
    const bool settingsForm = count > 4 && text[0] == L'S' && text[1] == L'e' && text[2] == L't' && text[3] == L'|';
    if (settingsForm) {
        Span field;
        std::size_t pos = 0, fieldIndex = 0;
        std::size_t textPartEnd = 0;  // where the re-joined text part ends, once it begins
        while (NextPiece(text, pos, count, IsBar, field)) {
            if (fieldIndex == 1) out.font = field;
            else if (fieldIndex >= 2 && fieldIndex < kSettingsFields) out.look[fieldIndex - 2] = ReadInteger(text + field.offset, field.length);
            else if (fieldIndex == kSettingsFields) out.hotkeyCode = ReadInteger(text + field.offset, field.length);
            else if (fieldIndex == kFirstTextField) {
                linesBegin = field.offset;
                textPartEnd = field.offset + field.length;
            } else if (fieldIndex > kFirstTextField) {
                // Each further piece follows the text so far after a single "|". The write
                // position never passes the read position, so this works in place.
                text[textPartEnd++] = L'|';
                for (std::size_t k = 0; k < field.length; ++k) text[textPartEnd++] = text[field.offset + k];
            }
            ++fieldIndex;
        }
        if (fieldIndex < kSettingsFields) {
            // Too short to apply: the text reads as the word "Set" alone, which is a header.
            linesBegin = 0;
            linesEnd = 3;
        } else {
            out.settingsApplied = true;
            out.hasHotkeyCode = fieldIndex > kSettingsFields;
            // The "|" after the font (more fields follow it) becomes its terminator, so the
            // font can be written from the copy without another buffer; nothing reads it again.
            text[out.font.offset + out.font.length] = 0;
            if (fieldIndex > kFirstTextField) {
                linesEnd = textPartEnd;
            } else {
                linesBegin = linesEnd = 0;  // no text part
            }
        }
    }

    Span line;
    std::size_t pos = linesBegin;
    while (out.lineCount < kMaxLines && NextPiece(text, pos, linesEnd, IsBreak, line)) out.lines[out.lineCount++] = line;
}

}  // namespace block

namespace block {

namespace {

// Whether the element holds exactly this text under `key`. The host library keeps every value as
// text (null when absent or empty) and SetInt writes the decimal digits.
bool Holds(const XElement& settings, CTSTR key, const wchar_t* text) {
    const wchar_t* held = settings.GetString(key);
    if (!held) return false;
    while (*held && *held == *text) ++held, ++text;
    return *held == *text;
}

// Values are written only when they differ from what the element holds: the host library
// reallocates a value on every write, even an unchanged one, and the host's user-interface
// thread may be reading it (saving the scene) while frames run.
void SetTextIfChanged(XElement& settings, CTSTR key, const wchar_t* text) {
    if (!Holds(settings, key, text)) settings.SetString(key, text);
}

void SetIntIfChanged(XElement& settings, CTSTR key, int value) {
    wchar_t digits[12];  // "-2147483648" and the NUL
    wchar_t* p = digits + 11;
    *p = 0;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do *--p = static_cast<wchar_t>(L'0' + magnitude % 10); while (magnitude /= 10);
    if (value < 0) *--p = L'-';
    if (!Holds(settings, key, p)) settings.SetInt(key, value);
}

}  // namespace

bool Apply(const wchar_t* text, const Content& content, XElement* settings, int& currentHotkeyCode, String& sharedText) {
    if (content.settingsApplied) {
        if (settings) {
            SetTextIfChanged(*settings, keys::kFont, text + content.font.offset);  // terminated by Parse
            for (std::size_t i = 0; i < kLookFields; ++i) SetIntIfChanged(*settings, kLookKeys[i], content.look[i]);
        }
        // A line of 14 fields carries no hotkey code; the hotkey stays as it is.
        if (content.hasHotkeyCode && content.hotkeyCode != currentHotkeyCode) {
            currentHotkeyCode = content.hotkeyCode;
            if (settings) settings->SetInt(keys::kHotkey, content.hotkeyCode);
        }
    }
    if (content.lineCount > 0) {
        sharedText.Clear();
        for (std::size_t i = 1; i < content.lineCount; ++i) {
            sharedText.AppendString(text + content.lines[i].offset, static_cast<UINT>(content.lines[i].length));  // lines are never empty
            sharedText += L"\r\n";
        }
    }
    return content.settingsApplied;
}

}  // namespace block
