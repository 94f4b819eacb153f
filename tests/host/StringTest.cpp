#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "host/HostSide.h"

namespace {

std::wstring Units(const String& s) { return s.Array() ? std::wstring(s.Array(), s.Length()) : std::wstring(); }

TEST(String, SetTestNeedsPointerFirstUnitAndCount) {
    EXPECT_FALSE(String().IsValid());
    EXPECT_FALSE(String(static_cast<CTSTR>(nullptr)).IsValid());
    EXPECT_FALSE(String(L"").IsValid());
    EXPECT_TRUE(String(L"a").IsValid());
    // A text whose first unit is NUL has a count but is not set.
    const wchar_t leadingNul[] = {0, L'a'};
    String s;
    s.AppendString(leadingNul, 2);
    EXPECT_EQ(s.Length(), 2u);
    EXPECT_FALSE(s.IsValid());
    // Cleared text gives its storage back.
    String cleared(L"abc");
    cleared.Clear();
    EXPECT_EQ(cleared.Array(), nullptr);
    EXPECT_EQ(cleared.Length(), 0u);
    EXPECT_FALSE(cleared.IsValid());
    cleared += L"x";
    EXPECT_EQ(Units(cleared), L"x");
}

TEST(String, AppendsIntegersInDecimal) {
    struct Case { int value; const wchar_t* text; } cases[] = {
        {0, L"0"}, {7, L"7"}, {-1, L"-1"}, {-28672, L"-28672"}, {-16777216, L"-16777216"},
        {INT_MAX, L"2147483647"}, {INT_MIN, L"-2147483648"},
    };
    for (const auto& c : cases) {
        String s(L"n=");
        s << c.value;
        EXPECT_EQ(Units(s), std::wstring(L"n=") + c.text) << c.value;
    }
}

TEST(String, ConcatenatesAndCompares) {
    String a(L"宋体");
    String b = a + L"{|}" + String(L"42");
    EXPECT_EQ(Units(b), L"宋体{|}42");
    b += L"";
    b += static_cast<CTSTR>(nullptr);
    EXPECT_TRUE(b == L"宋体{|}42");
    EXPECT_TRUE(String() == L"");
    EXPECT_TRUE(String() == String(L""));
    EXPECT_FALSE(String(L"a") == String(L"ab"));
    String self(L"ab");
    self += self;  // appending itself
    EXPECT_EQ(Units(self), L"abab");
    self << self.Array() + 2;  // a piece of itself
    EXPECT_EQ(Units(self), L"ababab");
}

TEST(String, BuildsFromNarrowText) {
    EXPECT_EQ(Units(String("plain ascii")), L"plain ascii");
    EXPECT_EQ(Units(String("\xE5\xAE\x8B\xE4\xBD\x93")), L"宋体");  // narrow text is UTF-8
    EXPECT_FALSE(String(static_cast<const char*>(nullptr)).IsValid());
}

TEST(String, ToIntTakesOnlyAWholeDecimalNumberAndClamps) {
    struct Case { const wchar_t* text; int base; int expected; } cases[] = {
        {L"42", 10, 42},           {L"  -17abc", 10, 0},      {L"+5", 10, 5},
        {L"12abc", 10, 0},         {L" 42", 10, 0},           {L"42 ", 10, 0},
        {L"+", 10, 0},             {L"-", 10, 0},             {L"", 10, 0},
        {L"abc", 10, 0},           {L"\t\r\n 9", 10, 0},      {L"2147483647", 10, INT_MAX},
        {L"2147483648", 10, INT_MAX}, {L"4278190080", 10, INT_MAX}, {L"-2147483648", 10, INT_MIN},
        {L"-2147483649", 10, INT_MIN}, {L"99999999999999999999999", 10, INT_MAX},
        {L"ff", 16, 0},            {L"0x1F", 16, 0},          {L"0x1F", 0, 0},
        {L"017", 0, 15},           {L"12", 3, 5},             {L"- 5", 10, 0},
        {L"10", 16, 16},           {L"19", 8, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(String(c.text).ToInt(c.base), c.expected) << std::wstring(c.text).c_str();
    EXPECT_EQ(String().ToInt(10), 0);
}

TEST(String, KillSpacesTrimsSpacesTabsAndIdeographicSpacesFromBothEnds) {
    struct Case { const wchar_t* in; const wchar_t* out; } cases[] = {
        {L"  a b  ", L"a b"}, {L"\r\nline\r\n", L"\r\nline\r\n"}, {L"   ", L""}, {L"x", L"x"},
        {L"\tA\r\nB\t", L"A\r\nB"}, {L"\x3000歌\x3000", L"歌"},
    };
    for (const auto& c : cases) {
        String s(c.in);
        EXPECT_EQ(Units(s.KillSpaces()), c.out);
    }
    String unset;
    EXPECT_FALSE(unset.KillSpaces().IsValid());
    // The count ends at the first NUL of what is left.
    const wchar_t withNul[] = {L' ', L'a', 0, L'b', L' '};
    String cut;
    cut.AppendString(withNul, 5);
    EXPECT_EQ(cut.KillSpaces().Length(), 1u);
    EXPECT_EQ(Units(cut), L"a");
}

TEST(String, TokensSplitAtEverySeparator) {
    String s(L"a|b||c");
    struct Case { int index; const wchar_t* token; const wchar_t* offset; } cases[] = {
        {0, L"a", L"a|b||c"}, {1, L"b", L"b||c"}, {2, L"", L"|c"}, {3, L"c", L"c"}, {4, L"", nullptr}, {-1, L"", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Units(s.GetToken(c.index, L'|')), c.token) << c.index;
        CTSTR offset = s.GetTokenOffset(c.index, L'|');
        if (c.offset) {
            ASSERT_NE(offset, nullptr) << c.index;
            EXPECT_EQ(std::wstring(offset), c.offset);
        } else {
            EXPECT_EQ(offset, nullptr) << c.index;
        }
    }
    // Text ending in a separator has an empty last token.
    String trailing(L"key|");
    ASSERT_NE(trailing.GetTokenOffset(1, L'|'), nullptr);
    EXPECT_EQ(std::wstring(trailing.GetTokenOffset(1, L'|')), L"");
    EXPECT_EQ(String().GetTokenOffset(0, L'|'), nullptr);
}

TEST(String, LeftAndFindReplace) {
    EXPECT_EQ(Units(String(L"abcdef").Left(3)), L"abc");
    EXPECT_EQ(Units(String(L"ab").Left(2)), L"ab");
    EXPECT_FALSE(String(L"ab").Left(5).IsValid());  // past the end: nothing
    EXPECT_FALSE(String(L"ab").Left(0).IsValid());

    struct Case { const wchar_t* text; const wchar_t* find; const wchar_t* replace; const wchar_t* out; } cases[] = {
        {L"a-b-c", L"-", L"+", L"a+b+c"},   {L"aaa", L"aa", L"b", L"ba"},    {L"abc", L"", L"x", L"abc"},
        {L"abc", nullptr, L"x", L"abc"},    {L"abc", L"b", L"", L"ac"},       {L"abc", L"b", nullptr, L"ac"},
        {L"aa", L"a", L"aa", L"aaaa"},      {L"abc", L"abcd", L"x", L"abc"},  {L"x", L"x", L"", L""},
    };
    for (const auto& c : cases) {
        String s(c.text);
        EXPECT_EQ(Units(s.FindReplace(c.find, c.replace)), c.out) << c.text;
    }
}

TEST(String, CopiesOwnStorage) {
    long before = HostLiveBlocks();
    {
        String a(L"one");
        String b(a);
        EXPECT_NE(a.Array(), b.Array());
        String& same = b;
        b = same;  // self-assignment keeps the text
        EXPECT_EQ(Units(b), L"one");
        b = b.Array() + 1;  // assigning a piece of its own text
        EXPECT_EQ(Units(b), L"ne");
        const wchar_t* storage = b.Array();
        b = L"no";  // fits: the storage is reused
        EXPECT_EQ(b.Array(), storage);
        b = String();
        EXPECT_EQ(b.Array(), nullptr);
    }
    EXPECT_EQ(HostLiveBlocks(), before);
}

TEST(Alloc, CountsLiveBlocks) {
    long before = HostLiveBlocks();
    void* a = MainAllocator->_Allocate(10);
    void* b = MainAllocator->_Allocate(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(HostLiveBlocks(), before + 2);
    MainAllocator->_Free(a);
    MainAllocator->_Free(nullptr);
    MainAllocator->_Free(b);
    EXPECT_EQ(HostLiveBlocks(), before);
}

TEST(Host, ScpyNCopiesAtMostNAndTerminates) {
    wchar_t buffer[8];
    for (wchar_t& c : buffer) c = L'#';
    scpy_n(buffer, L"abcdefghij", 5);
    EXPECT_EQ(std::wstring(buffer), L"abcde");
    scpy_n(buffer, L"ab", 5);
    EXPECT_EQ(std::wstring(buffer), L"ab");
    scpy_n(buffer, nullptr, 5);
    EXPECT_EQ(std::wstring(buffer), L"");
}

}  // namespace
