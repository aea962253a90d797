#!/usr/bin/env bash
# The report, the round-trip check and --to-midi through trelvio-cli over every
# seed and a broken file. The JSON report: one object per conversion (its counts
# are added up by the unit tests' replay of the same seeds), the check passed
# wherever the song converts, the log unchanged by either; a report that cannot be written fails the file and leaves no MML. The
# MIDI file of each MML, read by an independent parser (python3-mido): every note
# the MML writes sounds (a drum hit of several pieces as several hits), every
# track ends on one tick; the default name, -o, and a broken text.
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
reports = [json.loads(line) for line in open(sys.argv[1])]
assert len(reports) == int(sys.argv[2]), "one line per conversion"
converted = [r for r in reports if r["converted"]]
assert len(converted) > 10 and all(r["check"] == "passed" and r["parts"] for r in converted)
PY
  (cd "$w" && "$cli" --to-midi ./*.mml >/dev/null) || fail "--to-midi failed"
  for seed in fuzz/corpus/*.mid; do cmp -s "$seed" "$w/${seed##*/}" || fail "$seed: the song changed"; done
  /usr/bin/python3 - "$w" <<'EOF' || fail "the MIDI files do not play their MML"
import glob, re, sys, mido
bad = []
for mml in sorted(glob.glob(sys.argv[1] + "/*.mml")):
    # Notes per part, counted from the text: a melodic piece without "&"
    # ends a note; every macro call or "g" of a rhythm part is a hit.
    bodies, rhythm, seen = {}, set(), set()
    for line in open(mml, newline="").read().split("\r\n"):
        if not re.match(r"[A-F] ", line): continue
        part, text = line[0], line[2:]
        if text == "=1": rhythm.add(part); continue
        if part not in seen: seen.add(part); continue  # the header line
        bodies[part] = bodies.get(part, "") + text
    counts = [len(re.findall(r"![A-Za-z]{2} |g", b)) if p in rhythm else
              len(re.findall(r"[a-g]\+?\d*(?![\d+&])", b)) for p, b in bodies.items()]
    midi = mido.MidiFile(mml[:-4] + "-mml.mid")
    ends, heard = [], []
    for track in midi.tracks:
        now, sounding, heard = 0, {}, heard + [0]
        for m in track:
            now += m.time
            if m.type == "note_on" and m.velocity > 0: sounding[m.note] = now
            elif m.type in ("note_off", "note_on") and now > sounding.pop(m.note, now): heard[-1] += 1
        ends.append(now)
    if heard[1:] != counts or len(set(ends)) != 1: bad.append((mml, counts, heard[1:], ends))
sys.exit("\n".join(map(str, bad)) or None)
EOF

  # The default name is neither the song's nor its MML's, also when converted again.
  printf 'A T120V120@0Ll4\r\nA o4c&d\r\n\r\n' >"$w/broken.mml"
  out=$(cd "$w" && "$cli" --to-midi -o named.mid song-reference.mml 2>&1; "$cli" --to-midi broken.mml 2>&1; echo "status=$?")
  [ "$out" = $'song-reference.mml->named.mid\n変換に成功しました。\n\nbroken.mml->broken-mml.mid\nbroken.mml:2:7: found another note, expected the tied note\n変換に失敗しました。\n\nstatus=1' ] ||
    fail "-o and a broken text: $out"
  cmp -s "$w/named.mid" "$w/song-reference-mml.mid" || fail "-o wrote another file"
  [ ! -e "$w/broken-mml.mid" ] || fail "a broken text left a MIDI file"
  (cd "$w" && "$cli" -q song-reference-mml.mid) && [ -f "$w/song-reference-mml.mml" ] ||
    fail "converting the MIDI file again does not target BASE-mml.mml"
  rm -f "$w"/*.mml
  (cd "$w" && "$cli" --report /dev/full song-reference.mid >/dev/null 2>&1)
  [ $? = 1 ] && [ ! -e "$w/song-reference.mml" ] || fail "$cli: a report that cannot be written"
done
[ -n "$(builds)" ] || fail "no trelvio-cli built"
finish 22-report-and-midi
