#pragma once
// What a companion message to a source window does to the source's registry record and settings.
// The window procedure decodes the message and calls these; they touch no Win32.
#include <cstdint>

#include "plugin/Registry.h"

// A WM_COPYDATA code (compared in full) with its decoded payload:
//   1    the record's text becomes the payload (also for a record without settings);
//   101  "key|value": the integer value under key;
//   102  "key|value": the text value under key;
//   103  "key|value": the integer value made opaque (alpha 0xFF) under key;
//   200  the payload as one line of the host log, taken literally;
//   203  the payload made opaque under "RandomForeColor", when the payload is set.
// The key and the value must both be set. Codes other than 1 need the record's settings; every
// other code does nothing.
void ApplyCopyData(SourceRecord& record, std::uintptr_t code, const String& payload);

// Messages 1029 (ANSI, `value` 1) and 1030 (UTF-16, `value` 0): the process-wide switch takes
// the value, and so does the record's "usingASCII" setting when the record has settings.
void ApplyPayloadEncoding(SourceRecord& record, int value, int& usingAscii);
