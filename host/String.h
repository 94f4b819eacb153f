#pragma once
#include "host/Platform.h"

// The host's owned text: UTF-16 code units, one unit per wchar_t (on Linux, where wchar_t is
// wider, each element still holds one UTF-16 unit), always terminated, with a count. Its layout
// is the host library's: the text pointer and the count, nothing else. Storage comes from
// MainAllocator; an empty String may hold no storage at all (Array() is then null).
//
// A String counts as set (IsValid) when its text pointer is not null, its first unit is not zero
// and its count is not zero. Every emptiness test of the plugin is that one.
class HOSTAPI String {
public:
    String();
    String(const char* text);  // narrow text in UTF-8
    String(const wchar_t* text);  // wide text up to its NUL; null gives an empty String
    String(const String& other);
    ~String();

    String& operator=(CTSTR text);
    String& operator+=(CTSTR text);
    String operator+(CTSTR text) const;
    String& operator+=(TCHAR unit);
    String& operator=(const String& other);
    String& operator+=(const String& other);
    String operator+(const String& other) const;

    String& operator<<(CTSTR text);
    String& operator<<(int value);  // decimal, with a minus sign when negative
    String& operator<<(const String& other);

    // Equal when both hold the same text up to its first NUL; an empty String equals empty text.
    BOOL operator==(const String& other) const { return Compare(other.lpString); }
    BOOL operator!=(const String& other) const { return !Compare(other.lpString); }
    BOOL operator==(CTSTR text) const { return Compare(text); }
    BOOL operator!=(CTSTR text) const { return !Compare(text); }
    BOOL Compare(CTSTR text) const;

    // Replaces every occurrence of `find`, left to right, without rescanning replaced text. A
    // text replaced down to nothing keeps its storage. An empty or null `find` changes nothing
    // here; the host library's own loops forever on it, so callers never pass one.
    String& FindReplace(CTSTR find, CTSTR replace);
    // Appends `count` units of `text`, or all of it up to its NUL when `count` is 0.
    String& AppendString(CTSTR text, UINT count = 0);
    // Empties the text and gives its storage back.
    String& Clear();

    // The token at `index` when the text is split at every `separator`; empty past the end.
    String GetToken(int index, TCHAR separator = ' ') const;
    // The text from the start of token `index` (after `index` separators) to the end; null when
    // there are fewer separators. Points into this String.
    CTSTR GetTokenOffset(int index, TCHAR separator = ' ') const;
    // The first `count` units; more units than the text holds give an empty String and a warning
    // in the log.
    String Left(UINT count);

    // When the whole text is an optional sign and decimal digits (at least one), those read in
    // `base` as far as they are its digits (0: a leading 0 means octal), clamped to the 32-bit
    // range; 0 for any other text.
    int ToInt(int base = 10) const;

    BOOL IsEmpty() const { return !lpString || !*lpString || curLength == 0; }
    BOOL IsValid() const { return !IsEmpty(); }

    // Removes spaces, tabs and ideographic spaces (U+3000) from both ends, not line breaks; the
    // count becomes the length of what is left up to its first NUL.
    String& KillSpaces();

    TSTR Array() const { return lpString; }
    UINT Length() const { return curLength; }

private:
    // Appends exactly `count` units (none for 0).
    String& AppendUnits(CTSTR units, std::size_t count);

    TSTR lpString;
    unsigned int curLength;
};
