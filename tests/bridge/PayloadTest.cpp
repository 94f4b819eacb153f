#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "bridge/Payload.h"
#include "host/Utf.h"
#include "plugin/HostText.h"

namespace {

std::wstring Text(const String& s) { return std::wstring(TextOf(s), s.Length()); }

// UTF-16 units in a block of exactly `bytes` bytes, so the sanitizer sees a read past the count.
std::unique_ptr<unsigned char[]> Block(const std::u16string& units, std::size_t bytes, std::size_t offset = 0) {
    auto block = std::make_unique<unsigned char[]>(offset + std::max<std::size_t>(bytes, 1));
    std::memcpy(block.get() + offset, units.data(), std::min(bytes, units.size() * 2));
    return block;
}

String Utf8Decoder(const char* bytes, std::size_t count) {
    const std::wstring wide = Utf8ToUtf16(bytes, count);
    return TextFromUnits(wide.data(), wide.size());
}

TEST(Payload, Utf16CountedBytesOfAThreeCharacterPayload) {
    // "abc" and its terminator are 8 bytes; 0 to 2 bytes hold less than the text, and the
    // payload is read no further than its count. A count beyond the text keeps all of it (the
    // host's Left past the end would give nothing).
    const std::pair<std::uint32_t, const wchar_t*> cases[] = {
        {8, L"abc"}, {6, L"ab"}, {0, L""}, {1, L""}, {2, L"a"}, {3, L"a"}, {4, L"a"}, {5, L"ab"}, {7, L"abc"},
        {20, L"abc"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Text(DecodeUtf16Payload(Block(u"abc", bytes).get(), bytes)), text) << "cbData " << bytes;
}

TEST(Payload, Utf16TerminatorUnitsAndAlignment) {
    auto twoTexts = Block(std::u16string(u"ab\0cd\0", 6), 12);
    EXPECT_EQ(Text(DecodeUtf16Payload(twoTexts.get(), 12)), L"ab");
    EXPECT_EQ(Text(DecodeUtf16Payload(twoTexts.get(), 0x80000000u)), L"ab");  // a negative count cuts nothing
    // Chinese, a surrogate pair and a lone surrogate pass through as units; 300 units cross the
    // decoder's chunks; the block starts at an odd address.
    std::u16string units = u"歌单\xD83C\xDFB5\xDC00";
    while (units.size() < 300) units += static_cast<char16_t>(u'A' + units.size() % 26);
    const auto bytes = static_cast<std::uint32_t>((units.size() + 1) * 2);
    auto block = Block(units + u'\0', bytes, 1);
    const String text = DecodeUtf16Payload(block.get() + 1, bytes);
    ASSERT_EQ(text.Length(), units.size());
    for (std::size_t i = 0; i < units.size(); ++i) ASSERT_EQ(static_cast<unsigned>(text.Array()[i]), units[i]) << i;
}

TEST(Payload, AnsiStopsAtTheTerminatorOrTheCount) {
    const char bytes[] = {'a', '|', 'b', '\0', 'd'};
    const std::pair<std::uint32_t, std::size_t> cases[] = {{5, 3}, {4, 3}, {3, 3}, {2, 2}, {0, 0}};
    for (const auto& [count, length] : cases) {
        auto block = std::make_unique<char[]>(std::max<std::uint32_t>(count, 1));
        std::memcpy(block.get(), bytes, count);
        EXPECT_EQ(AnsiPayloadLength(block.get(), count), length) << count;
    }
    EXPECT_EQ(Text(DecodePayload("k|\xE6\xAD\x8C", 6, true, Utf8Decoder)), L"k|歌");
    EXPECT_EQ(Text(DecodePayload("k|\xE6\xAD\x8C", 3, true, Utf8Decoder)), L"k|\xFFFD");
    EXPECT_EQ(Text(DecodePayload(u"hi", 6, false, Utf8Decoder)), L"hi");
    EXPECT_FALSE(DecodePayload(nullptr, 8, false, Utf8Decoder).IsValid());
    EXPECT_FALSE(DecodePayload(nullptr, 8, true, Utf8Decoder).IsValid());
}

TEST(Payload, KeyValueSplitsAtTheFirstBar) {
    struct Case {
        const wchar_t *payload, *key, *value;
    } cases[] = {
        {L"a|b|c", L"a", L"b|c"}, {L"fontSize|", L"fontSize", L""}, {L"|48", L"", L"48"},
        {L"fontSize", L"fontSize", L""}, {L"", L"", L""}, {L"a||b", L"a", L"|b"}, {L"font|宋体", L"font", L"宋体"},
    };
    for (const Case& c : cases) {
        const KeyValue split = SplitKeyValue(String(c.payload));
        EXPECT_EQ(Text(split.key), c.key) << Utf16ToUtf8(c.payload);
        EXPECT_EQ(Text(split.value), c.value) << Utf16ToUtf8(c.payload);
        EXPECT_EQ(split.value.IsValid(), *c.value != 0) << Utf16ToUtf8(c.payload);
    }
}

}  // namespace
