#!/usr/bin/env bash
# End-to-end tests of trelvio-cli: each built binary (native, and the
# sanitizer build when present) converts real files in a scratch directory;
# the exit status, the printed log and the files left behind are checked.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_status() {  # label actual expected
  [ "$2" = "$3" ] || fail "$1: exit status $2, expected $3"
}
expect_text() {  # label expected actual
  if [ "$2" != "$3" ]; then
    fail "$1"
    diff -u <(printf '%s' "$2") <(printf '%s' "$3") | sed 's/^/    /' >&2
  fi
}
expect_files() {  # label directory names...
  local label=$1 dir=$2
  shift 2
  expect_text "$label: files" "$(printf '%s\n' "$@" | LC_ALL=C sort)" \
    "$(cd "$dir" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)"
}
expect_same() {  # label file1 file2
  cmp -s "$2" "$3" || fail "$1: $2 and $3 differ"
}

# The demo's log lines between the request line and the result line.
demo_tracks=$'Track:1\n無音トラックです。\nTrack:2\nTrack:3\nTrack:4\n'
ok=$'変換に成功しました。\n\n'
failed=$'変換に失敗しました。\n\n'
not_smf=$'スタンダードMIDIファイルではありません。\n'
no_source=$'変換元ファイルが開けません。\n'
no_target=$'変換先ファイルを作成できません。\n'

# The committed demo is what the generator makes.
demo_tools=build/tools/make_demo
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ -x "$demo_tools" ]; then
  "$demo_tools" "$scratch/demo.mid" && expect_same "demo generator" examples/demo.mid "$scratch/demo.mid"
else
  fail "no $demo_tools"
fi

