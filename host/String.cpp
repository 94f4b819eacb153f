#include "host/String.h"

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "host/Alloc.h"
#include "host/AllocBlocks.h"
#include "host/Services.h"
#include "host/Utf.h"

namespace {

std::size_t UnitLength(CTSTR text) noexcept {
    if (!text) return 0;
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

// What KillSpaces trims: space, tab and the ideographic space; line breaks stay.
bool IsSpace(wchar_t c) noexcept { return c == L' ' || c == L'\t' || c == L'\x3000'; }

int DigitValue(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'z') return c - L'a' + 10;
    if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
    return 99;
}

// The whole text is an optional sign and decimal digits, at least one.
bool IsIntegerText(CTSTR p) noexcept {
    if (*p == L'+' || *p == L'-') ++p;
    if (!*p) return false;
    for (; *p; ++p)
        if (*p < L'0' || *p > L'9') return false;
    return true;
}

// Units the storage holds, terminator included.
std::size_t CapacityOf(CTSTR storage) noexcept { return HostBlockSize(storage) / sizeof(wchar_t); }

}  // namespace

String::String() : lpString(nullptr), curLength(0) {}

String::String(const char* text) : String() {
    if (!text || !*text) return;
    const std::wstring wide = Utf8ToUtf16(text, std::strlen(text));
    AppendUnits(wide.c_str(), wide.size());
}

String::String(const wchar_t* text) : String() { AppendString(text); }

String::String(const String& other) : String() { AppendUnits(other.lpString, other.curLength); }

String::~String() { MainAllocator->_Free(lpString); }

String& String::operator=(CTSTR text) {
    const std::size_t n = UnitLength(text);
    if (!n) return Clear();
    const bool inside = lpString && text >= lpString && text < lpString + CapacityOf(lpString);
    if (!inside && n + 1 <= CapacityOf(lpString)) {
        // Fits: reuse the storage (a text copied every frame costs no allocation).
        std::memcpy(lpString, text, n * sizeof(wchar_t));
        curLength = static_cast<unsigned>(n);
        lpString[curLength] = 0;
        return *this;
    }
    String copy(text);  // text may point into this String
    std::swap(lpString, copy.lpString);
    std::swap(curLength, copy.curLength);
    return *this;
}

String& String::operator=(const String& other) {
    if (this == &other) return *this;
    if (!other.curLength) return Clear();
    return *this = other.lpString;
}

String& String::AppendString(CTSTR text, UINT count) {
    return AppendUnits(text, count ? count : UnitLength(text));
}

String& String::AppendUnits(CTSTR text, std::size_t n) {
    if (!text || !n) return *this;
    const std::size_t capacity = CapacityOf(lpString);
    if (lpString && text >= lpString && text < lpString + capacity) {
        const String copy(*this);  // appending a piece of ourselves
        return AppendUnits(copy.lpString + (text - lpString), n);
    }
    if (curLength + n >= UINT_MAX / 4) throw std::bad_alloc();
    if (curLength + n + 1 > capacity) {
        std::size_t grown = capacity ? capacity * 2 : 16;
        if (grown < curLength + n + 1) grown = curLength + n + 1;
        auto* block = static_cast<TSTR>(MainAllocator->_ReAllocate(lpString, grown * sizeof(wchar_t)));
        if (!block) throw std::bad_alloc();
        lpString = block;
    }
    std::memcpy(lpString + curLength, text, n * sizeof(wchar_t));
    curLength += static_cast<unsigned>(n);
    lpString[curLength] = 0;
    return *this;
}

String& String::operator+=(CTSTR text) { return AppendString(text); }
String& String::operator+=(const String& other) { return AppendUnits(other.lpString, other.curLength); }
String& String::operator+=(TCHAR unit) { return unit ? AppendUnits(&unit, 1) : *this; }

String String::operator+(CTSTR text) const {
    String result(*this);
    result += text;
    return result;
}

String String::operator+(const String& other) const {
    String result(*this);
    result += other;
    return result;
}

