#!/usr/bin/env bash
# A short fuzzing run of the converter and the MML reader under the
# sanitizers (scripts/fuzz); any crash, hang, leak or sanitizer report fails
# the stage. Also checks that the committed seed corpora are what their
# generator and the converter write.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-60}
timeout 1200 scripts/fuzz "$seconds"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  changed=$(git status --porcelain -- fuzz/corpus fuzz/corpus-mml)
  if [ -n "$changed" ]; then
    echo "40-fuzz: the seeds differ from what tools/make_seeds.cpp and the converter write:"
    echo "$changed"
    exit 1
  fi
fi
