#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bridge/Payload.h"
#include "host/Utf.h"

namespace {

// The payload exactly as a sender lays it out: 16-bit units, in a block of exactly `bytes`
// bytes, so the sanitizer sees any read past the count.
std::unique_ptr<unsigned char[]> Utf16Block(std::u16string units, std::size_t bytes) {
    auto block = std::make_unique<unsigned char[]>(bytes ? bytes : 1);
    std::memcpy(block.get(), units.data(), std::min(bytes, units.size() * 2));
    return block;
}

std::wstring Text(const String& s) { return std::wstring(s.c_str(), s.Length()); }

String Utf8Decoder(const char* bytes, std::size_t count) {
    std::wstring wide = Utf8ToUtf16(bytes, count);
    return String(wide.data(), wide.size());
}

TEST(PayloadUtf16, CountedBytesOfAThreeCharacterPayload) {
    // "abc" and its terminator are 8 bytes. Counts 0 to 2 hold less than the text: the payload
    // is read no further than its count.
    struct Case {
        std::uint32_t cbData;
        const wchar_t* text;
    } cases[] = {
        {8, L"abc"},  // the terminator counted: the whole text
        {6, L"ab"},   // not counted: the last character is lost
        {0, L""},
        {1, L""},
        {2, L"a"},
        {3, L"a"},
        {4, L"a"},
        {5, L"ab"},
        {7, L"abc"},
    };
    for (const Case& c : cases) {
        auto block = Utf16Block(u"abc", c.cbData);
        const String text = DecodeUtf16Payload(block.get(), c.cbData);
        EXPECT_EQ(Text(text), c.text) << "cbData " << c.cbData;
    }
}

TEST(PayloadUtf16, StopsAtTheFirstTerminatorInside) {
    const std::u16string units(u"ab\0cd\0", 6);
    auto block = Utf16Block(units, 12);
    EXPECT_EQ(Text(DecodeUtf16Payload(block.get(), 12)), L"ab");
    // A count of 2 GiB or more reads as negative: nothing is cut from what the terminator gives.
    EXPECT_EQ(Text(DecodeUtf16Payload(block.get(), 0x80000000u)), L"ab");
    EXPECT_EQ(Text(DecodeUtf16Payload(block.get(), 0xFFFFFFFFu)), L"ab");
}

TEST(PayloadUtf16, KeepsUnitsAsTheyAre) {
    // Chinese text, a surrogate pair and a lone surrogate: units pass through unchanged.
    const std::u16string units = u"歌单\xD83C\xDFB5\xDC00!";
    auto block = Utf16Block(units + u'\0', (units.size() + 1) * 2);
    const String text = DecodeUtf16Payload(block.get(), static_cast<std::uint32_t>((units.size() + 1) * 2));
    ASSERT_EQ(text.Length(), units.size());
    for (std::size_t i = 0; i < units.size(); ++i) EXPECT_EQ(static_cast<unsigned>(text.c_str()[i]), units[i]) << i;
}

TEST(PayloadUtf16, LongTextAndUnalignedData) {
    std::u16string units;
    for (int i = 0; i < 1000; ++i) units += static_cast<char16_t>(u'A' + i % 26);
    const std::size_t bytes = (units.size() + 1) * 2;
    auto block = std::make_unique<unsigned char[]>(bytes + 1);
    std::memcpy(block.get() + 1, units.c_str(), bytes);  // odd address
    const String text = DecodeUtf16Payload(block.get() + 1, static_cast<std::uint32_t>(bytes));
    ASSERT_EQ(text.Length(), 1000u);
    EXPECT_EQ(text.c_str()[0], L'A');
    EXPECT_EQ(text.c_str()[999], static_cast<wchar_t>(L'A' + 999 % 26));
}

TEST(PayloadUtf16, EveryPrefixOfAPayloadStaysInside) {
    const std::u16string units = u"fontSize|48";
    for (std::uint32_t bytes = 0; bytes <= units.size() * 2; ++bytes) {
        auto block = Utf16Block(units, bytes);
        const String text = DecodeUtf16Payload(block.get(), bytes);
        EXPECT_LE(text.Length(), bytes / 2) << bytes;
    }
}

TEST(PayloadAnsi, LengthStopsAtTheTerminatorOrTheCount) {
    const char bytes[] = {'a', 'b', 'c', '\0', 'd'};
    struct Case {
        std::uint32_t cbData;
        std::size_t length;
    } cases[] = {{5, 3}, {4, 3}, {3, 3}, {2, 2}, {0, 0}};
    for (const Case& c : cases) {
        auto block = std::make_unique<char[]>(c.cbData ? c.cbData : 1);
        std::memcpy(block.get(), bytes, c.cbData);
        EXPECT_EQ(AnsiPayloadLength(block.get(), c.cbData), c.length) << c.cbData;
    }
    EXPECT_EQ(AnsiPayloadLength(nullptr, 5), 0u);
}

TEST(PayloadDecode, ChoosesTheEncodingAndHandlesNullData) {
    const char ansi[] = "key|\xE6\xAD\x8C";  // UTF-8 here, through the test's decoder
    EXPECT_EQ(Text(DecodePayload(ansi, sizeof ansi, true, Utf8Decoder)), L"key|歌");
    EXPECT_EQ(Text(DecodePayload(ansi, 3, true, Utf8Decoder)), L"key");  // no terminator inside
    auto block = Utf16Block(u"hi", 6);
    EXPECT_EQ(Text(DecodePayload(block.get(), 6, false, Utf8Decoder)), L"hi");
    EXPECT_FALSE(DecodePayload(nullptr, 8, false, Utf8Decoder).IsValid());
    EXPECT_FALSE(DecodePayload(nullptr, 8, true, Utf8Decoder).IsValid());
    EXPECT_FALSE(DecodePayload(ansi, 0, true, Utf8Decoder).IsValid());
}

TEST(KeyValueSplit, AtTheFirstBar) {
    struct Case {
        const wchar_t* payload;
        const wchar_t* key;
        const wchar_t* value;
        bool valueSet;
    } cases[] = {
        {L"a|b|c", L"a", L"b|c", true},
        {L"fontSize|48", L"fontSize", L"48", true},
        {L"fontSize|", L"fontSize", L"", false},
        {L"|48", L"", L"48", true},
        {L"|", L"", L"", false},
        {L"fontSize", L"fontSize", L"", false},
        {L"", L"", L"", false},
        {L"font|宋体", L"font", L"宋体", true},
        {L"a||b", L"a", L"|b", true},
    };
    for (const Case& c : cases) {
        const KeyValue split = SplitKeyValue(String(c.payload));
        EXPECT_EQ(Text(split.key), c.key) << Utf16ToUtf8(std::wstring(c.payload));
        EXPECT_EQ(Text(split.value), c.value) << Utf16ToUtf8(std::wstring(c.payload));
        EXPECT_EQ(split.value.IsValid(), c.valueSet) << Utf16ToUtf8(std::wstring(c.payload));
    }
    EXPECT_FALSE(SplitKeyValue(String()).key.IsValid());
}

}  // namespace
