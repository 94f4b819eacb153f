// Runs every operation of the host library that the plugin uses over a table of edge cases and
// over generated inputs, and writes what each gives, one line a case, to the file named on the
// command line. Built twice: against our host layer, and with TAVIK_HOST_HEADERS against OBS
// Classic's own headers and OBSApi.lib. The two files must be equal.
//
// Inputs that make the real library misbehave are left out of both runs, each with its reason
// (the plugin guards against them; its tests show that): an empty search text in FindReplace
// loops forever, and reading an empty stored value as a number reads through a null pointer.
#include "host/HostApi.h"
#ifndef TAVIK_HOST_HEADERS
#include "host/HostSide.h"
#endif

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::FILE* out = nullptr;

std::string Show(const wchar_t* text) {
    if (!text) return "(null)";
    std::string shown = "\"";
    for (; *text; ++text) {
        const unsigned unit = static_cast<unsigned short>(*text);
        if (unit >= 0x20 && unit < 0x7F && unit != '\\' && unit != '"') {
            shown += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", unit);
            shown += escaped;
        }
    }
    return shown + "\"";
}

std::string Show(const String& text) {
    return Show(text.Array()) + "/" + std::to_string(text.Length()) + (text.IsValid() ? "" : "/empty");
}

std::string ShowNarrow(const char* text) {
    if (!text) return "(null)";
    std::string shown = "\"";
    for (; *text; ++text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(*text));
        shown += escaped;
    }
    return shown + "\"";
}

std::string ShowFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

void Line(const std::string& operation, const std::string& result) {
    std::fprintf(out, "%s -> %s\n", operation.c_str(), result.c_str());
}

// ---------------------------------------------------------------- String

void Construction(const wchar_t* wide) { Line("String(" + Show(wide) + ")", Show(String(wide))); }
void NarrowConstruction(const char* narrow) { Line("String(narrow " + ShowNarrow(narrow) + ")", Show(String(narrow))); }

void AppendInt(const wchar_t* start, int value) {
    String text(start);
    text << value;
    Line(Show(start) + " << " + std::to_string(value), Show(text));
}

void Appends(const wchar_t* a, const wchar_t* b) {
    const std::string args = "(" + Show(a) + ", " + Show(b) + ")";
    String plus(a);
    plus += b;
    Line("+= text" + args, Show(plus));
    String appendString(a);
    appendString += String(b);
    Line("+= String" + args, Show(appendString));
    String shifted(a);
    shifted << b;
    Line("<< text" + args, Show(shifted));
    String shiftedString(a);
    shiftedString << String(b);
    Line("<< String" + args, Show(shiftedString));
    Line("+ text" + args, Show(String(a) + b));
    Line("+ String" + args, Show(String(a) + String(b)));
    String assigned(L"old");
    assigned = b;
    Line("= text" + args, Show(assigned));
    String copied(a);
    copied = String(b);
    Line("= String" + args, Show(copied));
    Line("AppendString" + args, Show(String(a).AppendString(b)));
    Line("AppendString 2" + args, Show(String(a).AppendString(b, b && std::wcslen(b) >= 2 ? 2 : 0)));
}

void Comparisons(const wchar_t* a, const wchar_t* b) {
    const String text(a);
    const std::string args = "(" + Show(a) + ", " + Show(b) + ")";
    Line("Compare" + args, std::to_string(text.Compare(b)));
    Line("== text" + args, std::to_string(text == b ? 1 : 0));
    Line("== String" + args, std::to_string(text == String(b) ? 1 : 0));
    Line("!= text" + args, std::to_string(text != b ? 1 : 0));
}

void ToInts(const wchar_t* text) {
    const String s(text);
    for (int base : {10, 16, 8, 0})
        Line("ToInt(" + Show(text) + ", " + std::to_string(base) + ")", std::to_string(s.ToInt(base)));
}

void KillSpaces(const wchar_t* text) {
    String s(text);
    Line("KillSpaces(" + Show(text) + ")", Show(s.KillSpaces()));
}

void Tokens(const wchar_t* text, wchar_t separator) {
    const String s(text);
    const std::string args = Show(text) + ", '" + Show(std::wstring(1, separator).c_str()) + "'";
    for (int index = -1; index <= 3; ++index) {
        Line("GetToken(" + args + ", " + std::to_string(index) + ")", Show(s.GetToken(index, separator)));
        Line("GetTokenOffset(" + args + ", " + std::to_string(index) + ")", Show(s.GetTokenOffset(index, separator)));
    }
}

void Lefts(const wchar_t* text) {
    for (unsigned count : {0u, 1u, 2u, 3u, 4u, 100u}) {
        String s(text);
        Line("Left(" + Show(text) + ", " + std::to_string(count) + ")", Show(s.Left(count)));
    }
}

