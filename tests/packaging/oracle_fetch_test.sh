#!/usr/bin/env bash
# The holiday oracle's fetch step decides whether a test run reaches the network: off (as in a
# package build) it must never start npm and must leave the reason the oracle test skips with;
# on, it runs npm and reports npm's failure as that reason instead of failing.
#   tests/packaging/oracle_fetch_test.sh CMAKE ORACLE_SOURCE_FOLDER
set -euo pipefail

cmake=${1:?cmake}
oracle=${2:?oracle folder}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Stand-ins that note each start and fail as npm does without a network.
mkdir "$work/bin"
for tool in npm node; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/started"\necho "ENOTFOUND registry" >&2\nexit 1\n' \
    "$tool" "$work" >"$work/bin/$tool"
  chmod +x "$work/bin/$tool"
done

failures=0
# FETCH ("-": not given)  npm started?  the reason names
while read -r fetch started reason; do
  rm -rf "$work/out" "$work/started"
  [ "$fetch" = - ] && fetch=
  PATH="$work/bin:$PATH" "$cmake" -DSRC="$oracle" -DDST="$work/out" -DFETCH="$fetch" \
    -P "$oracle/fetch.cmake"
  ran=no
  [ -f "$work/started" ] && ran=yes
  why=$(cat "$work/out/unavailable.txt" 2>/dev/null || echo "(no reason)")
  if [ "$ran" != "$started" ] || [[ "$why" != *"$reason"* ]] || [ -e "$work/out/holidays.tsv" ]; then
    echo "FAIL: FETCH=$fetch: npm started: $ran (want $started); reason: $why (want $reason)" >&2
    failures=$((failures + 1))
  else
    echo "ok FETCH=$fetch: npm started: $ran; reason: $why"
  fi
done <<'CASES'
OFF no  TOLLVANE_FETCH_ORACLE=ON
-   no  TOLLVANE_FETCH_ORACLE=ON
ON  yes npm ci failed
CASES
[ "$failures" -eq 0 ]
