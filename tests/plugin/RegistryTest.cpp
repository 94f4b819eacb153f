#include <gtest/gtest.h>

#include <utility>

#include "bridge/Inbound.h"
#include "plugin/Registry.h"
#include "host/HostSide.h"

namespace {

HWND Window(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

SourceRecord Record(std::uintptr_t window, XElement* settings = nullptr) {
    SourceRecord r;
    r.window = Window(window);
    r.innerId = WindowIdText(r.window);
    r.settings = settings;
    r.textFlag = 1;
    return r;
}

TEST(SourceRegistry, GrowsByHalfItsCapacity) {
    const std::size_t expected[] = {1, 2, 3, 4, 6, 9, 13, 19, 28, 42, 63};
    SourceRegistry registry;
    EXPECT_EQ(registry.Begin(), nullptr);
    EXPECT_EQ(registry.Capacity(), 0u);
    std::size_t appended = 0;
    for (std::size_t capacity : expected) {
        while (registry.Count() < capacity) {
            registry.AppendSourceRecord(Record(++appended));
            ASSERT_GE(registry.Capacity(), registry.Count());
        }
        EXPECT_EQ(registry.Capacity(), capacity) << "after " << appended << " appends";
    }
    // Records keep their append order across every move.
    for (std::size_t i = 0; i < registry.Count(); ++i) EXPECT_EQ(registry.Begin()[i].window, Window(i + 1));
}

TEST(SourceRegistry, GrowthNearTheMaximum) {
    const std::size_t max = SourceRegistry::kMaxRecords;
    if (sizeof(void*) == 8) EXPECT_EQ(max, 329406144173384850u);
    EXPECT_EQ(SourceRegistry::GrownCapacity(0, 0), 1u);
    EXPECT_EQ(SourceRegistry::GrownCapacity(1, 1), 2u);
    EXPECT_EQ(SourceRegistry::GrownCapacity(28, 28), 42u);
    EXPECT_EQ(SourceRegistry::GrownCapacity(max - 1, max - 1), max);  // the sum would pass: count + 1
    EXPECT_EQ(SourceRegistry::GrownCapacity(max / 3 * 2, max / 3 * 2), max / 3 * 2 + max / 3);
}

TEST(SourceRegistry, AppendsACopyOfItsOwnRecordWhileFull) {
    SourceRegistry registry;
    XConfig config;
    XElement* settings = config.GetRootElement();
    for (std::uintptr_t w = 1; w <= 4; ++w) registry.AppendSourceRecord(Record(w, settings));
    ASSERT_EQ(registry.Count(), registry.Capacity());  // full: the next append moves the array
    registry.Begin()[2].text = L"pushed text";
    registry.AppendSourceRecord(registry.Begin()[2]);
    ASSERT_EQ(registry.Count(), 5u);
    const SourceRecord& copy = registry.Begin()[4];
    EXPECT_EQ(copy.window, Window(3));
    EXPECT_TRUE(copy.innerId == L"3");
    EXPECT_TRUE(copy.text == L"pushed text");
    EXPECT_EQ(copy.settings, settings);
    EXPECT_EQ(copy.textFlag, 1);
    // And while not full.
    registry.AppendSourceRecord(registry.Begin()[0]);
    EXPECT_TRUE(registry.Begin()[5].innerId == L"1");
}

TEST(SourceRegistry, LookupsFindTheFirstMatch) {
    SourceRegistry registry;
    EXPECT_EQ(registry.FindRecordByInnerId(String(L"0")), nullptr);
    EXPECT_EQ(registry.FindRecordByWindow(nullptr), nullptr);
    registry.AppendSourceRecord(Record(0));  // a failed window creation
    registry.AppendSourceRecord(Record(7));
    registry.AppendSourceRecord(Record(0));
    registry.AppendSourceRecord(Record(7));
    EXPECT_EQ(registry.FindRecordByInnerId(String(L"0")), registry.Begin());
    EXPECT_EQ(registry.FindRecordByInnerId(String(L"7")), registry.Begin() + 1);
    EXPECT_EQ(registry.FindRecordByWindow(Window(7)), registry.Begin() + 1);
    EXPECT_EQ(registry.FindRecordByInnerId(String(L"8")), nullptr);
    EXPECT_EQ(registry.FindRecordByInnerId(String()), nullptr);
}

TEST(SourceRegistry, RetiresEveryMatchAndForgetsItsSettings) {
    SourceRegistry registry;
    XConfig config;
    XElement* settings = config.GetRootElement();
    registry.AppendSourceRecord(Record(7, settings));
    registry.AppendSourceRecord(Record(9, settings));
    registry.AppendSourceRecord(Record(7, settings));
    registry.Begin()[0].text = L"kept";
    registry.RetireSourceRecords(registry.Begin()[0].innerId);  // the id may live in a record
    EXPECT_TRUE(registry.Begin()[0].innerId == L"7.delete");
    EXPECT_TRUE(registry.Begin()[2].innerId == L"7.delete");
    EXPECT_TRUE(registry.Begin()[1].innerId == L"9");
    EXPECT_EQ(registry.Begin()[0].settings, nullptr);
    EXPECT_EQ(registry.Begin()[1].settings, settings);
    EXPECT_EQ(registry.Begin()[0].window, Window(7));
    EXPECT_TRUE(registry.Begin()[0].text == L"kept");
    EXPECT_EQ(registry.FindRecordByInnerId(String(L"7")), nullptr);
    EXPECT_EQ(registry.Count(), 3u);
}

// The source's destructor, after the companion did or did not rewrite the source's "innerId"
// (code 102 to its window); then the host frees the element and the companion writes to the old
// window again. Under AddressSanitizer a write into the freed element fails the test.
TEST(SourceRegistry, RetiringASourceLetsGoOfItsElementWhateverItsInnerId) {
    struct Case {
        const char* name;
        const wchar_t* rewrite;  // the payload of a code 102 before the source goes, or none
        const wchar_t* oldRecordId;
    } cases[] = {
        {"inner id kept", nullptr, L"7.delete"},
        {"inner id rewritten", L"innerId|12345", L"7"},
        {"inner id emptied", L"innerId| ", L"7"},
    };
    for (const Case& c : cases) {
        SourceRegistry registry;
        XConfig config;
        XElement* source = config.GetRootElement()->CreateElement(L"歌单");
        XElement* data = source->CreateElement(L"data");
        XElement* other = config.GetRootElement()->CreateElement(L"other");
        registry.AppendSourceRecord(Record(7, data));
        registry.AppendSourceRecord(Record(9, other));
        data->SetString(L"innerId", L"7");
        if (c.rewrite) ApplyCopyData(registry.Begin()[0], 102, String(c.rewrite));

        registry.RetireSource(data);
        EXPECT_TRUE(registry.Begin()[0].innerId == c.oldRecordId) << c.name;
        EXPECT_EQ(registry.Begin()[0].settings, nullptr) << c.name;
        EXPECT_TRUE(registry.Begin()[1].innerId == L"9" && registry.Begin()[1].settings == other) << c.name;

        config.GetRootElement()->RemoveElement(source);  // the host frees the source's elements
        SourceRecord* old = registry.FindRecordByWindow(Window(7));
        ASSERT_NE(old, nullptr);
        for (const auto& [code, payload] : {std::pair<unsigned, const wchar_t*>{101, L"fontSize|99"},
                                            {102, L"font|宋体"}, {103, L"color|255"}, {203, L"255"}})
            ApplyCopyData(*old, code, String(payload));
        int usingAscii = 0;
        ApplyPayloadEncoding(*old, 1, usingAscii);
        ApplyCopyData(*old, 1, String(L"text still reaches the record"));
        EXPECT_TRUE(old->text == L"text still reaches the record") << c.name;
        ApplyCopyData(registry.Begin()[1], 101, String(L"fontSize|99"));  // the other source is untouched
        EXPECT_EQ(other->GetInt(L"fontSize", 0), 99) << c.name;
    }
    SourceRegistry empty;
    empty.RetireSource(nullptr);
    empty.RetireSource(XConfig().GetRootElement());
    EXPECT_EQ(empty.Count(), 0u);
}

TEST(SourceRegistry, ReleaseReturnsEveryBlock) {
    long before = HostLiveBlocks();
    {
        SourceRegistry registry;
        for (std::uintptr_t w = 1; w <= 10; ++w) registry.AppendSourceRecord(Record(w));
        registry.Begin()[3].text = L"x";
        registry.ReleaseRegistry();
        EXPECT_EQ(registry.Begin(), nullptr);
        EXPECT_EQ(registry.End(), nullptr);
        EXPECT_EQ(registry.Capacity(), 0u);
        EXPECT_EQ(HostLiveBlocks(), before);
        registry.ReleaseRegistry();  // twice is harmless
        registry.AppendSourceRecord(Record(1));
    }
    EXPECT_EQ(HostLiveBlocks(), before);
}

TEST(SourceRegistry, WindowIdTextUsesTheLow32BitsSigned) {
    struct Case { std::uintptr_t window; const wchar_t* text; } cases[] = {
        {0, L"0"}, {0x10080, L"65664"}, {0xFFFFFFFF, L"-1"}, {0x80000000, L"-2147483648"},
#if UINTPTR_MAX > 0xFFFFFFFFu
        {0x123456789ull, L"591751049"},
#endif
    };
    for (const auto& c : cases) EXPECT_TRUE(WindowIdText(Window(c.window)) == c.text) << c.text;
}

}  // namespace
