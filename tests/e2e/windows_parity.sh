#!/usr/bin/env bash
# Runs the portable build and the Windows build (under Wine) side by
# side under Xvfb, gives both the same input, and compares their windows'
# pixels outside the readout: the first frame, after a drag, after a keypad
# plus. Exit 77 (skipped) when Wine, the Windows build or an X tool is missing.
# Any further arguments (such as --leg FILE, an absolute path, which Wine
# finds on its Z: drive) go to both programs.
#   windows_parity.sh TAVRIN TAVRIN_EXE FRAME_COMPARE [ARGS...]
set -u
tavrin=$1 tavrin_exe=$2 frame_compare=$3
shift 3

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool import convert wine
[ -f "$tavrin_exe" ] || { echo "skipped: no Windows build at $tavrin_exe"; exit 77; }

# Wine runs in the Windows build's own prefix.
wine_run=("$(dirname "$0")/../../scripts/wine-run.sh" "$(dirname "$tavrin_exe")/wine")

# Two programs and Wine's server to end: a cleanup of its own, in the
# scratch folder that xvfb.sh made.
pids=()
end_wine_session() {
  "${wine_run[@]}" wineserver -k 2>/dev/null && "${wine_run[@]}" wineserver -w 2>/dev/null
}
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  end_wine_session
  # A server shared by the suite's other Windows programs comes back.
  [ -n "${TAVRIN_WINE_SESSION:-}" ] && "${wine_run[@]}" --session
  [ -n "${TAVRIN_E2E_KEEP:-}" ] && mkdir -p "$TAVRIN_E2E_KEEP" && cp "$work"/*.* "$TAVRIN_E2E_KEEP"
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb 141 190 1600x1000
pids+=("$xvfb_pid")
# The prefix is made before the timing matters.
"${wine_run[@]}"
case $? in
  0) ;;
  77) echo "skipped: Wine cannot run here"; exit 77 ;;
  *) fail "no Wine prefix" ;;
esac
export WINEPREFIX="${wine_run[1]}"
# Wine's session lives on the display it started on: this test's own.
end_wine_session

start() {  # start NAME COMMAND...: prints the window id
  local name=$1; shift
  "$@" >"$work/$name.log" 2>&1 &
  pids+=($!)
  timeout 60 xdotool search --sync --onlyvisible --pid $! --name '^Tavrin FrontView$' 2>/dev/null | head -n 1
}
linux=$(start linux "$tavrin" "$@")
[ -n "$linux" ] || fail "the portable build's window did not appear"
"${wine_run[@]}" "$tavrin_exe" "$@" >"$work/wine.log" 2>&1 &
pids+=($!)
windows=$(timeout 90 bash -c 'until id=$(xdotool search --onlyvisible --name "^Tavrin FrontView$" | grep -vx "$0" | head -n 1) && [ -n "$id" ]; do sleep 0.5; done; echo $id' "$linux")
[ -n "$windows" ] || fail "the Windows build's window did not appear under Wine"
# Side by side, so that neither covers the other.
xdotool windowmove "$linux" 800 0
sleep 1

compare() {  # compare NAME
  sleep 1.5
  for side in linux windows; do
    import -window "${!side}" "$work/$1-$side.png" 2>/dev/null || fail "screenshot of $side failed"
    convert "$work/$1-$side.png" -depth 8 "$work/$1-$side.ppm"
  done
  "$frame_compare" "$work/$1-linux.ppm" "$work/$1-windows.ppm" || fail "$1: the two builds show different frames"
}

drag() {  # drag WINDOW: foot from (400, 624) to (420, 600), client coordinates
  # As a user's window has: the pointer and the focus before the press.
  xdotool mousemove --window "$1" 300 300
  xdotool windowfocus --sync "$1"
  sleep 0.5
  xdotool mousemove --window "$1" 400 624 mousedown 1
  xdotool mousemove --window "$1" 410 612
  # The last move is given time to arrive before the release, on both systems.
  xdotool mousemove --window "$1" 420 601 sleep 0.3 mousemove --window "$1" 420 600 sleep 0.3 mouseup 1
}

keypad_plus() {
  xdotool mousemove --window "$1" 300 300
  xdotool windowfocus --sync "$1"
  xdotool key KP_Add
}

compare first
drag "$linux"; drag "$windows"
compare drag
keypad_plus "$linux"; keypad_plus "$windows"
compare depth
echo "windows parity${1:+ ($*)}: first frame, drag and keypad plus identical outside the readout"
