#pragma once
#include "host/HostApi.h"

// The host's callbacks for the song-list source class.
// A new source (an ImageSource) over the "data" element the host gives, or null when no storage
// was obtained.
LPVOID STDCALL CreateSongListSource(XElement* settings);
// Opening a source's settings: starts or wakes the companion and sizes the source to its hint
// text. True when the configuration counts as accepted. Whether the host is initialising the
// source does not change what is done.
bool STDCALL ConfigureSongListSource(XElement* element, bool initializing);
