#pragma once
#include "host/HostApi.h"

// Measures the hint text in the font the settings name and stores the result as "baseSizeCX"
// and "baseSizeCY" in the element; a font that cannot be made shows a message instead.
void MeasureDefaultText(XElement* element);

namespace gdip { struct Calls; }
void MeasureDefaultText(XElement* element, const gdip::Calls& calls);
