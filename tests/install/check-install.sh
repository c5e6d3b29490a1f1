#!/usr/bin/env bash
# Builds Brindlet the way a packager does (plain CMake, Release, no presets) in a temporary folder,
# installs it into a DESTDIR and checks the installed tree.
# usage: check-install.sh RENDER_HOST   (a brindlet-render from another build, to load the plug-in)
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
host="$(realpath "${1:?usage: check-install.sh RENDER_HOST}")"
jobs="${JOBS:-$(nproc)}"
work="$(mktemp -d "${TMPDIR:-/tmp}/brindlet-install.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "-- plain Release build in $work/build"
cmake -S "$source_dir" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
  -DBRINDLET_TESTS=OFF -DBRINDLET_BENCH=OFF -DBRINDLET_TOOLS=OFF >"$work/configure.log" ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
DESTDIR="$work/root" cmake --install "$work/build" >/dev/null

prefix="$work/root/usr/local"
plugin="$prefix/lib/vst/brindlet.so"
render="$prefix/bin/brindlet-render"
manpage="$prefix/share/man/man1/brindlet-render.1.gz"

echo "-- installed files"
expected="bin/brindlet-render
lib/vst/brindlet.so
share/doc/brindlet/README.md
share/doc/brindlet/copyright
share/man/man1/brindlet-render.1.gz"
actual="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)"
[ "$(find "$work/root" -mindepth 1 -maxdepth 1)" = "$work/root/usr" ] || fail "files outside the prefix"
[ "$actual" = "$expected" ] || fail "installed files differ:$(diff <(echo "$expected") <(echo "$actual"))"

echo "-- the plug-in needs no C++ run-time, carries no debug information, exports two names"
needed="$(readelf -d "$plugin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')"
echo "   needs: $needed"
case "$needed" in *libstdc++*|*libgcc_s*) fail "plug-in links the shared C++ run-time: $needed" ;; esac
sections="$(readelf -S -W "$plugin")"
grep -qE '\.debug_|\.symtab' <<<"$sections" && fail "plug-in is not stripped"
exported="$(nm -D --defined-only "$plugin" | awk '{print $3}' | sort | tr '\n' ' ')"
[ "$exported" = "VSTPluginMain main " ] || fail "plug-in exports: $exported"
grep -qE '\.debug_|\.symtab' <<<"$(readelf -S -W "$render")" && fail "brindlet-render is not stripped"

echo "-- the installed plug-in loads and processes audio"
info="$("$host" --plugin "$plugin" --info 2>&1)" || fail "$host --info on the installed plug-in: $info"
grep -q "Brindlet" <<<"$info" || fail "--info does not name Brindlet: $info"
info="$("$render" --plugin "$plugin" --info 2>&1)" || fail "installed brindlet-render --info: $info"
(cd "$work" && "$render" --plugin "$plugin" --quiet >"$work/demo.log" 2>&1) ||
  fail "installed brindlet-render could not render the demo: $(cat "$work/demo.log")"
[ "$(find "$work/out/demo" -name '*.wav' -size +100k | wc -l)" -eq 9 ] ||
  fail "the demo render did not write the dry take and eight presets"

echo "-- the manual page renders"
page="$(MANWIDTH=80 man --warnings -l "$manpage" 2>"$work/man.err")" || fail "man -l failed"
[ -s "$work/man.err" ] && fail "man warnings: $(cat "$work/man.err")"
for option in "--plugin PATH" "--all-programs" "--param-at" "--midi" "--json"; do
  grep -q -- "$option" <<<"$page" || fail "manual page lacks $option"
done

echo "-- Ardour runs the installed plug-in"
bash "$source_dir/tests/ardour/check-ardour.sh" "$prefix/lib/vst" || fail "Ardour check"

if ((failures)); then
  echo "install check: $failures failure(s)" >&2
  exit 1
fi
echo "install check passed"
