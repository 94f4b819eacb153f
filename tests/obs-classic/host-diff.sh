#!/usr/bin/env bash
# Runs the host-library operations the plugin uses against our host layer and against OBS
# Classic's own OBSApi.dll, and compares what they gave, line by line.
#     host-diff.sh WINE_RUN BIN_DIR
set -euo pipefail
wine_run=$1
bin=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$bin" && "$wine_run" host_diff_ours.exe "Z:$out/ours.txt" "Z:$out/ours.xconfig")
(cd "$bin/obs-classic" && "$wine_run" host_diff_real.exe "Z:$out/real.txt" "Z:$out/real.xconfig")
if diff -u --label "our host layer" --label "OBS Classic's OBSApi.dll" "$out/ours.txt" "$out/real.txt"; then
  echo "host_diff: $(wc -l < "$out/real.txt") cases, the same results from both libraries"
else
  echo "FAILED: our host layer and the real library differ (lines above: - ours, + real)"
  exit 1
fi
