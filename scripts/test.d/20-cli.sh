#!/usr/bin/env bash
# trelvio-cli in ordinary use (release and sanitizer builds): the exit status,
# the log and the files left. The edges are 25-cli-faults.sh's.
set -uo pipefail
source "$(dirname "$0")/cli_checks.bash"

demo_tracks=$'Track:1\n無音トラックです。\nTrack:2\nTrack:3\nTrack:4\n'
ok=$'変換に成功しました。\n\n'
failed=$'変換に失敗しました。\n\n'
no_source=$'変換元ファイルが開けません。\n'

# The committed demo is what the generator makes.
build/tools/make_demo "$scratch/demo.mid" && cmp -s examples/demo.mid "$scratch/demo.mid" ||
  fail "examples/demo.mid is not what build/tools/make_demo writes"

run_suite() {
  local cli=$1 w out args
  w=$(mktemp -d "$scratch/w.XXXX")
  mkdir "$w/tmp" "$w/folder.mid" "$w/曲"
  export TMPDIR=$w/tmp
  cp examples/demo.mid "$w/a.mid"
  cp examples/demo.mid "$w/曲/live.2002.mid"
  printf 'not a MIDI file' >"$w/b.mid"
  printf 'old\r\n' >"$w/b.mml"

  # Every job of several runs with its own lines; a failure leaves b.mml; the
  # base name ends at the first dot of a UTF-8 name.
  out=$(cd "$w" && "$cli" a.mid b.mid missing.mid folder.mid 曲/live.2002.mid; echo "status=$?")
  expect_text "several files: log" "a.mid->a.mml"$'\n'"$demo_tracks$ok"\
"b.mid->b.mml"$'\n'$'スタンダードMIDIファイルではありません。\n'"$failed"\
"missing.mid->missing.mml"$'\n'"$no_source$failed"\
"folder.mid->folder.mml"$'\n'"$no_source$failed"\
"live.2002.mid->live.mml"$'\n'"$demo_tracks${ok}status=1" "$out"
  expect_text "several files: folder" "a.mid a.mml b.mid b.mml folder.mid tmp 曲 曲/live.2002.mid 曲/live.mml " \
    "$(folder "$w")"
  cmp -s "$w/a.mml" "$w/曲/live.mml" || fail "several files: one song, two MML texts"
  [ "$(head -c 14 "$w/a.mml")" = "; Rhythm Macro" ] && grep -q $'^A .*T96' "$w/a.mml" ||
    fail "several files: a.mml lacks the rhythm macros or the tempo change"

  out=$(cd "$w" && "$cli" -q a.mid b.mid; echo "status=$?")
  expect_text "-q: only the failed job" "b.mid->b.mml"$'\n'$'スタンダードMIDIファイルではありません。\n'"${failed}status=1" "$out"

  # -o PATH (also after the file) names the target; -o - writes the MML to stdout, the log to stderr.
  out=$(cd "$w" && "$cli" a.mid -o out.txt; echo "status=$?")
  expect_text "-o PATH" "a.mid->out.txt"$'\n'"$demo_tracks${ok}status=0" "$out"
  out=$(cd "$w" && "$cli" -o - a.mid 2>"$w/err"; echo "status=$?")
  expect_text "-o -: MML" "$(cat "$w/a.mml")"$'\n'"status=0" "$out"
  expect_text "-o -: log" "a.mid-><stdout>"$'\n'"$demo_tracks$ok." "$(cat "$w/err"; echo .)"

  # Usage: help and version on stdout with status 0; errors on stderr, status 2.
  expect_text "-h" "usage: trelvio-cli [OPTIONS] FILE... 0" "$("$cli" -h | head -1) ${PIPESTATUS[0]}"
  expect_text "--version" "trelvio-cli 1.00 0" "$("$cli" --version) $?"
  for args in "" "-x a.mid" "-o" "-o out.mml a.mid b.mid" "--bogus" "a.mid -"; do
    # shellcheck disable=SC2086
    out=$(cd "$w" && "$cli" $args 2>&1 >/dev/null; echo "status=$?")
    [[ "$out" == *$'\nusage: trelvio-cli'*"status=2" ]] || fail "usage error '$args': $out"
  done
  # After "--" every argument is a file, even one that looks like an option.
  out=$(cd "$w" && "$cli" -- -q; echo "status=$?")
  expect_text "--" "-q->-q.mml"$'\n'"$no_source${failed}status=1" "$out"
}

for cli in $(builds); do
  echo "-- ${cli#"$root"/}"
  run_suite "$cli"
done
[ -n "$(builds)" ] || fail "no trelvio-cli built"
finish 20-cli
