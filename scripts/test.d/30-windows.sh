#!/usr/bin/env bash
# The Windows build under Wine: cross-builds build-win, starts a private X
# display and a throwaway 32-bit Wine prefix, runs every Windows test program
# through ctest, and checks that trelvio-cli.exe writes the same MML as the
# native trelvio-cli. Every Wine and X step has its own time limit, and the
# display and the prefix's wineserver are ended on the way out.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
jobs=${JOBS:-2}
started=$SECONDS

scripts/setup windows

echo "-- cross-build (build-win)"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j"$jobs"

scratch=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display number nobody uses; Xvfb itself ends at the latest after the
# stage's own time budget.
display=
for n in $(seq 91 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  timeout 1500 Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.2
  done
  if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    display=:$n
    break
  fi
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
done
[ -n "$display" ] || { echo "30-windows: no X display could be started" >&2; exit 1; }
export DISPLAY=$display

export WINEPREFIX=$scratch/wine
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "-- Wine prefix on display $DISPLAY"
timeout 120 wineboot -i >/dev/null 2>&1
# No window manager runs on the display: Wine places the windows itself and
# does not wait for one when a window is hidden.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

echo "-- Windows tests under Wine"
(cd build-win && TRELVIO_WINE_TIMEOUT=300 timeout 900 ctest --output-on-failure -j"$jobs")

# The same files through both command-line converters give the same bytes.
echo "-- trelvio-cli.exe against the native trelvio-cli"
native_cli=$root/build/cli/trelvio-cli
windows_cli=$root/build-win/cli/trelvio-cli.exe
if [ ! -x "$native_cli" ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$jobs" --target trelvio-cli
fi
mkdir -p "$scratch/native" "$scratch/windows"
count=0
for f in examples/*.mid tests/data/*.mid tests/data/*/*.mid fuzz/corpus/*; do
  [ -f "$f" ] || continue
  name=$(printf '%03d' "$count").mid
  cp "$f" "$scratch/native/$name"
  cp "$f" "$scratch/windows/$name"
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "30-windows: no MIDI files to compare" >&2; exit 1; }
# Cut-off copies of the demo take the refusal paths on both sides as well.
demo_size=$(stat -c %s examples/demo.mid)
for cut in 10 14 22 40 $((demo_size / 2)) $((demo_size - 1)); do
  name=cut-$cut.mid
  head -c "$cut" examples/demo.mid >"$scratch/native/$name"
  cp "$scratch/native/$name" "$scratch/windows/$name"
  count=$((count + 1))
done
native_status=0
(cd "$scratch/native" && "$native_cli" -q *.mid >/dev/null 2>&1) || native_status=$?
windows_status=0
(cd "$scratch/windows" && TRELVIO_WINE_TIMEOUT=300 "$root/scripts/wine-run" "$windows_cli" -q *.mid \
   >/dev/null 2>&1) || windows_status=$?
failures=0
if [ "$native_status" != "$windows_status" ]; then
  echo "FAIL: exit status native $native_status, Windows $windows_status" >&2
  failures=$((failures + 1))
fi
if [ "$(cd "$scratch/native" && ls)" != "$(cd "$scratch/windows" && ls)" ]; then
  echo "FAIL: the two converters left different files" >&2
  failures=$((failures + 1))
fi
converted=0
for mml in "$scratch/native"/*.mml; do
  [ -f "$mml" ] || continue
  converted=$((converted + 1))
  cmp "$mml" "$scratch/windows/$(basename "$mml")" >&2 || failures=$((failures + 1))
done
[ "$converted" -gt 0 ] || { echo "FAIL: nothing was converted" >&2; failures=$((failures + 1)); }
if [ "$failures" -gt 0 ]; then
  echo "30-windows: $failures comparison(s) failed" >&2
  exit 1
fi
echo "30-windows: $count files: $converted converted to the same MML by both builds, the rest refused by both"
echo "30-windows: passed in $((SECONDS - started)) s"
