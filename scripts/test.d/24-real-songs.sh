#!/usr/bin/env bash
# Real songs no one here wrote: the 31 of Debian's openttd-openmsx, converted
# plain and with --keep-notes, both with the check and a JSON report. Prints,
# per song and in all, the share of the source's note-ons that reach the MML
# each way. Every song converts and passes its check both ways; keeping the
# notes, at least 85% of all note-ons are written, every part ends at one
# tick, the MIDI file of each MML (--to-midi,
# read by python3-mido) has tracks of one length, and the kept share is at
# least the plain one for every song.
set -uo pipefail
source "$(dirname "$0")/cli_checks.bash"
songs=/usr/share/games/openttd/baseset/openmsx
[ -d "$songs" ] || { fail "no songs in $songs (scripts/setup installs openttd-openmsx)"; finish 24-real-songs; }
cli=$root/build/cli/trelvio-cli
for mode in plain keep; do
  mkdir -p "$scratch/$mode"
  cp "$songs"/*.mid "$scratch/$mode/"
  opts=(); [ "$mode" = keep ] && opts=(--keep-notes)
  (cd "$scratch/$mode" && "$cli" -q "${opts[@]}" --check --report-format json --report r.json ./*.mid) ||
    fail "$mode: a song did not convert"
done
(cd "$scratch/keep" && "$cli" -q --to-midi ./*.mml) || fail "keep: --to-midi failed"
/usr/bin/python3 - "$scratch" <<'PY' || fail "the reports or the MIDI files of the kept notes"
import glob, json, os, sys
import mido
scratch = sys.argv[1]
def shares(mode):
    out = {}
    for line in open(os.path.join(scratch, mode, "r.json")):
        r = json.loads(line)
        assert r["converted"] and r["check"] == "passed", (mode, r["source"])
        written = sum(p["notes_out"] for p in r["parts"])
        source = sum(p["notes_in"] for p in r["parts"]) + sum(
            l.get("notes", 0) for l in r["losses"] if l["reason"] in ("part_limit", "voice_limit"))
        if mode == "keep":
            assert len({p["end_tick"] for p in r["parts"]}) == 1, ("parts end apart", r["source"])
        out[os.path.basename(r["source"])] = (written, source)
    return out
plain, keep = shares("plain"), shares("keep")
print("| song | note-ons | plain | --keep-notes |")
print("|---|---:|---:|---:|")
for song in sorted(keep):
    (pw, _), (kw, ks) = plain[song], keep[song]
    print("| %s | %d | %.1f%% | %.1f%% |" % (song[:-4], ks, 100 * pw / ks, 100 * kw / ks))
    assert kw >= pw, ("fewer notes kept than written plainly", song)
total = sum(s for _, s in keep.values())
kept = sum(w for w, _ in keep.values())
print("| all %d songs | %d | %.1f%% | %.1f%% |" % (len(keep), total, 100 * sum(w for w, _ in plain.values()) / total,
                                                 100 * kept / total))
assert kept >= 0.85 * total, ("keeping the notes writes less than 85% of the note-ons", kept, total)
for path in glob.glob(os.path.join(scratch, "keep", "*-mml.mid")):
    ends = {sum(m.time for m in track) for track in mido.MidiFile(path).tracks}
    assert len(ends) == 1, ("tracks of the MIDI file end apart", path, ends)
PY
finish 24-real-songs
