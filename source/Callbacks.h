#pragma once
#include "host/HostApi.h"

// The host's callbacks for the song-list source class.
// A new source (an ImageSource) over the "data" element the host gives, or null when no storage
// was obtained.
LPVOID STDCALL CreateSongListSource(XElement* settings);
// Opening a source's settings: starts or wakes the companion and sizes the source to its hint
// text. True when the configuration counts as accepted. Whether the host is initialising the
// source does not change what is done. The host calls it without its scene mutex while frames
// read and write the same element: the callback takes the mutex while it reads and writes the
// element, never while it starts or wakes the companion or shows a message.
bool STDCALL ConfigureSongListSource(XElement* element, bool initializing);

namespace gdip { struct Calls; }
// The same with the GDI and GDI+ calls of its measuring given, for tests.
bool ConfigureSongListSourceWith(XElement* element, const gdip::Calls& calls) noexcept;
