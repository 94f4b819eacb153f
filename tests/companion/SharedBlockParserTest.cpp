#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "companion/Hotkey.h"
#include "companion/SharedBlockParser.h"
#include "host/HostSide.h"

namespace {

void STDCALL NoHotkey(DWORD, UPARAM, bool) {}

// The example settings line: 宋体 42, text colour 0xFFFF9000, outline colour 0xFF000000, hotkey 0.
const std::wstring kExampleSettings = L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|0";

struct Outcome {
    bool result;
    std::wstring sharedText;
    XConfig settings;
};

// Runs one block text through the reader's two steps, starting from a shown text of "old" and a
// hotkey code of -1, as after loading; a new hotkey code is then registered as the plugin's own
// thread does it.
void Read(const std::wstring& blockText, Outcome& out, int& hotkeyCode, UINT& hotkeyId) {
    // An exactly sized buffer, so the sanitizers see any read past the text.
    std::unique_ptr<wchar_t[]> copy(new wchar_t[blockText.size() + 1]);
    std::copy(blockText.begin(), blockText.end(), copy.get());
    String shared(L"old");
    block::Content content;
    block::Parse(copy.get(), blockText.size(), content);
    const int before = hotkeyCode;
    out.result = block::Apply(copy.get(), content, out.settings.GetRootElement(), hotkeyCode, shared);
    HotkeyRegistration registration{hotkeyId, before, 0};
    Reconcile(HotkeyWish{hotkeyCode, 0, 0}, registration, NoHotkey);
    hotkeyId = registration.id;
    out.sharedText.assign(shared.Array() ? shared.Array() : L"", shared.Length());
}

void Read(const std::wstring& blockText, Outcome& out) {
    int code = -1;
    UINT id = 0;
    Read(blockText, out, code, id);
    if (id) OBSDeleteHotkey(id);
}

std::wstring Lines(int from, int to, const wchar_t* prefix = L"song ") {
    std::wstring text;
    for (int i = from; i <= to; ++i) text += prefix + std::to_wstring(i) + L"\r\n";
    return text;
}

TEST(SharedBlock, TextTable) {
    struct Case {
        const char* name;
        std::wstring block;
        bool result;
        std::wstring sharedText;
    } cases[] = {
        {"empty block", L"", false, L"old"},
        {"only line breaks", L"\r\n\n\r\r\n", false, L"old"},
        {"Set| alone", L"Set|", false, L""},
        {"too few fields", L"Set|宋体|42|-28672", false, L""},
        {"13 fields", L"Set|a|1|2|3|4|5|6|7|8|9|10|11", false, L""},
        {"plain list", L"#2#\r\nfirst\r\nsecond", false, L"first\r\nsecond\r\n"},
        {"plain header only", L"#0#", false, L""},
        {"lower-case set is plain text", L"set|a|b\r\nline", false, L"line\r\n"},
        {"example", kExampleSettings + L"|#2#\r\nfirst\r\nsecond", true, L"first\r\nsecond\r\n"},
        {"15 fields, no text part", kExampleSettings, true, L"old"},
        {"15 fields and a trailing bar", kExampleSettings + L"|", true, L"old"},
        {"14 fields", L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100", true, L"old"},
        {"text part of line breaks only", kExampleSettings + L"|\r\n\r\n", true, L"old"},
        {"empty lines vanish", kExampleSettings + L"|#3#\r\n\r\na\nb", true, L"a\r\nb\r\n"},
        {"lone CR", L"h\rx\r\ry", false, L"x\r\ny\r\n"},
        {"bars in the text part", kExampleSettings + L"|#1#\r\nA|B||C|", true, L"A|B|C\r\n"},
        {"text part in many pieces", kExampleSettings + L"|#1#\r\n" + std::wstring(L"a|b|c|d|e|f|g|h|i|j|k|l|m|n"), true,
         L"a|b|c|d|e|f|g|h|i|j|k|l|m|n\r\n"},
        {"70 lines keep 2 to 64", L"#70#\r\n" + Lines(1, 69), false, Lines(1, 63)},
        // The "|" split leaves a line break inside field 2: three fields, too few, so the text
        // is the lone word Set (a header) and nothing of what follows the break is shown.
        {"short settings line ending in a line break", L"Set|a|b\r\n#1#\r\nsong", false, L""},
        {"settings line ending in a line break", L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|5\r\n#1#\r\nsong",
         true, L"old"},
        {"only bars", std::wstring(1023, L'|'), false, L""},
        {"Set| then only bars", L"Set|" + std::wstring(1019, L'|'), false, L""},
        {"lone surrogate halves pass", std::wstring(L"#1#\n") + wchar_t(0xD800) + L"x" + wchar_t(0xDFFF), false,
         std::wstring() + wchar_t(0xD800) + L"x" + wchar_t(0xDFFF) + L"\r\n"},
    };
    for (const Case& c : cases) {
        Outcome out;
        Read(c.block, out);
        EXPECT_EQ(out.result, c.result) << c.name;
        EXPECT_EQ(out.sharedText, c.sharedText) << c.name;
        if (!c.result) {
            EXPECT_EQ(out.settings.GetRootElement()->NumDataItems(), 0u) << c.name << ": no setting changes";
        }
    }
}

TEST(SharedBlock, AppliesTheLookInFieldOrder) {
    Outcome out;
    Read(L"Set||宋体|42|-28672|100|-16777216|50|1|0|1|1|3|-16777216|80|0|#1#\r\nx", out);  // "||" reads as "|"
    XElement* s = out.settings.GetRootElement();
    EXPECT_TRUE(out.result);
    EXPECT_STREQ(s->GetString(L"font"), L"宋体");
    struct Key { const wchar_t* key; int value; } keys[] = {
        {L"fontSize", 42}, {L"color", -28672}, {L"textOpacity", 100}, {L"backgroundColor", -16777216},
        {L"backgroundOpacity", 50}, {L"bold", 1}, {L"italic", 0}, {L"underline", 1}, {L"outline", 1},
        {L"outlineSize", 3}, {L"outlineColor", -16777216}, {L"outlineOpacity", 80}, {L"hotkey", 0},
    };
    for (const auto& k : keys) EXPECT_EQ(s->GetInt(k.key, 12345), k.value) << std::wstring(k.key).size();
    EXPECT_EQ(s->NumDataItems(), 14u);
}

// Changed: the reader used to write all 13 settings into the element on every frame. The host
// library reallocates a value on every write, while the host's user-interface thread may read it;
// now a value is written only when the element holds another one, and the same values end up
// stored either way.
TEST(SharedBlock, WritesOnlyTheSettingsThatDiffer) {
    const std::wstring line = L"Set|宋体|42|-28672|100|-16777216|50|1|0|1|1|3|-2147483648|80|0";
    struct Case {
        const char* name;
        const wchar_t* key;  // stored before the block is read (null: nothing)
        const wchar_t* stored;
        long writes;  // by the reader
    } cases[] = {
        {"nothing stored", nullptr, nullptr, 14},  // 13 settings and the new hotkey code
        {"one value stored as the block has it", L"fontSize", L"42", 13},
        {"the same number written otherwise", L"fontSize", L"0x2A", 14},
        {"another value", L"fontSize", L"41", 14},
        {"the font with a space more", L"font", L"宋体 ", 14},
        {"a value stored empty", L"color", L"", 14},
    };
    for (const Case& c : cases) {
        Outcome out;
        XElement* s = out.settings.GetRootElement();
        if (c.key) s->SetString(c.key, c.stored);
        int code = -1;
        UINT id = 0;
        long before = HostElementWrites();
        Read(line + L"|#1#\r\nx", out, code, id);
        EXPECT_EQ(HostElementWrites() - before, c.writes) << c.name;
        EXPECT_STREQ(s->GetString(L"fontSize"), L"42") << c.name << (c.stored ? ": replaced" : "");
        EXPECT_STREQ(s->GetString(L"outlineColor"), L"-2147483648") << c.name;
        // The next frame of the same block writes nothing.
        before = HostElementWrites();
        Read(line + L"|#2#\r\nx\r\ny", out, code, id);
        EXPECT_EQ(HostElementWrites() - before, 0) << c.name;
        EXPECT_EQ(out.sharedText, L"x\r\ny\r\n") << c.name;
        // A changed value is written, alone.
        before = HostElementWrites();
        Read(L"Set|宋体|42|-28672|100|-16777216|50|1|0|1|1|4|-2147483648|80|0", out, code, id);
        EXPECT_EQ(HostElementWrites() - before, 1) << c.name;
        EXPECT_EQ(s->GetInt(L"outlineSize", 0), 4) << c.name;
        if (id) OBSDeleteHotkey(id);
    }
}

TEST(SharedBlock, FourteenFieldsLeaveTheHotkeyAlone) {
    Outcome out;
    int code = -1;
    UINT id = 0;
    Read(L"Set|f|1|2|3|4|5|6|7|8|9|10|11|12", out, code, id);
    EXPECT_TRUE(out.result);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(id, 0u);
    EXPECT_FALSE(out.settings.GetRootElement()->HasItem(L"hotkey"));
    EXPECT_EQ(out.settings.GetRootElement()->GetInt(L"outlineOpacity", 0), 12);
}

TEST(SharedBlock, ReadsIntegersLikeTheCompanionWritesThem) {
    struct Case { const wchar_t* field; int value; } cases[] = {
        {L"42", 42},          {L"-28672", -28672},       {L"  +7", 7},           {L"\t-3px", -3},
        {L"+", 0},            {L"-", 0},                 {L"", 0},               {L"abc", 0},
        {L"4278190080", INT_MAX}, {L"99999999999999999999", INT_MAX}, {L"-2147483648", INT_MIN},
        {L"-2147483649", INT_MIN}, {L"2147483647", INT_MAX}, {L"5\r\n#1#\r\nsong", 5}, {L"0x10", 0},
        {L"\n42", 42},       {L"\v-3", -3},            {L"\f7", 7},           {L"\r\n\v\f +9", 9},
        {L"\v", 0},          {L"- 5", 0},
    };
    for (const auto& c : cases) {
        std::wstring f(c.field);
        EXPECT_EQ(block::ReadInteger(f.data(), f.size()), c.value) << f.size();
    }
    // Through a whole line: an unsigned colour is clamped.
    Outcome out;
    Read(L"Set|f|42|4278190080|100|-16777216|0|0|0|0|0|2|-16777216|100|0", out);
    EXPECT_EQ(out.settings.GetRootElement()->GetInt(L"color", 0), INT_MAX);
    // White space of every kind before a number, a line break included (fields split at "|" only).
    Read(L"Set|f|\n42|\v-3|\f7|\r\n1|0|0|0|0|0|2|0|100|\n\v\f5", out);
    const XElement* s = out.settings.GetRootElement();
    EXPECT_EQ(s->GetInt(L"fontSize", 0), 42);
    EXPECT_EQ(s->GetInt(L"color", 0), -3);
    EXPECT_EQ(s->GetInt(L"textOpacity", 0), 7);
    EXPECT_EQ(s->GetInt(L"backgroundColor", 0), 1);
    EXPECT_EQ(s->GetInt(L"hotkey", 0), 5);
}

TEST(SharedBlock, HotkeySequence) {
    HostClearLog();
    int code = -1;
    UINT id = 0;
    const unsigned before = HostHotkeyCount();
    auto frame = [&](int hotkey) {
        Outcome out;
        Read(L"Set|f|42|0|100|0|0|0|0|0|0|2|0|100|" + std::to_wstring(hotkey), out, code, id);
        return out.settings.GetRootElement()->HasItem(L"hotkey");
    };
    EXPECT_TRUE(frame(5));  // -1 -> 5: written and registered
    const UINT first = id;
    EXPECT_NE(first, 0u);
    EXPECT_EQ(HostHotkeyKey(first), 5u);
    EXPECT_FALSE(frame(5));  // the same code every frame registers once
    EXPECT_FALSE(frame(5));
    EXPECT_EQ(id, first);
    EXPECT_EQ(HostHotkeyCount(), before + 1);
    EXPECT_TRUE(frame(0));  // 5 -> 0 removes
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(HostHotkeyKey(first), 0u);
    EXPECT_EQ(HostHotkeyCount(), before);
    EXPECT_TRUE(frame(5));  // 0 -> 5 registers again
    EXPECT_NE(id, 0u);
    EXPECT_EQ(HostHotkeyKey(id), 5u);
    EXPECT_TRUE(frame(7));  // a change moves the registration
    EXPECT_EQ(HostHotkeyKey(id), 7u);
    EXPECT_EQ(HostHotkeyCount(), before + 1);
    // The host registering nothing: its 0 is stored, and the same code is not retried.
    HostFailHotkeyCreation(true);
    EXPECT_TRUE(frame(9));
    EXPECT_EQ(id, 0u);
    HostFailHotkeyCreation(false);
    EXPECT_FALSE(frame(9));
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(code, 9);
}

// A source's destruction asks for the key to be registered anew under the same code (a new
// round); waiting wishes fold into the newest.
TEST(Hotkey, ReconcileFollowsTheWish) {
    const unsigned before = HostHotkeyCount();
    HotkeyRegistration r;
    struct Step { HotkeyWish wish; DWORD key; bool newId; } steps[] = {
        {{5, 1, 0}, 5, true},   // registered
        {{5, 2, 0}, 5, false},  // the same code and round: nothing to do, even for another parameter
        {{5, 1, 1}, 5, true},   // a new round: removed and registered again
        {{7, 1, 1}, 7, true},   // a new code
        {{0, 1, 1}, 0, false},  // none: removed
        {{0, 1, 2}, 0, false},
        {{9, 1, 3}, 9, true},
    };
    UINT lastId = 0;
    for (const Step& s : steps) {
        Reconcile(s.wish, r, NoHotkey);
        EXPECT_EQ(HostHotkeyKey(r.id), s.key) << s.wish.code << "/" << s.wish.round;
        EXPECT_EQ(r.id != lastId, s.newId || (s.key == 0 && lastId != 0)) << s.wish.code << "/" << s.wish.round;
        EXPECT_EQ(HostHotkeyCount(), before + (s.key ? 1u : 0u)) << "one key registered at most";
        lastId = r.id;
    }
    Reconcile(HotkeyWish{}, r, NoHotkey);
    EXPECT_EQ(HostHotkeyCount(), before);
}

TEST(SharedBlock, ManyFieldsAndLinesStayInBounds) {
    // Hundreds of fields after the settings, and text far beyond what the block can hold.
    std::wstring many = kExampleSettings + L"|#1#\r\n";
    for (int i = 0; i < 300; ++i) many += L"x|";
    Outcome out;
    Read(many, out);
    EXPECT_TRUE(out.result);
    EXPECT_EQ(out.sharedText.substr(0, 6), L"x|x|x|");

    std::wstring thousand;
    for (int i = 0; i < 1000; ++i) thousand += L"a\n";
    Read(thousand, out);
    std::wstring expected;
    for (int i = 0; i < 63; ++i) expected += L"a\r\n";
    EXPECT_EQ(out.sharedText, expected);

    // Text beyond 1023 units is not looked at.
    std::wstring longLine = L"#1#\n" + std::wstring(1019, L'b') + L"c\nd";
    Read(longLine, out);
    EXPECT_EQ(out.sharedText, std::wstring(1019, L'b') + L"\r\n");
}

TEST(SharedBlock, EveryPrefixIsHandledWithinItsLength) {
    const std::wstring full = kExampleSettings + L"|#3#\r\none|two\r\n\r\nthree";
    for (std::size_t n = 0; n <= full.size(); ++n) {
        Outcome out;
        Read(full.substr(0, n), out);
        EXPECT_EQ(out.result, n >= std::wstring(L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|1").size()) << n;
    }
}

}  // namespace
