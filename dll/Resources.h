#pragma once
// The plugin library's resources, named once for its resource script and its code (the resource
// compiler reads only the preprocessor's part of C).

// The library's manifest: type RT_MANIFEST, id ISOLATIONAWARE_MANIFEST_RESOURCE_ID. The loader
// makes from it the activation context the library's windows are created in.
#define TAVIK_MANIFEST_TYPE 24
#define TAVIK_MANIFEST_ID 2
