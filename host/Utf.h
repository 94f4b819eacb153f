#pragma once
// Conversions between UTF-8 and UTF-16 units held one per wchar_t. Header-only so that every
// module (host, plugin, tools) has its own copy and no std::string crosses a DLL boundary.

#include <cstddef>
#include <string>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#endif

// UTF-16 units to UTF-8; a lone surrogate becomes U+FFFD.
inline std::string Utf16ToUtf8(const wchar_t* units, std::size_t count) {
    std::string out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        unsigned long c = static_cast<unsigned long>(units[i]) & 0xFFFFu;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count) {
            unsigned long low = static_cast<unsigned long>(units[i + 1]) & 0xFFFFu;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::string Utf16ToUtf8(const std::wstring& units) { return Utf16ToUtf8(units.data(), units.size()); }

// UTF-8 to UTF-16 units; a malformed sequence becomes U+FFFD.
inline std::wstring Utf8ToUtf16(const char* text, std::size_t length) {
    std::wstring out;
    out.reserve(length);
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = p + length;
    while (p < end) {
        unsigned long c = *p++;
        int more = 0;
        if (c >= 0xF0 && c < 0xF8) { c &= 0x07; more = 3; }
        else if (c >= 0xE0) { c &= 0x0F; more = 2; }
        else if (c >= 0xC0) { c &= 0x1F; more = 1; }
        else if (c >= 0x80) { c = 0xFFFD; }
        if (c >= 0xF8) { c = 0xFFFD; more = 0; }
        for (; more > 0; --more) {
            if (p == end || (*p & 0xC0) != 0x80) { c = 0xFFFD; break; }
            c = (c << 6) | (*p++ & 0x3F);
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c > 0x10FFFF ? 0xFFFD : c);
        }
    }
    return out;
}

inline std::wstring Utf8ToUtf16(const std::string& text) { return Utf8ToUtf16(text.data(), text.size()); }

// Narrow text in the system's ANSI code page (on Windows) or UTF-8 (elsewhere) to UTF-16 units.
inline std::wstring NarrowToWide(const char* text) {
    if (!text || !*text) return std::wstring();
#ifdef _WIN32
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 1) return std::wstring();
    std::wstring out(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], units);
    out.resize(static_cast<std::size_t>(units - 1));
    return out;
#else
    std::string s(text);
    return Utf8ToUtf16(s);
#endif
}
