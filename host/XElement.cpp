#include "host/XElement.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/Alloc.h"
#include "host/HostSide.h"
#include "host/Utf.h"

// ---------------------------------------------------------------- XElement

namespace {

enum ItemType { kDataItem, kElementItem };

// Names are compared as the host does, without regard to case (ASCII letters).
bool SameName(const String& name, CTSTR other) {
    CTSTR a = name.Array() ? name.Array() : L"";
    CTSTR b = other ? other : L"";
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    while (*a && fold(*a) == fold(*b)) ++a, ++b;
    return fold(*a) == fold(*b);
}

}  // namespace

XBaseItem::XBaseItem(int itemType, CTSTR itemName) : strName(itemName), type(itemType) {}

XBaseItem::~XBaseItem() = default;

XElement::XElement(XConfig* config, XElement* parentElement, CTSTR elementName)
    : XBaseItem(kElementItem, elementName), file(config), parent(parentElement) {}

XElement::~XElement() {
    for (Item* item : items) delete item;
    for (XElement* child : children) delete child;
}

XElement* XElement::GetElement(CTSTR childName) const {
    for (XElement* child : children)
        if (SameName(child->strName, childName)) return child;
    return nullptr;
}

XElement* XElement::CreateElement(CTSTR childName) {
    children.push_back(nullptr);
    children.back() = new XElement(file, this, childName);
    return children.back();
}

XElement* XElement::GetElementByID(DWORD index) const { return index < children.size() ? children[index] : nullptr; }

void XElement::RemoveElement(XElement* child) {
    for (auto it = children.begin(); it != children.end(); ++it) {
        if (*it == child) {
            children.erase(it);
            delete child;
            return;
        }
    }
}

XElement::Item* XElement::FindItem(CTSTR itemName) const {
    for (Item* item : items)
        if (SameName(item->name, itemName)) return item;
    return nullptr;
}

XElement::Item& XElement::ItemFor(CTSTR itemName) {
    if (Item* item = FindItem(itemName)) return *item;
    items.push_back(nullptr);
    items.back() = new Item;
    items.back()->name = itemName;
    return *items.back();
}

bool XElement::HasItem(CTSTR itemName) const { return FindItem(itemName) != nullptr; }

void XElement::RemoveItem(CTSTR itemName) {
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (SameName((*it)->name, itemName)) {
            delete *it;
            items.erase(it);
            return;
        }
    }
}

CTSTR XElement::GetDataItemName(DWORD index) const { return index < items.size() ? items[index]->name.Array() : nullptr; }

