#pragma once
// Everything the plugin uses of the host library, and the one header of this folder it includes.
//
// Built against the host library's own headers instead (TAVIK_HOST_HEADERS defined, OBSApi.h on
// the include path; see docs/building.md), this header includes those and nothing of ours.
#ifdef TAVIK_HOST_HEADERS
#  include <OBSApi.h>
#else
#  include "host/Alloc.h"
#  include "host/Graphics.h"
#  include "host/ImageSource.h"
#  include "host/Platform.h"
#  include "host/Services.h"
#  include "host/String.h"
#  include "host/XElement.h"
#endif
