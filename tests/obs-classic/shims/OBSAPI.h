// OBS Classic includes its host library's header as "OBSAPI.h" in places; the file is OBSApi.h.
#pragma once
#include "OBSApi.h"
