#pragma once
#include "host/HostApi.h"

// The host's callbacks for the song-list source class.
// A new source over the "data" element the host gives, or null when no storage was obtained.
ImageSource* CreateSongListSource(XElement* settings);
// Opening a source's settings: starts or wakes the companion and sizes the source to its hint
// text. True when the configuration counts as accepted.
bool ConfigureSongListSource(XElement* element);
