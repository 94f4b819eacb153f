#pragma once
#include "host/HostApi.h"

// Reads the companion's shared block once: applies a settings line to `settings`, asks for a new
// hotkey code to be registered (with `source` as its parameter) on the plugin's own thread, and
// rebuilds the shown text in the process-wide state. Nothing is kept open between calls. Returns whether a settings
// line was applied; failures to reach the block are reported on standard output.
bool ReadSharedBlock(XElement* settings, ImageSource* source);