namespace {

// White space as the C runtime's wide classification has it, for the characters a settings
// value can start with.
bool IsWideSpace(wchar_t c) noexcept {
    const unsigned long u = static_cast<unsigned long>(c) & 0xFFFFu;
    return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x85 || u == 0xA0 || u == 0x1680 ||
           (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F ||
           u == 0x3000;
}

int DigitIn(wchar_t c, int base) noexcept {
    const int digit = (c >= L'0' && c <= L'9') ? c - L'0'
                      : (c >= L'a' && c <= L'z') ? c - L'a' + 10
                      : (c >= L'A' && c <= L'Z') ? c - L'A' + 10 : 99;
    return digit < base ? digit : -1;
}

// wcstoul with a 32-bit unsigned long: white space, a sign, the base's prefix (base 0 or 16),
// digits as far as they go; beyond the range, the largest value; a minus sign negates.
std::uint32_t ReadUnsigned(CTSTR p, int base) noexcept {
    while (IsWideSpace(*p)) ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
    const bool prefixed = p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && DigitIn(p[2], 16) >= 0;
    if (base == 0) base = prefixed ? 16 : (p[0] == L'0' ? 8 : 10);
    if (base == 16 && prefixed) p += 2;
    std::uint64_t value = 0;
    bool overflow = false;
    for (int digit; (digit = DigitIn(*p, base)) >= 0; ++p) {
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
    }
    if (overflow) return 0xFFFFFFFFu;
    const std::uint32_t magnitude = static_cast<std::uint32_t>(value);
    return negative ? 0u - magnitude : magnitude;
}

bool SameText(CTSTR text, const wchar_t* word) noexcept {
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    while (*text && fold(*text) == *word) ++text, ++word;
    return !*text && !*word;
}

String FormattedNumber(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return String(buffer);
}

}  // namespace

CTSTR XElement::GetString(CTSTR itemName, TSTR def) const {
    const Item* item = FindItem(itemName);
    return item ? item->text.Array() : def;
}

int XElement::GetInt(CTSTR itemName, int def) const {
    const Item* item = FindItem(itemName);
    if (!item) return def;
    CTSTR text = item->text.Array() ? item->text.Array() : L"";
    if (text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) return static_cast<int>(ReadUnsigned(text + 2, 16));
    if (SameText(text, L"true")) return 1;
    if (SameText(text, L"false")) return 0;
    return static_cast<int>(ReadUnsigned(text, 0));
}

float XElement::GetFloat(CTSTR itemName, float def) const {
    const Item* item = FindItem(itemName);
    if (!item) return def;
    CTSTR text = item->text.Array() ? item->text.Array() : L"";
    while (IsWideSpace(*text)) ++text;
    // strtod reads only ASCII: the text up to the first other unit is all it can take.
    std::string narrow;
    for (; *text > 0 && *text < 0x80; ++text) narrow += static_cast<char>(*text);
    return static_cast<float>(std::strtod(narrow.c_str(), nullptr));
}

namespace {
std::atomic<long> g_valueWrites{0};
}  // namespace

long HostElementWrites() { return g_valueWrites.load(); }

void XElement::SetString(CTSTR itemName, CTSTR value) {
    ++g_valueWrites;
    ItemFor(itemName).text = value;
}

void XElement::SetInt(CTSTR itemName, int value) {
    ++g_valueWrites;
    String text;
    text << value;
    ItemFor(itemName).text = text;
}

void XElement::SetFloat(CTSTR itemName, float value) {
    ++g_valueWrites;
    ItemFor(itemName).text = FormattedNumber("%g", static_cast<double>(value));
}

// ---------------------------------------------------------------- XConfig

XConfig::XConfig() : root(new XElement(this, nullptr, L"")) {}

XConfig::~XConfig() { delete root; }

void XConfig::Clear() {
    delete root;
    root = nullptr;
    root = new XElement(this, nullptr, L"");
}

namespace {

bool IsBareNameChar(unsigned long c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
}

// Why a bare value is not a number the file format takes, or null when it is one: a 32-bit
// integer, or a float with a point, an exponent, "inf" or "nan".
const char* NumberError(const std::string& token) {
    if (token.empty() || std::isspace(static_cast<unsigned char>(token[0]))) return "expected a value";
    char* stop = nullptr;
    errno = 0;
    if (token.find_first_of(".eEnN") == std::string::npos) {
        const long long v = std::strtoll(token.c_str(), &stop, 10);
        return *stop || errno || v < -2147483648LL || v > 2147483647LL ? "bad integer" : nullptr;
    }
    std::strtof(token.c_str(), &stop);
    return *stop ? "bad number" : nullptr;
}

void WriteQuoted(std::string& out, const String& text) {
    out += '"';
    const wchar_t* p = text.Array() ? text.Array() : L"";
    std::size_t n = text.Length();
    std::size_t run = 0;  // start of a run of plain units
    auto flush = [&](std::size_t upto) {
        if (upto > run) out += Utf16ToUtf8(p + run, upto - run);
    };
    for (std::size_t i = 0; i < n; ++i) {
        unsigned long c = static_cast<unsigned long>(p[i]) & 0xFFFFu;
        const char* escape = nullptr;
        char hex[8];
        if (c == '"') escape = "\\\"";
        else if (c == '\\') escape = "\\\\";
        else if (c == '\n') escape = "\\n";
        else if (c == '\r') escape = "\\r";
        else if (c == '\t') escape = "\\t";
        else if (c < 0x20 || c == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\u%04lX", c);
            escape = hex;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            // Keep a proper pair as UTF-8; a lone half is escaped so it survives the file.
            bool pairHigh = c <= 0xDBFF && i + 1 < n && (p[i + 1] & 0xFC00) == 0xDC00;
            bool pairLow = c >= 0xDC00 && i > 0 && (p[i - 1] & 0xFC00) == 0xD800;
            if (!pairHigh && !pairLow) {
                std::snprintf(hex, sizeof hex, "\\u%04lX", c);
                escape = hex;
            }
        }
        if (escape) {
            flush(i);
            out += escape;
            run = i + 1;
        }
    }
    flush(n);
    out += '"';
}

void WriteName(std::string& out, const String& name) {
    bool bare = name.Length() > 0;
    for (unsigned i = 0; i < name.Length() && bare; ++i)
        bare = IsBareNameChar(static_cast<unsigned long>(name.Array()[i]));
    if (bare) out += Utf16ToUtf8(name.Array(), name.Length());
    else WriteQuoted(out, name);
}

// Reads the file format; reports the first error with its line.
class Parser {
public:
    Parser(const char* text, std::size_t length) : p(text), end(text + length) {}

    bool ParseInto(XElement* root, std::string& error) {
        bool ok = ParseBody(root, 0);
        if (!ok) error = "line " + std::to_string(line) + ": " + message;
        return ok;
    }

private:
    bool Fail(const char* what) {
        message = what;
        return false;
    }

    void SkipSpaceAndComments() {
        while (p < end) {
            if (*p == '\n') { ++line; ++p; }
            else if (*p == ' ' || *p == '\t' || *p == '\r') ++p;
            else if (*p == '#') { while (p < end && *p != '\n') ++p; }
            else break;
        }
    }

