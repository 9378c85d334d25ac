#!/usr/bin/env bash
# The Windows build at rest under Wine costs next to nothing: over 10
# seconds with nobody touching its window, the program and Wine's server
# each take at most 3 % of a core. A loop that peeks without waiting keeps
# both busy. Exit 77 (skipped) when Wine, the Windows build or an X tool is
# missing.
#   windows_quiet.sh TAVRIN_EXE
set -u
tavrin_exe=$1

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool wine pgrep
[ -f "$tavrin_exe" ] || { echo "skipped: no Windows build at $tavrin_exe"; exit 77; }

wine_run=("$(dirname "$0")/../../scripts/wine-run.sh" "$(dirname "$tavrin_exe")/wine")
end_wine_session() {
  "${wine_run[@]}" wineserver -k 2>/dev/null && "${wine_run[@]}" wineserver -w 2>/dev/null
}
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  end_wine_session
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  # A server shared by the suite's other Windows programs comes back.
  [ -n "${TAVRIN_WINE_SESSION:-}" ] && "${wine_run[@]}" --session
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb 291 340 1280x1024
"${wine_run[@]}"
case $? in
  0) ;;
  77) echo "skipped: Wine cannot run here"; exit 77 ;;
  *) fail "no Wine prefix" ;;
esac
export WINEPREFIX="${wine_run[1]}"
# Wine's session lives on the display it started on: this test's own.
end_wine_session

"${wine_run[@]}" "$tavrin_exe" >"$work/wine.log" 2>&1 &
app_pid=$!
window=$(timeout 90 xdotool search --sync --onlyvisible --name '^Tavrin FrontView$' 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "the Windows build's window did not appear under Wine"
program=$(pgrep -n -f 'tavrin\.exe') || fail "no tavrin.exe process"
server=$(pgrep -n -f 'wineserver') || fail "no Wine server"
# Wine's own start-up work (the desktop, services) settles first.
sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
p0=$(ticks "$program") s0=$(ticks "$server")
sleep 10
p=$(( $(ticks "$program") - p0 )) s=$(( $(ticks "$server") - s0 ))
limit=$((10 * hz * 3 / 100))
echo "idle under Wine: tavrin.exe $p ticks, Wine's server $s ticks of $((10 * hz)) in 10 s"
[ "$p" -le "$limit" ] || fail "the idle Windows build used $p ticks in 10 s, more than 3 % of a core"
[ "$s" -le "$limit" ] || fail "Wine's server used $s ticks in 10 s for an idle window, more than 3 % of a core"
echo "windows quiet: the idle window and Wine's server both at rest"
