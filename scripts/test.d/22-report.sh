#!/usr/bin/env bash
# The JSON report and the round-trip check through trelvio-cli over every seed
# and a broken file: one object per conversion whose counts add up, the check
# passed wherever the song converts, the log unchanged by either; a report
# that cannot be written fails the file and leaves no MML.
set -uo pipefail
source "$(dirname "$0")/cli_checks.bash"

for cli in $(builds); do
  echo "-- ${cli#"$root"/}"
  w=$(mktemp -d "$scratch/w.XXXX")
  cp fuzz/corpus/*.mid "$w/"
  printf 'not a MIDI file' >"$w/broken.mid"
  (cd "$w" && "$cli" ./*.mid >"$w/plain.log")
  (cd "$w" && "$cli" --check --report-format json --report - ./*.mid 2>"$w/watched.log" >"$w/r.json")
  cmp -s "$w/plain.log" "$w/watched.log" || fail "$cli: the log differs with the report and the check"
  python3 - "$w/r.json" "$(ls "$w"/*.mid | wc -l)" <<'PY' || fail "$cli: the JSON report"
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
PY
  rm -f "$w"/*.mml
  (cd "$w" && "$cli" --report /dev/full song-reference.mid >/dev/null 2>&1)
  [ $? = 1 ] && [ ! -e "$w/song-reference.mml" ] || fail "$cli: a report that cannot be written"
done
[ -n "$(builds)" ] || fail "no trelvio-cli built"
finish 22-report
