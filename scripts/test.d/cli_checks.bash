# Shared by the command-line stages (sourced, not a stage of its own): the
# failure count, the checks, and the trelvio-cli builds to run them against.
# A stage runs from the top of the tree with a scratch folder removed on exit.
cd "$(dirname "${BASH_SOURCE[0]}")/../.." || exit 1
root=$PWD
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_text() {  # label expected actual
  [ "$2" = "$3" ] && return
  fail "$1"
  diff -u <(printf '%s' "$2") <(printf '%s' "$3") | sed 's/^/    /' >&2
}
folder() {  # the names in a folder, sorted, on one line
  (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
}
builds() {  # the trelvio-cli programs built: release and sanitizer
  ls "$root"/build/cli/trelvio-cli "$root"/build-asan/cli/trelvio-cli 2>/dev/null
}
finish() {  # stage name
  [ "$failures" -eq 0 ] || { echo "$1: $failures check(s) failed" >&2; exit 1; }
  echo "$1: all checks passed"
}
