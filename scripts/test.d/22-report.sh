#!/usr/bin/env bash
# The conversion report and the round-trip check through trelvio-cli (native
# and sanitizer builds): the JSON report of every seed and a broken file, on
# standard output, is one object per conversion whose counts add up, every
# seed that converts passes the check, and the log is the one without them;
# a report that cannot be written fails the file and leaves no MML.
set -uo pipefail
cd "$(dirname "$0")/../.."
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run_suite() {
  local cli=$1 w
  w=$(mktemp -d "$scratch/w.XXXX")
  cp fuzz/corpus/*.mid "$w/"
  printf 'not a MIDI file' >"$w/broken.mid"
  (cd "$w" && "$cli" ./*.mid >"$w/plain.log")
  (cd "$w" && "$cli" --check --report-format json --report - ./*.mid 2>"$w/watched.log" >"$w/r.json")
  cmp -s "$w/plain.log" "$w/watched.log" || fail "$cli: the log differs with the report and the check"
  python3 - "$w/r.json" "$(ls "$w"/*.mid | wc -l)" <<'EOF' || fail "$cli: the JSON report"
import json, sys
drops = {"chord", "range", "drum_key", "unended", "no_length"}
reports = [json.loads(line) for line in open(sys.argv[1])]
assert len(reports) == int(sys.argv[2]), "one line per conversion"
converted = [r for r in reports if r["converted"]]
assert len(converted) > 10 and all(r["check"] == "passed" for r in converted)
for r in converted:
    for p in r["parts"]:
        lost = sum(l["track"] == p["track"] and l["reason"] in drops for l in r["losses"])
        assert p["notes_in"] == p["notes_out"] + lost and p["bytes"] > 0, (r["source"], p)
EOF
  rm -f "$w"/*.mml
  (cd "$w" && "$cli" --report /dev/full song-reference.mid >/dev/null 2>&1)
  [ $? = 1 ] && [ ! -e "$w/song-reference.mml" ] || fail "$cli: a report that cannot be written"
}

ran=0
for build in build build-asan; do
  cli=$PWD/$build/cli/trelvio-cli
  [ -x "$cli" ] || continue
  echo "-- $build/cli/trelvio-cli"
  run_suite "$cli"
  ran=$((ran + 1))
done
[ "$ran" -gt 0 ] || fail "no trelvio-cli built"
[ "$failures" = 0 ] || { echo "22-report: $failures check(s) failed" >&2; exit 1; }
echo "22-report: all checks passed"
