#include "host/XElement.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/Alloc.h"
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

std::string FloatText(float value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    std::string text(buffer);
    if (std::isfinite(value) && text.find_first_of(".eE") == std::string::npos) text += ".0";
    return text;
}

float ParseFloat(const String& text) noexcept {
    if (!text.Array()) return 0.0f;
    std::string narrow = Utf16ToUtf8(text.Array(), text.Length());
    return std::strtof(narrow.c_str(), nullptr);
}

}  // namespace

CTSTR XElement::GetString(CTSTR itemName, TSTR def) const {
    const Item* item = FindItem(itemName);
    if (!item) return def;
    if (!item->textCurrent) {
        item->text.Clear();
        if (item->kind == Kind::Int) {
            item->text << item->intValue;
        } else {
            std::string f = FloatText(item->floatValue);
            for (char c : f) item->text += static_cast<wchar_t>(c);
        }
        item->textCurrent = true;
    }
    return item->text.Array() ? item->text.Array() : L"";
}

int XElement::GetInt(CTSTR itemName, int def) const {
    const Item* item = FindItem(itemName);
    if (!item) return def;
    switch (item->kind) {
    case Kind::Int: return item->intValue;
    case Kind::Float: {
        float f = item->floatValue;
        if (!(f == f)) return 0;
        if (f >= 2147483647.0f) return 2147483647;
        if (f <= -2147483648.0f) return -2147483647 - 1;
        return static_cast<int>(f);
    }
    case Kind::Text: break;
    }
    // Text: 0x and hexadecimal digits (as colours are written), else a whole decimal integer.
    CTSTR text = item->text.Array();
    if (text && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        std::uint32_t value = 0;
        for (CTSTR p = text + 2; *p; ++p) {
            const wchar_t c = *p;
            const int digit = (c >= L'0' && c <= L'9') ? c - L'0'
                              : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                              : (c >= L'A' && c <= L'F') ? c - L'A' + 10 : -1;
            if (digit < 0) break;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return static_cast<int>(value);
    }
    return item->text.ToInt(10);
}

float XElement::GetFloat(CTSTR itemName, float def) const {
    const Item* item = FindItem(itemName);
    if (!item) return def;
    switch (item->kind) {
    case Kind::Int: return static_cast<float>(item->intValue);
    case Kind::Float: return item->floatValue;
    case Kind::Text: break;
    }
    return ParseFloat(item->text);
}

void XElement::SetString(CTSTR itemName, CTSTR value) {
    Item& item = ItemFor(itemName);
    if (item.kind == Kind::Text && item.text == value) return;
    item.kind = Kind::Text;
    item.text = value;
    item.textCurrent = true;
}

void XElement::SetInt(CTSTR itemName, int value) {
    Item& item = ItemFor(itemName);
    if (item.kind == Kind::Int && item.intValue == value) return;
    item.kind = Kind::Int;
    item.intValue = value;
    item.textCurrent = false;
}

void XElement::SetFloat(CTSTR itemName, float value) {
    Item& item = ItemFor(itemName);
    item.kind = Kind::Float;
    item.floatValue = value;
    item.textCurrent = false;
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
            char* stop = nullptr;
            errno = 0;
            if (token.find_first_of(".eEnN") == std::string::npos) {
                long long v = std::strtoll(token.c_str(), &stop, 10);
                if (*stop || errno || v < -2147483648LL || v > 2147483647LL) return Fail("bad integer");
                element->SetInt(name.c_str(), static_cast<int>(v));
            } else {
                float v = std::strtof(token.c_str(), &stop);
                if (*stop) return Fail("bad number");
                element->SetFloat(name.c_str(), v);
            }
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
            switch (item->kind) {
            case XElement::Kind::Text: WriteQuoted(out, item->text); break;
            case XElement::Kind::Int: out += std::to_string(item->intValue); break;
            case XElement::Kind::Float: out += FloatText(item->floatValue); break;
            }
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
