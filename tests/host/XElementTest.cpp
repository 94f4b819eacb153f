#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/HostApi.h"
#include "plugin/HostText.h"

namespace {

TEST(XElement, MissingKeysGiveTheDefault) {
    XConfig config;
    XElement* e = config.GetRootElement()->CreateElement(L"data");
    EXPECT_EQ(e->GetInt(L"fontSize", 42), 42);
    EXPECT_FLOAT_EQ(e->GetFloat(L"baseSizeCX", 32.0f), 32.0f);
    EXPECT_STREQ(ReadText(e, L"font", L"宋体"), L"宋体");
    EXPECT_EQ(e->GetString(L"font"), nullptr);
    EXPECT_FALSE(e->HasItem(L"font"));
}

TEST(XElement, TypedValuesConvert) {
    XConfig config;
    XElement* e = config.GetRootElement();
    e->SetInt(L"color", -28672);
    e->SetFloat(L"cx", 401.25f);
    e->SetString(L"n", L"  -17px");
    e->SetString(L"f", L"1.5");
    e->SetString(L"t", L"-48");
    e->SetString(L"hex", L"0xFF000000");
    // Every value is text; an integer is read from its leading digits.
    struct Case { const wchar_t* key; int asInt; float asFloat; const wchar_t* asText; } cases[] = {
        {L"color", -28672, -28672.0f, L"-28672"},
        {L"cx", 401, 401.25f, L"401.25"},
        {L"n", -17, -17.0f, L"  -17px"},
        {L"f", 1, 1.5f, L"1.5"},
        {L"t", -48, -48.0f, L"-48"},
        {L"hex", -16777216, 4278190080.0f, L"0xFF000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(e->GetInt(c.key, 0), c.asInt) << c.key;
        EXPECT_FLOAT_EQ(e->GetFloat(c.key, 0.0f), c.asFloat) << c.key;
        EXPECT_STREQ(ReadText(e, c.key, L""), c.asText);
    }
    // Rewriting changes the type.
    e->SetString(L"color", L"x");
    EXPECT_STREQ(e->GetString(L"color"), L"x");
    e->SetInt(L"color", 5);
    EXPECT_STREQ(e->GetString(L"color"), L"5");
    e->RemoveItem(L"COLOR");  // names are compared without regard to case
    EXPECT_EQ(e->GetInt(L"color", -1), -1);
    e->SetInt(L"FontSize", 3);
    e->SetInt(L"fontsize", 4);
    EXPECT_EQ(e->GetInt(L"FONTSIZE", 0), 4);
    EXPECT_EQ(e->NumDataItems(), 6u);
}

// The host library gives null for a value stored empty and reads it as a number through that
// null: the plugin's readers take it as missing.
TEST(XElement, PluginReadersTakeAnEmptyStoredValueAsMissing) {
    XConfig config;
    XElement* e = config.GetRootElement();
    e->SetString(L"fontSize", L"");
    e->SetString(L"font", L"");
    EXPECT_EQ(e->GetString(L"fontSize"), nullptr);
    EXPECT_EQ(ReadInt(e, L"fontSize", 42), 42);
    EXPECT_FLOAT_EQ(ReadFloat(e, L"fontSize", 2.0f), 2.0f);
    EXPECT_STREQ(ReadText(e, L"font", L"宋体"), L"");
    EXPECT_STREQ(ReadText(e, L"absent", L"宋体"), L"宋体");
    e->SetString(L"fontSize", L"30");
    EXPECT_EQ(ReadInt(e, L"fontSize", 42), 30);
    EXPECT_EQ(ReadInt(nullptr, L"fontSize", 42), 42);
}

TEST(XElement, ChildrenAndParents) {
    XConfig config;
    XElement* root = config.GetRootElement();
    EXPECT_EQ(root->GetParent(), nullptr);
    XElement* source = root->CreateElement(L"歌单");
    XElement* data = source->CreateElement(L"data");
    EXPECT_EQ(data->GetParent(), source);
    EXPECT_EQ(source->GetParent(), root);
    EXPECT_EQ(source->GetElement(L"DATA"), data);
    EXPECT_EQ(source->GetElement(L"missing"), nullptr);
    XElement* second = source->CreateElement(L"data");
    EXPECT_EQ(source->GetElement(L"data"), data);  // the first of the name
    EXPECT_EQ(source->NumElements(), 2u);
    source->RemoveElement(root);  // not a child: nothing happens
    EXPECT_EQ(source->NumElements(), 2u);
    source->RemoveElement(second);
    EXPECT_EQ(source->NumElements(), 1u);
}

TEST(XConfig, RoundTripsThroughTheFileFormat) {
    XConfig config;
    XElement* root = config.GetRootElement();
    XElement* source = root->CreateElement(L"sources")->CreateElement(L"my list");
    source->SetString(L"class", L"Tavik直播点歌插件");
    source->SetFloat(L"cx", 401.25f);
    source->SetFloat(L"cy", 32.0f);
    XElement* data = source->CreateElement(L"data");
    data->SetString(L"font", L"宋体");
    data->SetInt(L"color", -28672);
    data->SetString(L"tricky", L"quote \" back \\ tab\t cr\r lf\n bell\x07 end");
    const wchar_t loneHalf[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
    data->SetString(L"half", loneHalf);
    data->SetString(L"empty", L"");

    std::size_t length = 0;
    char* text = config.SerializeText(&length);
    ASSERT_NE(text, nullptr);
    XConfig copy;
    ASSERT_TRUE(copy.ParseText(text, length)) << copy.ErrorText();
    MainAllocator->_Free(text);

    XElement* s = copy.GetRootElement()->GetElement(L"sources")->GetElement(L"my list");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->GetString(L"class"), L"Tavik直播点歌插件");
    EXPECT_FLOAT_EQ(s->GetFloat(L"cx", 0), 401.25f);
    EXPECT_FLOAT_EQ(s->GetFloat(L"cy", 0), 32.0f);
    XElement* d = s->GetElement(L"data");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetParent(), s);
    EXPECT_STREQ(d->GetString(L"font"), L"宋体");
    EXPECT_EQ(d->GetInt(L"color", 0), -28672);
    EXPECT_STREQ(d->GetString(L"tricky"), L"quote \" back \\ tab\t cr\r lf\n bell\x07 end");
    EXPECT_STREQ(d->GetString(L"half"), loneHalf);
    EXPECT_STREQ(ReadText(d, L"empty", L"x"), L"");
}

TEST(XConfig, SavesAndOpensFiles) {
    const wchar_t* path = L"xconfig_roundtrip_test.txt";
    XConfig config;
    config.GetRootElement()->CreateElement(L"a")->SetInt(L"n", 3);
    ASSERT_TRUE(config.Save(path));
    XConfig loaded;
    ASSERT_TRUE(loaded.Open(path)) << loaded.ErrorText();
    EXPECT_EQ(loaded.GetRootElement()->GetElement(L"a")->GetInt(L"n", 0), 3);
    EXPECT_FALSE(loaded.Open(L"no such file.txt"));
    EXPECT_EQ(loaded.GetRootElement()->NumElements(), 0u);
#ifdef _WIN32
    _wremove(path);
#else
    std::remove("xconfig_roundtrip_test.txt");
#endif
}

TEST(XConfig, ReadsHandWrittenTextAndRejectsBadInput) {
    const char good[] =
        "# a scene\n"
        "sources {\n"
        "    \"歌单\" {\n"
        "        class: \"Tavik直播点歌插件\"   # the class\n"
        "        cx: 400\n"
        "        scale: 1.5\n"
        "        data {\n"
        "        }\n"
        "    }\n"
        "}\n";
    XConfig config;
    ASSERT_TRUE(config.ParseText(good, sizeof good - 1)) << config.ErrorText();
    XElement* s = config.GetRootElement()->GetElement(L"sources")->GetElement(L"歌单");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetInt(L"cx", 0), 400);
    EXPECT_FLOAT_EQ(s->GetFloat(L"scale", 0), 1.5f);
    EXPECT_NE(s->GetElement(L"data"), nullptr);

    const char* bad[] = {
        "a {", "}", "a: ", "a: \"open", "a: \"bad \\q escape\"", "a: 12x", "a 5", "a: 99999999999",
        "a: \"\\u12\"", "a: \"line\nbreak\"",
    };
    for (const char* text : bad) {
        XConfig c;
        EXPECT_FALSE(c.ParseText(text, std::string(text).size())) << text;
        EXPECT_NE(std::wstring(c.ErrorText()), L"") << text;
        EXPECT_EQ(c.GetRootElement()->NumElements() + c.GetRootElement()->NumDataItems(), 0u) << text;
    }
    // Every prefix of a valid text is read or refused, never overrun.
    for (std::size_t n = 0; n < sizeof good - 1; ++n) {
        XConfig c;
        c.ParseText(good, n);
    }
}

}  // namespace
