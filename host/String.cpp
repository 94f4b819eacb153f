#include "host/String.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <new>

#include "host/Alloc.h"
#include "host/Utf.h"

namespace {

std::size_t UnitLength(CTSTR text) noexcept {
    if (!text) return 0;
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

bool IsSpace(wchar_t c) noexcept {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

int DigitValue(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'z') return c - L'a' + 10;
    if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
    return 99;
}

}  // namespace

String::String(CTSTR text) { AppendUnits(text, UnitLength(text)); }

String::String(const char* text) {
    if (!text || !*text) return;
    std::wstring wide = NarrowToWide(text);
    AppendUnits(wide.data(), wide.size());
}

String::String(CTSTR units, std::size_t count) { AppendUnits(units, count); }

String::String(const String& other) { AppendUnits(other.lpString, other.curLength); }

String::String(String&& other) noexcept
    : lpString(other.lpString), curLength(other.curLength), capacity(other.capacity) {
    other.lpString = nullptr;
    other.curLength = other.capacity = 0;
}

String::~String() { Release(); }

void String::Release() noexcept {
    MainAllocator->Free(lpString);
    lpString = nullptr;
    curLength = capacity = 0;
}

String& String::operator=(const String& other) {
    if (this == &other) return *this;
    if (other.curLength + 1 <= capacity) {
        // Fits: reuse the storage (a text copied every frame costs no allocation).
        if (other.curLength) std::memcpy(lpString, other.lpString, other.curLength * sizeof(wchar_t));
        curLength = other.curLength;
        lpString[curLength] = 0;
        return *this;
    }
    String copy(other);
    *this = std::move(copy);
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        Release();
        lpString = other.lpString;
        curLength = other.curLength;
        capacity = other.capacity;
        other.lpString = nullptr;
        other.curLength = other.capacity = 0;
    }
    return *this;
}

String& String::operator=(CTSTR text) {
    const std::size_t n = UnitLength(text);
    const bool inside = lpString && text >= lpString && text < lpString + capacity;
    if (n && n + 1 <= capacity && !inside) {
        std::memcpy(lpString, text, n * sizeof(wchar_t));
        curLength = static_cast<unsigned>(n);
        lpString[curLength] = 0;
        return *this;
    }
    String copy(text);  // text may point into this String
    *this = std::move(copy);
    return *this;
}

void String::Reserve(std::size_t units) {
    if (units + 1 <= capacity) return;
    if (units >= UINT_MAX / 2) throw std::bad_alloc();
    std::size_t grown = capacity ? capacity * 2u : 16u;
    if (grown < units + 1) grown = units + 1;
    auto* block = static_cast<TSTR>(MainAllocator->Allocate(grown * sizeof(wchar_t)));
    if (!block) throw std::bad_alloc();
    if (lpString) std::memcpy(block, lpString, (curLength + 1) * sizeof(wchar_t));
    else block[0] = 0;
    MainAllocator->Free(lpString);
    lpString = block;
    capacity = static_cast<unsigned>(grown);
}

String& String::AppendUnits(CTSTR units, std::size_t count) {
    if (!units || !count) return *this;
    if (lpString && units >= lpString && units < lpString + capacity) {
        String copy(units, count);  // appending a piece of ourselves
        return AppendUnits(copy.lpString, copy.curLength);
    }
    Reserve(curLength + count);
    std::memcpy(lpString + curLength, units, count * sizeof(wchar_t));
    curLength += static_cast<unsigned>(count);
    lpString[curLength] = 0;
    return *this;
}

String& String::operator+=(CTSTR text) { return AppendUnits(text, UnitLength(text)); }
String& String::operator+=(const String& other) { return AppendUnits(other.lpString, other.curLength); }
String& String::operator+=(wchar_t unit) { return AppendUnits(&unit, 1); }

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

bool String::operator==(const String& other) const noexcept {
    if (curLength != other.curLength) return false;
    return curLength == 0 || std::memcmp(lpString, other.lpString, curLength * sizeof(wchar_t)) == 0;
}

bool String::operator==(CTSTR text) const noexcept {
    std::size_t n = UnitLength(text);
    if (n != curLength) return false;
    return n == 0 || std::memcmp(lpString, text, n * sizeof(wchar_t)) == 0;
}

int String::ToInt(int base) const noexcept {
    if (!lpString || base < 0 || base == 1 || base > 36) return 0;
    const wchar_t* p = lpString;
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
    const bool hexPrefix = p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && DigitValue(p[2]) < 16;
    if (base == 0) base = hexPrefix ? 16 : (p[0] == L'0' ? 8 : 10);
    if (base == 16 && hexPrefix) p += 2;
    long long magnitude = 0;
    bool saturated = false;
    for (; DigitValue(*p) < base; ++p) {
        if (!saturated) {
            magnitude = magnitude * base + DigitValue(*p);
            if (magnitude > 2147483648LL) saturated = true;
        }
    }
    if (negative) return magnitude >= 2147483648LL ? INT_MIN : static_cast<int>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

String& String::KillSpaces() {
    if (!lpString) return *this;
    unsigned begin = 0, end = curLength;
    while (begin < end && IsSpace(lpString[begin])) ++begin;
    while (end > begin && IsSpace(lpString[end - 1])) --end;
    if (begin) std::memmove(lpString, lpString + begin, (end - begin) * sizeof(wchar_t));
    curLength = end - begin;
    lpString[curLength] = 0;
    return *this;
}

String String::GetToken(int index, wchar_t separator) const {
    CTSTR start = GetTokenOffset(index, separator);
    if (!start) return String();
    CTSTR stop = start;
    const CTSTR end = lpString + curLength;
    while (stop < end && *stop != separator) ++stop;
    return String(start, static_cast<std::size_t>(stop - start));
}

CTSTR String::GetTokenOffset(int index, wchar_t separator) const noexcept {
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

String String::Left(unsigned count) const {
    return String(lpString, count < curLength ? count : curLength);
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
    *this = std::move(result);
    return *this;
}

String& String::Clear() noexcept {
    curLength = 0;
    if (lpString) lpString[0] = 0;
    return *this;
}