    bool ParseQuoted(std::wstring& out) {
        ++p;  // opening quote
        const char* run = p;
        auto flush = [&] { out += Utf8ToUtf16(run, static_cast<std::size_t>(p - run)); };
        while (p < end && *p != '"') {
            if (*p == '\n') return Fail("line break inside quoted text");
            if (*p != '\\') { ++p; continue; }
            flush();
            if (++p == end) break;
            switch (*p) {
            case '"': out += L'"'; break;
            case '\\': out += L'\\'; break;
            case 'n': out += L'\n'; break;
            case 'r': out += L'\r'; break;
            case 't': out += L'\t'; break;
            case 'u': {
                if (end - p < 5) return Fail("short \\u escape");
                unsigned long unit = 0;
                for (int k = 1; k <= 4; ++k) {
                    char c = p[k];
                    int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                         : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
                    if (v < 0) return Fail("bad \\u escape");
                    unit = unit * 16 + static_cast<unsigned long>(v);
                }
                out += static_cast<wchar_t>(unit);
                p += 4;
                break;
            }
            default: return Fail("unknown escape");
            }
            run = ++p;
        }
        if (p == end) return Fail("unterminated quoted text");
        flush();
        ++p;  // closing quote
        return true;
    }

    bool ParseName(std::wstring& out) {
        if (p < end && *p == '"') return ParseQuoted(out);
        const char* start = p;
        while (p < end && IsBareNameChar(static_cast<unsigned char>(*p))) ++p;
        if (p == start) return Fail("expected a name");
        out = Utf8ToUtf16(start, static_cast<std::size_t>(p - start));
        return true;
    }

    bool ParseBody(XElement* element, int depth) {
        for (;;) {
            SkipSpaceAndComments();
            if (p == end) return depth == 0 ? true : Fail("missing }");
            if (*p == '}') {
                if (depth == 0) return Fail("unexpected }");
                ++p;
                return true;
            }
            std::wstring name;
            if (!ParseName(name)) return false;
            while (p < end && (*p == ' ' || *p == '\t')) ++p;
            if (p < end && *p == '{') {
                ++p;
                if (depth >= 64) return Fail("elements nested too deeply");
                if (!ParseBody(element->CreateElement(name.c_str()), depth + 1)) return false;
                continue;
            }
            if (p == end || *p != ':') return Fail("expected : or {");
            ++p;
            while (p < end && (*p == ' ' || *p == '\t')) ++p;
            if (p < end && *p == '"') {
                std::wstring value;
                if (!ParseQuoted(value)) return false;
                element->SetString(name.c_str(), value.c_str());  // text ends at a \u0000
                continue;
            }
            const char* start = p;
            while (p < end && !(*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '#' || *p == '}')) ++p;
            std::string token(start, p);
            if (token.empty()) return Fail("expected a value");
            if (const char* wrong = NumberError(token)) return Fail(wrong);
            element->SetString(name.c_str(), Utf8ToUtf16(token).c_str());
        }
    }

    const char* p;
    const char* end;
    int line = 1;
    std::string message;
};

}  // namespace

class XConfigWriter {
public:
    static void Write(std::string& out, const XElement& element, int depth) {
        const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
        for (const XElement::Item* item : element.items) {
            out += indent;
            WriteName(out, item->name);
            out += ": ";
            const std::string text = Utf16ToUtf8(item->text.Array() ? item->text.Array() : L"", item->text.Length());
            if (!text.empty() && !NumberError(text)) out += text;
            else WriteQuoted(out, item->text);
            out += '\n';
        }
        for (const XElement* child : element.children) {
            out += indent;
            WriteName(out, child->strName);
            out += " {\n";
            Write(out, *child, depth + 1);
            out += indent;
            out += "}\n";
        }
    }
};

bool XConfig::ParseText(const char* utf8, std::size_t length) {
    Clear();
    error.Clear();
    if (length >= 3 && std::memcmp(utf8, "\xEF\xBB\xBF", 3) == 0) {
        utf8 += 3;
        length -= 3;
    }
    std::string reason;
    Parser parser(utf8, length);
    if (!parser.ParseInto(root, reason)) {
        Clear();
        error = String(Utf8ToUtf16(reason).c_str());
        return false;
    }
    return true;
}

namespace {

std::FILE* OpenFile(CTSTR path, bool write) {
#ifdef _WIN32
    return _wfopen(path, write ? L"wb" : L"rb");
#else
    std::wstring units(path);
    return std::fopen(Utf16ToUtf8(units).c_str(), write ? "wb" : "rb");
#endif
}

}  // namespace

bool XConfig::Open(CTSTR path) {
    Clear();
    std::FILE* file = path ? OpenFile(path, false) : nullptr;
    if (!file) {
        error = L"cannot open the file";
        return false;
    }
    std::string content;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        error = L"cannot read the file";
        return false;
    }
    return ParseText(content.data(), content.size());
}

char* XConfig::SerializeText(std::size_t* length) const {
    std::string out;
    XConfigWriter::Write(out, *root, 0);
    char* block = static_cast<char*>(MainAllocator->_Allocate(out.size() + 1));
    if (!block) return nullptr;
    std::memcpy(block, out.data(), out.size());
    block[out.size()] = 0;
    if (length) *length = out.size();
    return block;
}

bool XConfig::Save(CTSTR path) const {
    std::string out;
    XConfigWriter::Write(out, *root, 0);
    std::FILE* file = path ? OpenFile(path, true) : nullptr;
    if (!file) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}
