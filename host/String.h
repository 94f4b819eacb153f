#pragma once
#include "host/Platform.h"

// The host's owned text: UTF-16 code units with a count, one unit per wchar_t (on Linux, where
// wchar_t is wider, each element still holds one UTF-16 unit). Storage comes from MainAllocator.
//
// A String counts as set (IsValid) when its text pointer is not null, its first unit is not zero
// and its count is not zero. Every emptiness test of the plugin is that one.
class HOSTAPI String {
public:
    String() noexcept = default;
    String(CTSTR text);                 // wide text up to its NUL; null gives an unset String
    String(const char* text);           // narrow text in the system's ANSI code page (UTF-8 off Windows)
    String(CTSTR units, std::size_t count);  // exactly `count` units, NULs included
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(CTSTR text);

    String& operator+=(CTSTR text);
    String& operator+=(const String& other);
    String& operator+=(wchar_t unit);
    String operator+(CTSTR text) const;
    String operator+(const String& other) const;

    String& operator<<(const String& other);
    String& operator<<(CTSTR text);
    String& operator<<(int value);      // decimal, with a minus sign when negative

    // Equal when both hold the same units; an unset String equals empty text.
    bool operator==(const String& other) const noexcept;
    bool operator==(CTSTR text) const noexcept;
    bool operator!=(const String& other) const noexcept { return !(*this == other); }
    bool operator!=(CTSTR text) const noexcept { return !(*this == text); }

    // Reads like the C library's wcstol with a 32-bit long: leading white space, an optional
    // sign, the digits of `base` (base 0 guesses from a 0x or 0 prefix, base 16 accepts 0x),
    // stop at the first other character. No digits give 0; a value beyond the 32-bit range
    // gives the nearer end of the range.
    int ToInt(int base = 10) const noexcept;

    // Removes white space (space, tab, CR, LF, vertical tab, form feed) from both ends.
    String& KillSpaces();
    // The token at `index` when the text is split at every `separator`; empty past the end.
    String GetToken(int index, wchar_t separator) const;
    // The text from the start of token `index` (after `index` separators) to the end; null when
    // there are fewer separators. Points into this String.
    CTSTR GetTokenOffset(int index, wchar_t separator) const noexcept;
    // The first `count` units (all of them when the text is shorter).
    String Left(unsigned count) const;
    // Replaces every occurrence of `find`, left to right, without rescanning replaced text.
    // An empty or null `find` changes nothing.
    String& FindReplace(CTSTR find, CTSTR replace);
    // Empties the text; the storage is kept for reuse.
    String& Clear() noexcept;

    bool IsValid() const noexcept { return lpString && lpString[0] && curLength; }
    bool IsEmpty() const noexcept { return !IsValid(); }
    unsigned Length() const noexcept { return curLength; }
    TSTR Array() const noexcept { return lpString; }
    // Never null: empty text when unset.
    CTSTR c_str() const noexcept { return lpString ? lpString : L""; }

    // Appends `count` units as they are.
    String& AppendUnits(CTSTR units, std::size_t count);

private:
    void Reserve(std::size_t units);
    void Release() noexcept;

    TSTR lpString = nullptr;
    unsigned curLength = 0;
    unsigned capacity = 0;   // units the buffer holds, terminator included
};
