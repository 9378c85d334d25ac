#!/usr/bin/env bash
# The slices and their pixels on one thread and on several are the same:
# slice_dump's hashes with TAVRIN_THREADS=1, 2 and 3 (more threads than
# cores) must agree line for line, the thread count aside.
#   thread_parity.sh SLICE_DUMP
set -u
dump=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for n in 1 2 3; do
  TAVRIN_HEADLESS=1 TAVRIN_THREADS=$n "$dump" >"$out/$n" || { echo "slice_dump failed with $n threads"; exit 1; }
done
grep -qx 'threads 1' "$out/1" || { echo "TAVRIN_THREADS=1 did not give one thread"; exit 1; }
grep -qx 'threads 2' "$out/2" || { echo "TAVRIN_THREADS=2 did not give more threads"; exit 1; }
bad=0
for n in 2 3; do
  if ! diff <(sed 1d "$out/1") <(sed 1d "$out/$n"); then
    echo "one thread and $n threads differ"
    bad=1
  fi
done
[ "$bad" -eq 0 ] && echo "the same lists and pixels on 1, 2 and 3 threads ($(($(wc -l <"$out/1") - 1)) cases)"
exit "$bad"
