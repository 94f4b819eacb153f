#pragma once
// Reading host texts and settings the same way everywhere, against either host library.
#include "host/HostApi.h"

// The text of a String, empty text when it holds none (an empty String may hold no storage).
inline CTSTR TextOf(const String& text) { return text.Array() ? text.Array() : L""; }

// A String of exactly `count` units.
inline String TextFromUnits(const wchar_t* units, std::size_t count) {
    String text;
    if (count) text.AppendString(units, static_cast<UINT>(count));
    return text;
}

// Settings read from an element that may be missing, as if it held no keys. The host library
// takes a text default as non-constant text, which it only hands back, and gives null for a
// value stored empty: that reads as empty text.
inline CTSTR ReadText(const XElement* element, CTSTR key, CTSTR def) {
    if (!element) return def;
    CTSTR text = element->GetString(key, const_cast<TSTR>(def));
    return text ? text : L"";
}
// A number stored as empty text counts as missing: the host library would read it through a
// null pointer.
inline bool HoldsNumberText(const XElement* element, CTSTR key) { return element && element->GetString(key); }
inline int ReadInt(const XElement* element, CTSTR key, int def) {
    return HoldsNumberText(element, key) ? element->GetInt(key, def) : def;
}
inline float ReadFloat(const XElement* element, CTSTR key, float def) {
    return HoldsNumberText(element, key) ? element->GetFloat(key, def) : def;
}