String& String::operator<<(const String& other) { return *this += other; }
String& String::operator<<(CTSTR text) { return *this += text; }

String& String::operator<<(int value) {
    wchar_t digits[16];
    int n = 0;
    // Work in the negative range so INT_MIN needs no special case.
    int v = value < 0 ? value : -value;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' - v % 10);
        v /= 10;
    } while (v);
    if (value < 0) digits[n++] = L'-';
    wchar_t out[16];
    for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
    return AppendUnits(out, static_cast<std::size_t>(n));
}

BOOL String::Compare(CTSTR text) const {
    CTSTR a = lpString ? lpString : L"";
    CTSTR b = text ? text : L"";
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

int String::ToInt(int base) const {
    if (!lpString || !IsIntegerText(lpString) || base < 0 || base == 1 || base > 36) return 0;
    const wchar_t* p = lpString;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
    if (base == 0) base = p[0] == L'0' ? 8 : 10;
    long long magnitude = 0;
    for (; DigitValue(*p) < base; ++p)
        if (magnitude <= 2147483648LL) magnitude = magnitude * base + DigitValue(*p);
    if (negative) return magnitude >= 2147483648LL ? INT_MIN : static_cast<int>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

String& String::KillSpaces() {
    if (!lpString) return *this;
    std::size_t begin = 0, end = curLength;
    while (begin < end && IsSpace(lpString[begin])) ++begin;
    while (end > begin && IsSpace(lpString[end - 1])) --end;
    if (begin) std::memmove(lpString, lpString + begin, (end - begin) * sizeof(wchar_t));
    lpString[end - begin] = 0;
    curLength = static_cast<unsigned>(UnitLength(lpString));
    return *this;
}

String String::GetToken(int index, TCHAR separator) const {
    CTSTR start = GetTokenOffset(index, separator);
    String token;
    if (!start) return token;
    CTSTR stop = start;
    const CTSTR end = lpString + curLength;
    while (stop < end && *stop != separator) ++stop;
    token.AppendUnits(start, static_cast<std::size_t>(stop - start));
    return token;
}

CTSTR String::GetTokenOffset(int index, TCHAR separator) const {
    if (!lpString || index < 0) return nullptr;
    CTSTR p = lpString;
    const CTSTR end = lpString + curLength;
    for (int seen = 0; seen < index; ++seen) {
        while (p < end && *p != separator) ++p;
        if (p == end) return nullptr;
        ++p;
    }
    return p;
}

String String::Left(UINT count) {
    String left;
    if (count > curLength) {
        AppWarning(L"Bad call to String::Left.  iOffset is bigger than the current length.");
        return left;
    }
    left.AppendUnits(lpString, count);
    return left;
}

String& String::FindReplace(CTSTR find, CTSTR replace) {
    const std::size_t findLength = UnitLength(find);
    if (!findLength || curLength < findLength) return *this;
    const std::size_t replaceLength = UnitLength(replace);
    String result;
    std::size_t i = 0, copiedTo = 0;
    bool changed = false;
    while (i + findLength <= curLength) {
        if (std::memcmp(lpString + i, find, findLength * sizeof(wchar_t)) == 0) {
            result.AppendUnits(lpString + copiedTo, i - copiedTo);
            result.AppendUnits(replace, replaceLength);
            i += findLength;
            copiedTo = i;
            changed = true;
        } else {
            ++i;
        }
    }
    if (!changed) return *this;
    result.AppendUnits(lpString + copiedTo, curLength - copiedTo);
    if (!result.lpString) {
        // Replaced down to nothing: the storage stays, holding an empty text.
        lpString[0] = 0;
        curLength = 0;
        return *this;
    }
    std::swap(lpString, result.lpString);
    std::swap(curLength, result.curLength);
    return *this;
}

String& String::Clear() {
    MainAllocator->_Free(lpString);
    lpString = nullptr;
    curLength = 0;
    return *this;
}
