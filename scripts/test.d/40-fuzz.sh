#!/usr/bin/env bash
# A short fuzzing run of the converter under the sanitizers (scripts/fuzz);
# any crash, hang, leak or sanitizer report fails the stage. Also checks that
# the committed seed corpus is what its generator writes.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-60}
timeout 1200 scripts/fuzz "$seconds"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  changed=$(git status --porcelain -- fuzz/corpus)
  if [ -n "$changed" ]; then
    echo "40-fuzz: fuzz/corpus differs from what tools/make_seeds.cpp writes:"
    echo "$changed"
    exit 1
  fi
fi
