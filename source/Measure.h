#pragma once
#include "host/HostApi.h"

// Measures the hint text in the font the settings name and stores the result as "baseSizeCX"
// and "baseSizeCY" in the element. False when the font cannot be made: nothing is stored, and
// the caller tells the user (the configure callback) or the log (deactivation, which runs with
// the host's scene mutex held, where no message box may wait for a click).
bool MeasureDefaultText(XElement* element);

namespace gdip { struct Calls; }
bool MeasureDefaultText(XElement* element, const gdip::Calls& calls);
