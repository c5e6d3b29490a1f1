#!/usr/bin/env bash
# Has Ardour (its headless Lua session, ardour7-lua) find the installed Brindlet, instantiate it
# and process audio. Skips when Ardour is absent.
# usage: check-ardour.sh [FOLDER]   FOLDER: where brindlet.so is, when not in Ardour's default
#                                   VST path (/usr/lib/vst, /usr/local/lib/vst and others)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
ardour_lua="$(command -v ardour7-lua ardour8-lua 2>/dev/null | head -n 1 || true)"
if [ -z "$ardour_lua" ]; then
  echo "SKIP: Ardour is not installed (apt install ardour)"
  exit 0
fi
libdir="$(sed -n 's/^export LD_LIBRARY_PATH=\([^$]*\)\$.*/\1/p' "$ardour_lua")"
libdir="${libdir%:}"
scanner="$libdir/ardour-vst-scanner"

folder="${1:-}"
if [ -n "$folder" ]; then
  plugin="$(realpath "$folder")/brindlet.so"
else
  for candidate in /usr/local/lib/vst/brindlet.so /usr/lib/vst/brindlet.so; do
    [ -f "$candidate" ] && plugin="$candidate" && break
  done
  if [ -z "${plugin:-}" ]; then
    echo "SKIP: Brindlet is not installed in /usr/local/lib/vst or /usr/lib/vst (make install)"
    exit 0
  fi
fi
[ -f "$plugin" ] || { echo "FAIL: no $plugin" >&2; exit 1; }

# Ardour's caches, settings and the session stay in a scratch folder.
work="$(mktemp -d "${TMPDIR:-/tmp}/brindlet-ardour.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"

# Ardour indexes a new VST module in a separate process before it offers it; its window does
# this at start-up, the headless session only reads the index. An index written in the same
# second as the module counts as stale, so a module installed just now waits for that second.
while [ "$(date +%s)" -le "$(stat -c %Y "$plugin")" ]; do sleep 0.2; done
LD_LIBRARY_PATH="$libdir" timeout 60 "$scanner" --force --quiet "$plugin" ||
  { echo "FAIL: Ardour's VST scanner rejected $plugin" >&2; exit 1; }

output="$(BRINDLET_VST_DIR="${folder:+$(dirname "$plugin")}" BRINDLET_SESSION_DIR="$work/session" \
  timeout 120 "$ardour_lua" "$here/brindlet-in-ardour.lua" 2>&1)" || true
grep -E '^(VST path|found|instantiated|processed|RESULT)' <<<"$output" | sed 's/^/   /'
grep -qx "RESULT ok" <<<"$output" || { echo "FAIL: Ardour did not run Brindlet:" >&2; echo "$output" >&2; exit 1; }
echo "Ardour check passed"
