#!/usr/bin/env bash
# trelvio-cli at the edges of the process and the file system (release and
# sanitizer builds). Each case runs beside earlier a.mml and big.mml and checks
# the status, a message, the folder, each target kept or whole, an empty TMPDIR.
# (Every seed and regression file is replayed by the unit tests.)
set -uo pipefail
source "$(dirname "$0")/cli_checks.bash"

export ASAN_OPTIONS=detect_leaks=1:exitcode=86 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TMPDIR=$scratch/tmp ref=$scratch/ref w=$scratch/w PATH=$scratch/bin:$PATH
mkdir -p "$TMPDIR" "$ref" "$scratch/bin"
cp examples/demo.mid "$scratch/a.mid"
build/bench/trelvio-bench-gen 32 "$scratch/big.mid" >/dev/null || fail "no large song"
for s in a big; do build/cli/trelvio-cli -o - "$scratch/$s.mid" >"$ref/$s.mml" 2>/dev/null; done
build/cli/trelvio-cli -q --to-midi -o "$ref/a-mml.mid" "$ref/a.mml" || fail "no MIDI file of a.mml"

check() {  # label status message kept-targets command
  local status t
  rm -rf "$w" && mkdir "$w" && ln "$scratch/a.mid" "$scratch/big.mid" "$w/"
  for t in a big; do printf 'earlier %s\r\n' "$t" >"$w/$t.mml"; done
  (cd "$w" && timeout 300 bash -c "$5") >"$scratch/out" 2>"$scratch/err"
  status=$?
  [ "$status" = "$2" ] || fail "$1: exit status $status, expected $2"
  [ -z "$3" ] || grep -qF -- "$3" "$scratch/out" "$scratch/err" || fail "$1: no '$3'"
  ! grep -qE 'Sanitizer|runtime error' "$scratch/err" || fail "$1: sanitizer report"
  expect_text "$1: files" "a.mid a.mml big.mid big.mml " "$(folder "$w")"
  for t in a big; do
    [[ " $4 " == *" $t.mml "* ]] && { expect_text "$1: earlier $t.mml" "earlier $t"$'\r' "$(cat "$w/$t.mml")"; continue; }
    cmp -s "$w/$t.mml" "$ref/$t.mml" || fail "$1: $t.mml is not the whole MML"
  done
  [ -z "$(ls -A "$TMPDIR")" ] || fail "$1: left $(ls -A "$TMPDIR") in TMPDIR"
}
# A random point of a conversion of big.mid: 5% to 40% of its measured time (runs vary under load).
at_random() { sleep "$((big_us * (5 + RANDOM % 36) / 100))e-6"; }
export -f at_random
ok=変換に成功しました。
cannot_write=変換先ファイルに書き込めません。
log_lost="the log cannot be written"

