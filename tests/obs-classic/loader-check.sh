#!/usr/bin/env bash
# Loads each plugin DLL given with loader_check.exe over OBS Classic's own OBSApi.dll, with Wine's
# loader reporting on what it resolves. Wine loads a DLL whose import has no implementation, with
# a stub in its place, and only warns; Windows refuses to load it. Such a warning fails the check.
#     loader-check.sh WINE_RUN LOADER_DIR PLUGIN.dll...   (plugin paths relative to LOADER_DIR)
set -uo pipefail
wine_run=$1
cd "$2"
shift 2
status=0
for plugin in "$@"; do
  output=$(TAVIK_WINEDEBUG=warn+module "$wine_run" loader_check.exe "$plugin" 2>&1)
  code=$?
  printf '%s\n' "$output" | grep -E '^loader_check:|No implementation for' || true
  if [ $code -ne 0 ]; then
    echo "FAILED: $plugin did not load over the real host library (exit $code)"
    status=1
  elif printf '%s\n' "$output" | grep -q 'No implementation for'; then
    echo "FAILED: $plugin imports a name the real host library does not export"
    status=1
  fi
done
exit $status
