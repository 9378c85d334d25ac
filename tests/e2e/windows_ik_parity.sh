#!/usr/bin/env bash
# The Windows build of tavrin-ik, run under Wine, must print exactly
# what the native build prints: solves and sweeps at targets and depths
# drawn at random here.
#   windows_ik_parity.sh TAVRIN_IK TAVRIN_IK_EXE
set -u
native=$1 windows=$2
command -v wine >/dev/null || { echo "skipped: wine is not installed"; exit 77; }
[ -f "$windows" ] || { echo "skipped: no Windows build at $windows"; exit 77; }
# Wine runs in the Windows build's own prefix.
wine_run=("$(dirname "$0")/../../scripts/wine-run.sh" "$(dirname "$windows")/wine")
"${wine_run[@]}"
case $? in
  0) ;;
  77) echo "skipped: Wine cannot run here"; exit 77 ;;
  *) exit 1 ;;
esac

RANDOM=4242
number() {  # a float text in [-30, 30) with up to four decimals
  printf '%d.%04d' $((RANDOM % 60 - 30)) $((RANDOM % 10000))
}
fail=0
compare() {  # compare ARGS...: same standard output from both builds
  local a b
  a=$("$native" "$@")
  b=$("${wine_run[@]}" "$windows" "$@" | tr -d '\r')
  if [ "$a" != "$b" ]; then
    echo "FAIL: tavrin-ik $* differs between the builds"
    fail=1
  fi
}

solves=()
for _ in $(seq 40); do solves+=("$(number) $(number) $(number)"); done
for s in "${solves[@]}" "10 15 0" "0 0 0" "25 0 0" "-5 0 0" "1e-30 15 -1e-30"; do
  # shellcheck disable=SC2086
  compare solve $s
done
depths=(0 -0 25 -24.95 1e-30)
for _ in $(seq 6); do depths+=("$(number)"); done
for d in "${depths[@]}"; do compare sweep "$d"; done
counts=()
for _ in $(seq 30); do counts+=("$(number)"); done
compare sweep --count "${counts[@]}"
# The whole workspace, counted with margins and as clouds; the PLY bytes are
# compared through their checksum, as bytes cannot sit in a shell variable.
compare workspace --step 1 --margin
compare --leg "$(dirname "$0")/../../legs/example.toml" workspace --format csv --margin --step 4.2
a=$("$native" workspace --format ply --margin | cksum)
b=$("${wine_run[@]}" "$windows" workspace --format ply --margin | cksum)
[ "$a" = "$b" ] || { echo "FAIL: tavrin-ik workspace --format ply --margin differs between the builds"; fail=1; }
# The same marks write the same bytes into a leg file: the user's own, with
# its comments, and its .bak.
scratch=$(mktemp -d)
for side in native windows; do
  mkdir "$scratch/$side"
  cp "$(dirname "$0")/../../legs/example.toml" "$scratch/$side/leg.toml"
done
"$native" --leg "$scratch/native/leg.toml" calibrate knee 30=1100 150=1900 --stops 1050,1960 --write >/dev/null
"${wine_run[@]}" "$windows" --leg "Z:$scratch/windows/leg.toml" calibrate knee 30=1100 150=1900 --stops 1050,1960 \
  --write >/dev/null
for f in leg.toml leg.toml.bak; do
  cmp -s "$scratch/native/$f" "$scratch/windows/$f" || { echo "FAIL: calibrate --write gives another $f on Windows"; fail=1; }
done
cmp -s "$scratch/native/leg.toml" "$scratch/native/leg.toml.bak" && { echo "FAIL: calibrate --write changed nothing"; fail=1; }
rm -rf "$scratch"
# A full output is a failure on Windows too.
"${wine_run[@]}" "$windows" solve 10 15 0 >/dev/full 2>/dev/null
status=$?
[ "$status" -eq 1 ] || { echo "FAIL: a write to a full disk gave exit status $status, expected 1"; fail=1; }
[ "$fail" -eq 0 ] && echo "windows tavrin-ik: ${#solves[@]} random solves, ${#depths[@]} sweeps and ${#counts[@]} counts identical, and the workspace's count and clouds"
exit "$fail"
