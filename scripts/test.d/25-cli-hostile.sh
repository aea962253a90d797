#!/usr/bin/env bash
# Broken and hostile files through trelvio-cli built with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan): the fuzzer's seeds and every
# regression file, one run each in a scratch folder. A file that must be
# refused is answered with its request line, a reason and the failure line,
# exit status 1 and nothing left beside it; a file that converts leaves its
# .mml and nothing else; no run may print a sanitizer report.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
cli=$root/build-asan/cli/trelvio-cli
if [ ! -x "$cli" ]; then
  echo "25-cli-hostile: no $cli (./scripts/test builds it)" >&2
  exit 1
fi

failed_line=$'変換に失敗しました。'
ok_line=$'変換に成功しました。'
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Seeds that a conversion must refuse; the other seeds convert.
must_refuse() {
  case "$1" in
    header-* | reader-* | limit-* | analysis-no-track-to-output | song-short-tempo-and-meter) return 0 ;;
    *) return 1 ;;
  esac
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=detect_leaks=1:exitcode=86
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TMPDIR=$scratch/tmp

files=(fuzz/corpus/*.mid)
for f in tests/data/regress/*; do [ -e "$f" ] && files+=("$f"); done
runs=0
for file in "${files[@]}"; do
  name=$(basename "$file")
  base=${name%%.*}
  w=$scratch/run
  rm -rf "$w" "$TMPDIR"
  mkdir -p "$w" "$TMPDIR"
  cp "$file" "$w/$name"
  (cd "$w" && timeout 120 "$cli" "$name" >"$scratch/out" 2>"$scratch/err")
  status=$?
  runs=$((runs + 1))
  if grep -qE 'Sanitizer|runtime error' "$scratch/err"; then
    fail "$name: sanitizer report"
    sed 's/^/    /' "$scratch/err" | head -20 >&2
    continue
  fi
  mapfile -t lines <"$scratch/out"
  [ "${lines[0]:-}" = "$name->$base.mml" ] || fail "$name: request line '${lines[0]:-}'"
  leftovers=$(cd "$w" && find . -mindepth 1 ! -name "$name" ! -name "$base.mml" | head -5)
  [ -z "$leftovers" ] || fail "$name: left behind: $leftovers"
  [ -z "$(ls -A "$TMPDIR")" ] || fail "$name: left files in TMPDIR"
  n=${#lines[@]}
  if [ "$n" -lt 3 ]; then
    fail "$name: exit status $status after only $n log line(s)"
  elif [ "$status" -eq 1 ]; then
    # The failure line, an empty line, and a reason in Japanese just before.
    [ "${lines[n - 2]:-}" = "$failed_line" ] && [ "${lines[n - 1]:-}" = "" ] ||
      fail "$name: status 1 without the failure line"
    [[ "${lines[n - 3]:-}" == *。 ]] || fail "$name: refused without a reason: '${lines[n - 3]:-}'"
    [ ! -e "$w/$base.mml" ] || fail "$name: refused, but $base.mml was left"
    if [[ "$file" == fuzz/corpus/* ]] && ! must_refuse "$base"; then
      fail "$name: refused, but it converts"
    fi
  elif [ "$status" -eq 0 ]; then
    [ "${lines[n - 2]:-}" = "$ok_line" ] || fail "$name: status 0 without the success line"
    [ -s "$w/$base.mml" ] || fail "$name: converted, but no $base.mml"
    if [[ "$file" == fuzz/corpus/* ]] && must_refuse "$base"; then
      fail "$name: converted, but it must be refused"
    fi
  else
    fail "$name: exit status $status"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "25-cli-hostile: $failures check(s) failed over $runs files" >&2
  exit 1
fi
echo "25-cli-hostile: $runs files answered, none left anything behind"
