#pragma once
#include "host/HostApi.h"

// Reads the companion's shared block once: applies a settings line to `settings` and may
// register the companion hotkey (with `source` as its parameter), and rebuilds the shown text
// in the process-wide state. Nothing is kept open between calls. Returns whether a settings
// line was applied; failures to reach the block are reported on standard output.
bool ReadSharedBlock(XElement* settings, ImageSource* source);