run_suite() {
  local cli=$1 w out err status
  w=$(mktemp -d "$scratch/w.XXXX")
  mkdir "$w/tmp"
  export TMPDIR=$w/tmp
  cp examples/demo.mid "$w/a.mid"
  cp examples/demo.mid "$w/c.mid"
  printf 'not a MIDI file' >"$w/b.mid"
  mkdir "$w/folder.mid" "$w/pristine"
  cp "$w"/*.mid "$w/pristine/" 2>/dev/null

  # Several files, one broken in the middle, a missing one and a folder: every
  # job runs, each with its own lines, and the status reports the failures.
  out=$(cd "$w" && "$cli" a.mid b.mid c.mid missing.mid folder.mid; echo "status=$?")
  expect_text "several files: log" \
    "a.mid->a.mml"$'\n'"$demo_tracks$ok"\
"b.mid->b.mml"$'\n'"$not_smf$failed"\
"c.mid->c.mml"$'\n'"$demo_tracks$ok"\
"missing.mid->missing.mml"$'\n'"$no_source$failed"\
"folder.mid->folder.mml"$'\n'"$no_source$failed"\
"status=1" "$out"
  expect_files "several files" "$w" a.mid a.mml b.mid c.mid c.mml folder.mid tmp \
    pristine pristine/a.mid pristine/b.mid pristine/c.mid
  for f in a b c; do expect_same "several files: source $f" "$w/pristine/$f.mid" "$w/$f.mid"; done
  expect_same "several files: same song, same MML" "$w/a.mml" "$w/c.mml"
  [ "$(head -c 14 "$w/a.mml")" = "; Rhythm Macro" ] || fail "several files: a.mml has no rhythm macros"
  grep -q $'^A .*T96' "$w/a.mml" || fail "several files: a.mml has no tempo change"
  rm -f "$w/a.mml" "$w/c.mml"

  # The base name ends at the first dot; the target goes beside the source.
  mkdir "$w/dir"
  cp examples/demo.mid "$w/dir/live.2002.mid"
  out=$(cd "$w" && "$cli" dir/live.2002.mid; echo "status=$?")
  expect_text "first dot: log" "live.2002.mid->live.mml"$'\n'"$demo_tracks${ok}status=0" "$out"
  expect_files "first dot" "$w/dir" live.2002.mid live.mml

  # UTF-8 names: a lead-byte walk would miss the dot after あ.
  mkdir "$w/曲"
  cp examples/demo.mid "$w/曲/あ.mid"
  out=$(cd "$w" && "$cli" 曲/あ.mid; echo "status=$?")
  expect_text "UTF-8 name: log" "あ.mid->あ.mml"$'\n'"$demo_tracks${ok}status=0" "$out"
  expect_files "UTF-8 name" "$w/曲" あ.mid あ.mml
  expect_same "UTF-8 name: MML" "$w/dir/live.mml" "$w/曲/あ.mml"
  rm -rf "$w/dir" "$w/曲"

  # An existing target is replaced by a success and kept by a failure.
  printf 'old\r\n' >"$w/old"
  cp "$w/old" "$w/a.mml"
  cp "$w/old" "$w/b.mml"
  out=$(cd "$w" && "$cli" -q a.mid b.mid; echo "status=$?")
  expect_text "-q: only the failed job" "b.mid->b.mml"$'\n'"$not_smf${failed}status=1" "$out"
  ! cmp -s "$w/old" "$w/a.mml" || fail "existing target: not replaced by a success"
  expect_same "existing target: kept by a failure" "$w/old" "$w/b.mml"
  out=$(cd "$w" && "$cli" -q a.mid; echo "status=$?")
  expect_text "-q: nothing when all converted" "status=0" "$out"
  expect_files "existing target" "$w" a.mid a.mml b.mid b.mml c.mid folder.mid old tmp \
    pristine pristine/a.mid pristine/b.mid pristine/c.mid
  rm -f "$w/a.mml" "$w/b.mml" "$w/old"

  # A source named x.mml would be its own target: refused, left untouched.
  mkdir "$w/self"
  cp examples/demo.mid "$w/self/x.mml"
  out=$(cd "$w/self" && "$cli" x.mml; echo "status=$?")
  expect_text "source x.mml: log" "x.mml->x.mml"$'\n'"$no_target${failed}status=1" "$out"
  expect_files "source x.mml" "$w/self" x.mml
  expect_same "source x.mml: untouched" examples/demo.mid "$w/self/x.mml"
  rm -rf "$w/self"

  # -o PATH names the target; a target that cannot be created fails the job.
  out=$(cd "$w" && "$cli" -o out.txt a.mid; echo "status=$?")
  expect_text "-o PATH: log" "a.mid->out.txt"$'\n'"$demo_tracks${ok}status=0" "$out"
  [ -s "$w/out.txt" ] || fail "-o PATH: no target"
  out=$(cd "$w" && "$cli" -o "$w/no/such/dir/out.mml" a.mid; echo "status=$?")
  expect_text "-o into a missing folder: log" "a.mid->out.mml"$'\n'"$no_target${failed}status=1" "$out"

  # -o - writes the MML to stdout and the log to stderr; nothing stays behind.
  out=$(cd "$w" && "$cli" -o - a.mid 2>"$w/tmp.err" >"$w/tmp.out"; echo "status=$?")
  expect_text "-o -: status" "status=0" "$out"
  expect_same "-o -: MML on stdout" "$w/out.txt" "$w/tmp.out"
  expect_text "-o -: log on stderr" "a.mid-><stdout>"$'\n'"$demo_tracks$ok." "$(cat "$w/tmp.err"; echo .)"
  out=$(cd "$w" && "$cli" -o - b.mid 2>"$w/tmp.err" >"$w/tmp.out"; echo "status=$?")
  expect_text "-o - failing: status" "status=1" "$out"
  [ ! -s "$w/tmp.out" ] || fail "-o - failing: wrote to stdout"
  expect_text "-o - failing: log" "b.mid-><stdout>"$'\n'"$not_smf$failed." "$(cat "$w/tmp.err"; echo .)"
  rm -f "$w/tmp.err" "$w/tmp.out" "$w/out.txt"
  expect_files "after -o" "$w" a.mid b.mid c.mid folder.mid tmp \
    pristine pristine/a.mid pristine/b.mid pristine/c.mid
  for f in a b c; do expect_same "after -o: source $f" "$w/pristine/$f.mid" "$w/$f.mid"; done

  # Usage: help and version on stdout with status 0; errors on stderr, status 2.
  out=$("$cli" -h); status=$?
  expect_status "-h" "$status" 0
  [ "${out%%$'\n'*}" = "usage: trelvio-cli [OPTIONS] FILE..." ] || fail "-h: no usage line"
  out=$("$cli" --version); status=$?
  expect_status "--version" "$status" 0
  expect_text "--version" "trelvio-cli 1.00" "$out"
  local args
  for args in "" "-x a.mid" "-o" "-o out.mml a.mid c.mid" "--bogus"; do
    # shellcheck disable=SC2086
    out=$(cd "$w" && "$cli" $args 2>"$w/tmp.err"); status=$?
    expect_status "usage error '$args'" "$status" 2
    expect_text "usage error '$args': stdout" "" "$out"
    grep -q '^usage: trelvio-cli' "$w/tmp.err" || fail "usage error '$args': no usage on stderr"
  done
  rm -f "$w/tmp.err"
  # After "--" every argument is a file, even one that looks like an option.
  out=$(cd "$w" && "$cli" -- -q; echo "status=$?")
  expect_text "--" "-q->-q.mml"$'\n'"$no_source${failed}status=1" "$out"

  expect_files "at the end" "$w" a.mid b.mid c.mid folder.mid tmp \
    pristine pristine/a.mid pristine/b.mid pristine/c.mid
  unset TMPDIR
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
  echo "20-cli: $failures check(s) failed" >&2
  exit 1
fi
echo "20-cli: all checks passed"
