#pragma once
// The simulator's handle owners are the project's own (plugin/Handles.h) under its names.
#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include "plugin/Handles.h"

namespace companion_sim {

using UniqueHandle = unique_handle;  // events, processes, threads, mappings
using UniqueFile = unique_file;      // CreateFileW
using UniqueView = unique_view;      // MapViewOfFile

}  // namespace companion_sim
