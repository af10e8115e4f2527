#!/usr/bin/env bash
# Size of the tests against the code they test: non-blank lines of every
# file under tests/ against those under include/, src/, tools/, bench/ and
# examples/. Prints both counts and the ratio in percent.
set -euo pipefail
cd "$(dirname "$0")/.."

nonBlankLines() {
  find "$@" -type f -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'
}

tests=$(nonBlankLines tests)
code=$(nonBlankLines include src tools bench examples)
echo "tests: $tests non-blank lines"
echo "code:  $code non-blank lines"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.2f%%\n", 100 * t / c }'