cases() {
  # Targets that are not regular files are written into, never replaced.
  check "-o /dev/null" 0 $ok "a.mml big.mml" 'trelvio-cli -o /dev/null a.mid && [ -c /dev/null ]'
  check "-o /dev/full" 1 $cannot_write "a.mml big.mml" 'trelvio-cli -o /dev/full a.mid; s=$?; [ -c /dev/full ] && exit $s'
  check "-o FIFO" 0 $ok "a.mml big.mml" \
    'mkfifo f.mml; cat f.mml >got & trelvio-cli -o f.mml a.mid; wait; [ -p f.mml ] && cmp got "$ref/a.mml" && rm f.mml got'
  check "-o /dev/stdout" 0 $ok "a.mml big.mml" 'trelvio-cli -o /dev/stdout a.mid >got && cmp got "$ref/a.mml" && rm got'
  check "target a link to /dev/null" 0 $ok "a.mml big.mml" \
    'cp a.mid l.mid; ln -s /dev/null l.mml; trelvio-cli l.mid && [ -L l.mml ] && rm l.mid l.mml'
  if [ "$(id -u)" = 0 ]; then
    check "-o a device made with mknod" 0 $ok "a.mml big.mml" 'mknod n.mml c 1 3 && trelvio-cli -o n.mml a.mid && [ -c n.mml ] && rm n.mml'
    check "target of another owner" 0 $ok "big.mml" \
      'chown nobody a.mml; trelvio-cli a.mid && [ "$(stat -c %U a.mml)" = nobody ]'
  else
    echo "   not root: the mknod device and the other owner's target are skipped"
  fi
  check "read-only target keeps its mode" 0 $ok "big.mml" 'chmod 0444 a.mml; trelvio-cli a.mid && [ "$(stat -c %a a.mml)" = 444 ]'

  # --to-midi writes its MIDI file by the same rules (s.mml: a.mid's MML).
  local m='cp "$ref/a.mml" s.mml && trelvio-cli --to-midi'
  check "--to-midi -o a link to /dev/null" 0 $ok "a.mml big.mml" \
    "ln -s /dev/null l.mid; $m -o l.mid s.mml && [ -L l.mid ] && rm s.mml l.mid"
  check "--to-midi -o FIFO" 0 $ok "a.mml big.mml" \
    "mkfifo f.mid; cat f.mid >got & $m -o f.mid s.mml; wait; [ -p f.mid ] && cmp got \"\$ref/a-mml.mid\" && rm s.mml f.mid got"
  [ "$(id -u)" != 0 ] || check "--to-midi -o a device made with mknod" 0 $ok "a.mml big.mml" \
    "mknod n.mid c 1 3 && $m -o n.mid s.mml && [ -c n.mid ] && rm s.mml n.mid"
  check "--to-midi: a read-only target keeps its mode" 0 $ok "a.mml big.mml" \
    "touch s-mml.mid; chmod 0444 s-mml.mid; $m s.mml && [ \"\$(stat -c %a s-mml.mid)\" = 444 ] && cmp s-mml.mid \"\$ref/a-mml.mid\" && rm s.mml s-mml.mid"
  check "--to-midi SIGTERM" 143 "" "a.mml big.mml" \
    "cp \"\$ref/big.mml\" s.mml; trelvio-cli --to-midi s.mml & sleep \"\$((midi_us * (5 + RANDOM % 36) / 100))e-6\"; kill -TERM \$!; wait \$!; s=\$?; rm s.mml; [ ! -e s-mml.mid ] && exit \$s"

  # An interruption removes the temporary file (and the staging file of -o -).
  for sig in INT TERM HUP PIPE; do  # the status is 128 + the signal's number
    check "SIG$sig" $((128 + $(kill -l $sig))) "" "a.mml big.mml" "trelvio-cli big.mid & at_random; kill -$sig \$!; wait \$!"
    check "SIG$sig, -o -" $((128 + $(kill -l $sig))) "" "a.mml big.mml" "trelvio-cli -o - big.mid >/dev/null & at_random; kill -$sig \$!; wait \$!"
  done

  # Leftovers of killed runs and parallel runs never block a conversion.
  check "ten killed runs, then one" 0 $ok "a.mml" \
    'for i in {1..10}; do trelvio-cli big.mid & at_random; kill -KILL $!; wait $!; done; rm -f big.~??; trelvio-cli big.mid'
  check "20 parallel runs" 0 "" "big.mml" \
    'for i in {1..20}; do trelvio-cli -q a.mid & p+=($!); done; for i in "${p[@]}"; do wait $i || exit 1; done'

  # Closed standard streams: no log byte reaches the MML.
  check "stdin and stdout closed" 1 "$log_lost" "big.mml" 'trelvio-cli a.mid <&- >&-'
  check "stderr closed" 0 "" "big.mml" 'trelvio-cli a.mid 2>&- >/dev/null'
  check "-o -, stdout closed" 1 $cannot_write "a.mml big.mml" 'trelvio-cli -o - a.mid >&-'

  # A log or MML that cannot be written ends the run cleanly with status 1.
  check "log to /dev/full" 1 "$log_lost" "big.mml" 'trelvio-cli a.mid >/dev/full'
  check "log into a closed pipe" 1 "$log_lost" "a.mml" 'trelvio-cli big.mid a.mid | head -n1 >/dev/null; exit ${PIPESTATUS[0]}'
  check "MML into a closed pipe" 1 $cannot_write "a.mml big.mml" 'trelvio-cli -o - big.mid | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}'

  # Paths up to the platform's limit; a longer one is refused as such.
  check "a path of 400 bytes" 0 $ok "a.mml big.mml" \
    'd=$(printf "%0200d" 0); mkdir -p $d/$d; cp a.mid $d/$d/s.mid; trelvio-cli $d/$d/s.mid && rm -r $d'
  check "a path past PATH_MAX" 1 パスが長すぎます。 "a.mml big.mml" 'trelvio-cli $(printf "d/%.0s" {1..2100})s.mid'

  # Standard input and sources that cannot seek.
  check "- to stdout" 0 $ok "a.mml big.mml" 'cat a.mid | trelvio-cli - >got && cmp got "$ref/a.mml" && rm got'
  check "- to -o PATH" 0 "<stdin>->out.mml" "a.mml big.mml" 'trelvio-cli -o out.mml - <a.mid && cmp out.mml "$ref/a.mml" && rm out.mml'
  check "process substitution" 0 $ok "a.mml big.mml" 'trelvio-cli -o - <(cat big.mid) | cmp - "$ref/big.mml"'
  check "a pipe past 64 MiB" 1 64MiB "a.mml big.mml" 'head -c 70000000 /dev/zero | trelvio-cli -o - -'

  # A file above 2 GiB (sparse) and two files of one run with one target.
  check "a song of 2 GiB and 10 bytes" 0 $ok "a.mml big.mml" \
    'cp a.mid huge.mid; truncate -s 2147483658 huge.mid; trelvio-cli huge.mid && cmp huge.mml "$ref/a.mml" && rm huge.*'
  check "same target twice" 1 変換先がlive.2002.midの変換先と同じ "a.mml big.mml" \
    'cp a.mid live.2002.mid; cp big.mid live.2003.mid; trelvio-cli live.2002.mid live.2003.mid; s=$?; cmp live.mml "$ref/a.mml" && rm live.* && exit $s'
}

for cli in $(builds); do
  echo "-- ${cli#"$root"/}"
  ln -sf "$cli" "$scratch/bin/trelvio-cli"
  start=$(date +%s%N)
  "$cli" -o /dev/null "$scratch/big.mid" >/dev/null 2>&1
  export big_us=$((($(date +%s%N) - start) / 1000))
  start=$(date +%s%N)
  "$cli" --to-midi -o /dev/null "$ref/big.mml" >/dev/null 2>&1
  export midi_us=$((($(date +%s%N) - start) / 1000))
  cases
done

finish 25-cli-faults