void FindReplace(const wchar_t* text, const wchar_t* find, const wchar_t* replace) {
    String s(text);
    s.FindReplace(find, replace);
    Line("FindReplace(" + Show(text) + ", " + Show(find) + ", " + Show(replace) + ")", Show(s));
}

void Clear(const wchar_t* text) {
    String s(text);
    s.Clear();
    std::string result = Show(s);
    s += L"z";
    Line("Clear(" + Show(text) + ") then += \"z\"", result + " then " + Show(s));
}

// ---------------------------------------------------------------- XElement

std::string Reads(const XElement* element, const wchar_t* name, bool numbers) {
    static wchar_t fallback[] = L"def";
    std::string result = "GetString " + Show(element->GetString(name)) + ", with default " +
                         Show(element->GetString(name, fallback));
    if (numbers) {
        result += ", GetInt " + std::to_string(element->GetInt(name, 7)) + ", GetFloat " +
                  ShowFloat(element->GetFloat(name, 2.5f));
    }
    return result;
}

void StoredText(XElement* element, const wchar_t* value) {
    element->SetString(L"value", value);
    // An empty stored value read as a number reads through a null pointer in the real library.
    const bool numbers = value && *value;
    Line("SetString(" + Show(value) + ")", Reads(element, L"value", numbers));
}

void StoredInt(XElement* element, int value) {
    element->SetInt(L"value", value);
    Line("SetInt(" + std::to_string(value) + ")", Reads(element, L"value", true));
}

void StoredFloat(XElement* element, float value) {
    element->SetFloat(L"value", value);
    Line("SetFloat(" + ShowFloat(value) + ")", Reads(element, L"value", true));
}

void Elements(XElement* root) {
    Line("absent", Reads(root, L"absent", true));
    XElement* data = root->CreateElement(L"data");
    Line("CreateElement(data) parent is root", std::to_string(data->GetParent() == root));
    Line("GetElement(DATA) is it", std::to_string(root->GetElement(L"DATA") == data));
    Line("GetElement(none)", root->GetElement(L"none") ? "found" : "(null)");
    XElement* second = root->CreateElement(L"Data");
    Line("second CreateElement(Data) is another", std::to_string(second != data && second->GetParent() == root));
    Line("GetElement(data) is the first", std::to_string(root->GetElement(L"data") == data));
    Line("root's parent", root->GetParent() ? "found" : "(null)");
    Line("child's name", Show(data->GetName()));

    data->SetInt(L"fontSize", 42);
    Line("name in another case", Reads(data, L"FONTSIZE", true));
    data->SetString(L"FontSize", L"30");
    Line("set under another case", Reads(data, L"fontsize", true));
    data->SetString(L"\u00C4", L"upper");
    Line("non-ASCII name in another case", Reads(data, L"\u00E4", false));
    data->SetFloat(L"mixed", 1.5f);
    data->SetString(L"mixed", L"12");
    Line("float then text", Reads(data, L"mixed", true));
    data->SetString(L"mixed2", L"abc");
    data->SetInt(L"mixed2", 9);
    Line("text then int", Reads(data, L"mixed2", true));
    data->SetString(L"nullText", nullptr);
    Line("SetString(null)", Reads(data, L"nullText", false));
}

// ---------------------------------------------------------------- scpy_n

void CopyN(const wchar_t* source, unsigned n) {
    wchar_t destination[8];
    for (wchar_t& unit : destination) unit = L'X';
    scpy_n(destination, source, n);
    std::string units;
    for (wchar_t unit : destination) units += unit ? static_cast<char>(unit) : '0';
    Line("scpy_n(" + Show(source) + ", " + std::to_string(n) + ")", units);
}

// ---------------------------------------------------------------- generated inputs

struct Generator {
    std::uint32_t state;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    std::wstring Text(std::size_t longest) {
        static const wchar_t alphabet[] = L"0123456789+- \t\r\nxXaf|.e\u4E2D\u3000";
        const std::size_t count = Next() % (longest + 1);
        std::wstring text;
        for (std::size_t i = 0; i < count; ++i) text += alphabet[Next() % (sizeof alphabet / sizeof alphabet[0] - 1)];
        return text;
    }
};

