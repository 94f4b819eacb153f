#pragma once
// The plugin library's resources, named once for its resource script and its code (the resource
// compiler reads only the preprocessor's part of C).

// The library's manifest: type RT_MANIFEST, id ISOLATIONAWARE_MANIFEST_RESOURCE_ID. The loader
// makes from it the activation context the library's windows are created in.
#define TAVIK_MANIFEST_TYPE 24
#define TAVIK_MANIFEST_ID 2

// The version resource: what Windows shows in the file's properties. The numbers come from the
// build (TAVIK_VERSION_MAJOR, _MINOR, _PATCH, from the project's version).
#define TAVIK_VERSION_ID 1
#define TAVIK_PRODUCT_NAME "Tavik直播点歌"
#define TAVIK_FILE_DESCRIPTION "Tavik直播点歌: OBS Classic 点歌列表来源插件 (song-request list source)"
#define TAVIK_LEGAL_COPYRIGHT "GPL-2.0-or-later"
#define TAVIK_ORIGINAL_FILENAME "TavikSongList.dll"
