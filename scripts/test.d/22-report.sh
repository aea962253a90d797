#!/usr/bin/env bash
# The conversion report and the round-trip check through trelvio-cli (native
# and sanitizer builds): the MML and the log are the same with and without
# them; the JSON report of the demo, a broken file and every seed is one
# valid object per conversion whose counts add up; every seed that converts
# passes the check; a report that cannot be created fails before any MML.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run_suite() {
  local cli=$1 w plain watched
  w=$(mktemp -d "$scratch/w.XXXX")
  cp examples/demo.mid "$w/a.mid"
  printf 'not a MIDI file' >"$w/b.mid"
  plain=$(cd "$w" && "$cli" a.mid b.mid; echo "status=$?")
  cp "$w/a.mml" "$w/plain.mml"
  watched=$(cd "$w" && "$cli" --check --report r.txt a.mid b.mid; echo "status=$?")
  [ "$plain" = "$watched" ] || fail "$cli: the log differs with --report and --check"
  cmp -s "$w/plain.mml" "$w/a.mml" || fail "$cli: the MML differs with --report and --check"
  grep -qx '  check: passed' "$w/r.txt" || fail "$cli: the demo's check did not pass"
  # On standard output the report leaves the log on standard error.
  watched=$(cd "$w" && "$cli" --report - a.mid b.mid 2>&1 >"$w/r2.txt"; echo "status=$?")
  [ "$plain" = "$watched" ] || fail "$cli: --report - changed the log"
  cmp -s <(grep -v '^  check: ' "$w/r.txt") "$w/r2.txt" || fail "$cli: --report - wrote another report"

  cp fuzz/corpus/*.mid "$w/"
  (cd "$w" && "$cli" -q --check --report-format json --report r.json a.mid b.mid ./*-*.mid >/dev/null)
  python3 - "$w/r.json" "$(ls fuzz/corpus/*.mid | wc -l)" <<'EOF' || fail "$cli: the JSON report"
import json, sys
drops = {"chord", "range", "drum_key", "unended", "no_length"}
lines = open(sys.argv[1]).read().splitlines()
assert len(lines) == int(sys.argv[2]) + 2, "one line per conversion"
converted = 0
for line in lines:
    r = json.loads(line)
    assert r["source"] and r["target"] and isinstance(r["losses"], list), line
    if not r["converted"]:
        continue
    converted += 1
    assert r["check"] == "passed", r
    for p in r["parts"]:
        lost = sum(1 for l in r["losses"] if l["track"] == p["track"] and l["reason"] in drops)
        assert p["notes_in"] == p["notes_out"] + lost, (r["source"], p)
        assert p["end_tick"] > 0 and p["bytes"] > 0, p
assert converted > 10, converted
EOF

  # A report that cannot be created fails before anything is converted.
  rm -f "$w/a.mml"
  (cd "$w" && "$cli" --report "$w" a.mid >/dev/null 2>&1)
  [ $? = 1 ] || fail "$cli: a report that cannot be created: status"
  [ ! -e "$w/a.mml" ] || fail "$cli: a report that cannot be created: MML written"
  (cd "$w" && "$cli" --report-format xml --report r a.mid >/dev/null 2>&1)
  [ $? = 2 ] || fail "$cli: --report-format xml: status"
}

ran=0
for build in build build-asan; do
  cli=$root/$build/cli/trelvio-cli
  [ -x "$cli" ] || continue
  echo "-- $build/cli/trelvio-cli"
  run_suite "$cli"
  ran=$((ran + 1))
done
[ "$ran" -gt 0 ] || fail "no trelvio-cli built"
if [ "$failures" -gt 0 ]; then
  echo "22-report: $failures check(s) failed" >&2
  exit 1
fi
echo "22-report: all checks passed"