void Generated(XElement* element) {
    Generator random{20261208u};
    for (int i = 0; i < 400; ++i) {
        const std::wstring a = random.Text(10);
        const std::wstring b = random.Text(3);
        ToInts(a.c_str());
        KillSpaces(a.c_str());
        Comparisons(a.c_str(), b.c_str());
        Appends(a.c_str(), b.c_str());
        Tokens(a.c_str(), L'|');
        Lefts(a.c_str());
        if (!b.empty()) FindReplace(a.c_str(), b.c_str(), random.Text(2).c_str());
        StoredText(element, a.c_str());
        AppendInt(a.c_str(), static_cast<int>(random.Next() * 2654435761u));
        CopyN(a.c_str(), random.Next() % 8);
    }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef TAVIK_HOST_HEADERS
    // As OBS.exe does before anything else.
    InitXT(NULL, L"FastAlloc");
#else
    HostSetLogEcho(false);  // String::Left past the end warns, as the host library does
#endif
    if (argc != 3) {
        std::fprintf(stderr, "usage: host_diff OUTPUT SCRATCH_CONFIG\n");
        return 2;
    }
    out = std::fopen(argv[1], "wb");
    if (!out) return 1;

    for (const wchar_t* text : {static_cast<const wchar_t*>(nullptr), L"", L"a", L"abc def", L"\u5B8B\u4F53",
                                L" \t x \r\n", L"\U0001F600"})
        Construction(text);
    for (const char* text : {static_cast<const char*>(nullptr), "", "abc", "5", "\xE5\xAE\x8B\xE4\xBD\x93",
                             "\xC4\xE3", "a\x80" "b", "\xF0\x9F\x98\x80"})
        NarrowConstruction(text);
    for (int value : {0, 1, -1, 42, -28672, -16777216, INT_MAX, INT_MIN}) {
        AppendInt(L"", value);
        AppendInt(L"x=", value);
    }
    const wchar_t* pairs[][2] = {{L"", nullptr}, {L"", L""}, {L"a", L"a"}, {L"a", L"A"}, {L"ab", L"a"},
                                 {L"a", L"ab"}, {nullptr, L""}, {L"\u5B8B\u4F53", L"\u5B8B\u4F53"}};
    for (auto& pair : pairs) {
        Comparisons(pair[0], pair[1]);
        Appends(pair[0], pair[1]);
    }
    for (const wchar_t* text : {L"", L"0", L"42", L"-42", L"+42", L" 42", L"42 ", L"4x", L"0x1F", L"0X1f", L"ff",
                                L"FF", L"2147483647", L"2147483648", L"-2147483648", L"-2147483649", L"99999999999",
                                L"4278190080", L"-", L"+", L"1e3", L"1.5", L"010", L"\uFF10", L"-0"})
        ToInts(text);
    for (const wchar_t* text : {L"", L" a ", L"\t a\t", L"\u3000a\u3000", L"a\r\n", L"\r\n", L"   ", L"a b",
                                L"\n a", L"\x0B"})
        KillSpaces(text);
    for (const wchar_t* text : {L"a|b|c", L"", L"a||b", L"|a|", L"abc", L"Set|\u5B8B\u4F53|42|"}) Tokens(text, L'|');
    Tokens(L" a b", L' ');
    for (const wchar_t* text : {L"abc", L"", L"\u5B8B\u4F53"}) Lefts(text);
    const wchar_t* replaces[][3] = {{L"aaa", L"a", L"b"}, {L"abab", L"ab", L""}, {L"abc", L"x", L"y"},
                                    {L"aaa", L"aa", L"a"}, {L"", L"a", L"b"}, {L"a", L"a", L"aa"},
                                    {L"a\r\nb", L"\r\n", L"|"}, {L"xyz", L"xyz", nullptr}};
    for (auto& replace : replaces) FindReplace(replace[0], replace[1], replace[2]);
    for (const wchar_t* text : {L"", L"abc"}) Clear(text);
    for (const wchar_t* text : {L"abc", L"", L"abcdefghij"})
        for (unsigned n : {0u, 1u, 3u, 5u, 7u}) CopyN(text, n);

    // A settings tree, opened from an empty file as the host opens its scenes.
    if (std::FILE* empty = std::fopen(argv[2], "wb")) std::fclose(empty);
    const std::wstring scratch(argv[2], argv[2] + std::strlen(argv[2]));  // an ASCII path
    XConfig config;
    config.Open(scratch.c_str());
    XElement* root = config.GetRootElement();
    if (!root) {
        std::fprintf(stderr, "host_diff: no root element\n");
        return 1;
    }
    Elements(root);
    XElement* values = root->CreateElement(L"values");
    for (const wchar_t* text : {L"", L"abc", L"42", L"-42", L"0x1F", L"0X1f", L"0x", L"true", L"TRUE", L"false",
                                L"010", L"08", L"4294967295", L"4278190080", L"4294967296", L"-2147483649",
                                L" 42", L"42abc", L"1.5", L"1e3", L"-0.5", L".5", L"inf", L"\u5B8B\u4F53",
                                L"2147483648"})
        StoredText(values, text);
    for (int value : {0, 1, -1, 42, -28672, -16777216, INT_MAX, INT_MIN}) StoredInt(values, value);
    for (float value : {0.0f, 2.0f, 1.5f, 546.0f, 42.0f, 0.1f, -3.25f, 1.0f / 3.0f, 123456789.0f, 1e10f, 1e-7f,
                        16777217.0f, 1e38f})
        StoredFloat(values, value);

    Generated(values);
    std::fclose(out);
    return 0;
}
