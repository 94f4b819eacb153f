#include <gtest/gtest.h>

#include <string>

#include "bridge/Inbound.h"
#include "host/HostSide.h"
#include "host/Utf.h"

namespace {

struct InboundRecord : testing::Test {
    XConfig config;
    XElement* settings = config.GetRootElement();
    SourceRecord record;

    void SetUp() override {
        record.window = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
        record.innerId = L"4660";
        record.settings = settings;
        record.textFlag = 0;
        HostSetLogEcho(false);
        HostClearLog();
    }
};

TEST_F(InboundRecord, KeyValueCodesWriteTheirType) {
    struct Case {
        std::uintptr_t code;
        const wchar_t* payload;
        const wchar_t* key;
        bool written;
        bool isInt;
        int intValue;
        const wchar_t* textValue;
    } cases[] = {
        {101, L"fontSize|48", L"fontSize", true, true, 48, nullptr},
        {101, L"fontSize|-7x", L"fontSize", true, true, -7, nullptr},
        {101, L"fontSize|", L"fontSize", false, false, 0, nullptr},  // empty value
        {101, L"|48", L"", false, false, 0, nullptr},                // empty key
        {101, L"fontSize", L"fontSize", false, false, 0, nullptr},   // no bar
        {102, L"a|b|c", L"a", true, false, 0, L"b|c"},
        {102, L"font|微软雅黑", L"font", true, false, 0, L"微软雅黑"},
        {102, L"font|", L"font", false, false, 0, nullptr},
        {103, L"color|255", L"color", true, true, static_cast<int>(0xFF0000FFu), nullptr},
        {103, L"color|-16777216", L"color", true, true, static_cast<int>(0xFF000000u), nullptr},
        {103, L"color|16711680", L"color", true, true, static_cast<int>(0xFFFF0000u), nullptr},
        {103, L"|255", L"", false, false, 0, nullptr},
    };
    for (const Case& c : cases) {
        XConfig fresh;
        record.settings = fresh.GetRootElement();
        ApplyCopyData(record, c.code, String(c.payload));
        const std::string what = std::to_string(c.code) + " " + Utf16ToUtf8(std::wstring(c.payload));
        EXPECT_EQ(record.settings->NumDataItems(), c.written ? 1u : 0u) << what;
        if (!c.written) continue;
        if (c.isInt) {
            EXPECT_EQ(record.settings->GetInt(c.key, 12345), c.intValue) << what;
        } else {
            EXPECT_EQ(std::wstring(record.settings->GetString(c.key, L"?")), c.textValue) << what;
        }
        EXPECT_FALSE(record.text.IsValid()) << what;  // only code 1 touches the text
    }
}

TEST_F(InboundRecord, TextCodeWorksWithoutSettings) {
    record.settings = nullptr;
    ApplyCopyData(record, 1, String(L"  第一首\r\n第二首  "));
    EXPECT_EQ(record.textFlag, 1);
    EXPECT_TRUE(record.text == L"  第一首\r\n第二首  ");  // kept as pushed; trimming is the reader's
    record.textFlag = 5;
    ApplyCopyData(record, 1, String());
    EXPECT_EQ(record.textFlag, 1);
    EXPECT_FALSE(record.text.IsValid());
}

TEST_F(InboundRecord, RandomForeColorNeedsAPayload) {
    ApplyCopyData(record, 203, String());
    EXPECT_EQ(settings->NumDataItems(), 0u);
    ApplyCopyData(record, 203, String(L"255"));
    EXPECT_EQ(settings->GetInt(L"RandomForeColor", 0), static_cast<int>(0xFF0000FFu));
}

TEST_F(InboundRecord, LogCodeWritesTheTextLiterally) {
    ApplyCopyData(record, 200, String(L"%s %d %n 点歌"));
    ASSERT_EQ(HostLogLineCount(), 1u);
    EXPECT_EQ(std::wstring(HostGetLogLine(0)), L"%s %d %n 点歌");
    EXPECT_EQ(settings->NumDataItems(), 0u);
}

TEST_F(InboundRecord, EveryOtherCodeDoesNothing) {
    const std::uintptr_t codes[] = {0, 2, 100, 104, 199, 201, 202, 204, 1000, 0x100000065ull & UINTPTR_MAX,
                                    static_cast<std::uintptr_t>(-1)};
    for (std::uintptr_t code : codes) {
        ApplyCopyData(record, code, String(L"fontSize|48"));
        EXPECT_EQ(settings->NumDataItems(), 0u) << code;
        EXPECT_FALSE(record.text.IsValid()) << code;
        EXPECT_EQ(record.textFlag, 0) << code;
    }
    EXPECT_EQ(HostLogLineCount(), 0u);
}

TEST_F(InboundRecord, WithoutSettingsOnlyTheTextCodeActs) {
    record.settings = nullptr;  // a retired record
    for (std::uintptr_t code : {101u, 102u, 103u, 200u, 203u}) ApplyCopyData(record, code, String(L"fontSize|48"));
    EXPECT_EQ(settings->NumDataItems(), 0u);
    EXPECT_EQ(HostLogLineCount(), 0u);
}

TEST_F(InboundRecord, EncodingSwitchIsProcessWideAndStored) {
    int usingAscii = 0;
    ApplyPayloadEncoding(record, 1, usingAscii);
    EXPECT_EQ(usingAscii, 1);
    EXPECT_EQ(settings->GetInt(L"usingASCII", -1), 1);
    ApplyPayloadEncoding(record, 0, usingAscii);
    EXPECT_EQ(usingAscii, 0);
    EXPECT_EQ(settings->GetInt(L"usingASCII", -1), 0);
    record.settings = nullptr;
    ApplyPayloadEncoding(record, 1, usingAscii);
    EXPECT_EQ(usingAscii, 1);
    EXPECT_EQ(settings->GetInt(L"usingASCII", -1), 0);
}

}  // namespace
