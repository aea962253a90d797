#!/usr/bin/env bash
# The Windows build under Wine: cross-builds build-win, starts a private X
# display and a throwaway Wine prefix with a Japanese locale, runs the
# Windows test programs through ctest (trelvio-cli.exe's MML is checked by the
# window program's suite), and takes docs/screenshot.png of TRELVIO.exe started
# through `scripts/run --gui`. On a host that cannot run 32-bit code (a
# kernel without IA-32 emulation) the same programs are also built for 64-bit
# Windows (build-win64) and tested there, under 64-bit Wine. Every Wine and X
# step has its own time limit; the display and the prefix's wineserver are
# ended on the way out.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=${JOBS:-2}
started=$SECONDS
fail() { echo "FAIL: $*" >&2; exit 1; }

scripts/setup windows
echo "-- cross-build (build-win)"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j"$jobs"
host=$(scripts/wine-run --host)
win=build-win
wine=wine
if [ "$host" = win64 ]; then
  echo "-- this host runs no 32-bit code: the Windows tests run on the 64-bit build (build-win64)"
  cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-win64 -j"$jobs"
  win=build-win64
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi

scratch=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ ! -d "${WINEPREFIX:-/nonexistent}" ] || timeout 30 wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb writes the free display number it picked.
timeout 1500 Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
  3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.2; done
[ -s "$scratch/display" ] || fail "no X display could be started"
export DISPLAY=:$(cat "$scratch/display")
export WINEPREFIX=$scratch/wine
export WINEARCH=$host WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8  # code page 932 in Wine, as on a Japanese Windows
echo "-- Wine prefix on display $DISPLAY"
timeout 120 "$wine" wineboot -i >/dev/null 2>&1
# No window manager runs: Wine draws the frames and does not wait for one.
timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

echo "-- Windows tests under Wine"
(cd "$win" && TRELVIO_WINE_TIMEOUT=300 timeout 900 ctest --output-on-failure -j"$jobs")

# scripts/run --gui: refused without a display; on it, the window of the
# converted demo is the README's screenshot, and closing it ends with 0.
echo "-- scripts/run --gui and the screenshot"
out=$(env -u DISPLAY timeout 60 scripts/run --gui 2>&1) && fail "scripts/run --gui without a display succeeded"
grep -q 'DISPLAY' <<<"$out" || fail "scripts/run --gui without a display: $out"
mkdir -p "$scratch/gui"
cp examples/demo.mid "$scratch/gui/demo.mid"
TRELVIO_WINE_TIMEOUT=120 timeout 300 scripts/run --gui "$scratch/gui/demo.mid" >"$scratch/gui.log" 2>&1 &
gui_pid=$!
window=
for _ in $(seq 300); do
  window=$(timeout 10 xwininfo -name TRELVIO 2>/dev/null |
           awk '/Window id:/ {id=$4} /IsViewable/ {print id}') || true
  [ -z "$window" ] && kill -0 "$gui_pid" 2>/dev/null || break
  sleep 0.2
done
[ -n "$window" ] || { kill "$gui_pid" 2>/dev/null; fail "no TRELVIO window appeared"; }
[ -f "$scratch/gui/demo.mml" ] || fail "demo.mml was not written"
sleep 1  # the first paint
timeout 60 import -window "$window" -strip -define png:exclude-chunks=date,time docs/screenshot.png
[ "$(timeout 60 identify -format %k docs/screenshot.png)" -gt 4 ] || fail "the screenshot is blank"
timeout 60 "$wine" taskkill /IM TRELVIO.exe >/dev/null 2>&1 || true
wait "$gui_pid" || { sed 's/^/    /' "$scratch/gui.log" >&2; fail "scripts/run --gui did not end with 0"; }
echo "30-windows: TRELVIO.exe converted the demo, closed with 0; docs/screenshot.png;" \
     "passed in $((SECONDS - started)) s"
