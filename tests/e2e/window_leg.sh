#!/usr/bin/env bash
# The real window for a leg of one's own: a bad leg file is one line and
# status 2 before any window opens; the example leg's first frame matches
# the frame computed from its kinematics, with the angle rows shown.
#   window_leg.sh TAVRIN FRAME_CHECK CLOSE_REQUEST LEGS_DIR
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -u
tavrin=$1 frame_check=$2 close_request=$3 legs=$4

source "$(dirname "$0")/xvfb.sh"
require_tools Xvfb xdotool import convert xprop

start_xvfb 291 340 1280x1024

refuse() {  # refuse TEXT ARGS...: status 2, that one line, and no window
  local text=$1 status=0; shift
  timeout 10 "$tavrin" "$@" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || fail "'$*' exit status $status, expected 2"
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF "$text" "$work/err" || fail "'$*' said: $(cat "$work/err")"
  xdotool search --name '^Tavrin FrontView$' >/dev/null 2>&1 && fail "'$*' opened a window"
  return 0
}
printf 'upper = 10\nuper = 12\n' >"$work/typo.toml"
refuse "tavrin: $work/typo.toml:2: unknown key 'uper'" --leg "$work/typo.toml"
refuse "tavrin: $work/none.toml: cannot open the leg file: No such file or directory" --leg "$work/none.toml"
# A path with blanks, quotes and a backslash reaches the program whole.
odd="$work/my \"odd\" leg\\.toml"
cp "$work/typo.toml" "$odd"
refuse "tavrin: $odd:2: unknown key 'uper'" --leg "$odd"
refuse "tavrin: --leg needs a FILE (see tavrin --help)" --leg
refuse "tavrin: unknown argument '--bogus' (see tavrin --help)" --bogus
refuse "tavrin: --leg given twice (see tavrin --help)" --leg "$legs/example.toml" --leg "$legs/example.toml"
# A FIFO with no writer is refused at once instead of blocking the start.
mkfifo "$work/fifo.toml"
refuse "tavrin: $work/fifo.toml: cannot read the leg file: not a regular file" --leg "$work/fifo.toml"
# --help prints every option, the keys and the exit statuses, and opens nothing.
status=0
timeout 10 "$tavrin" --help >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || fail "--help exit status $status"
for text in "usage: tavrin" "--leg FILE" "--angles" "--scale N" "Keys:" "Exit status:"; do
  grep -qF -- "$text" "$work/out" || fail "--help does not say '$text'"
done
[ -s "$work/err" ] && fail "--help wrote to standard error: $(cat "$work/err")"

start_program "$tavrin" --leg "$legs/example.toml" --angles
sleep 1
import -window "$window" "$work/leg.png" 2>/dev/null || fail "screenshot failed"
convert "$work/leg.png" -depth 8 "$work/leg.ppm" || fail "conversion failed"
# Every leg's foot starts 150 and 225 pixels from the root.
"$frame_check" "$work/leg.ppm" 0 400 624 "$legs/example.toml" || fail "the example leg's first frame"
# The angle rows: white text boxes at y = 130, 150 and 170.
for row in 135 155 175; do
  white=$(convert "$work/leg.png" -crop "60x1+620+$row" -format '%[fx:maxima.r]' info:)
  [ "$white" = 1 ] || fail "no angle row near y = $row"
done

close_and_expect_exit "$close_request"

# P plays the --play path; the title says so, with its dash, as the window
# manager reads it, and is plain again when the path ends.
start_program "$tavrin" --leg "$legs/example.toml" --play "$legs/../paths/step.csv"
xdotool windowfocus --sync "$window"
xdotool key p
sleep 0.3
title=$(xprop -id "$window" _NET_WM_NAME)
[ "$title" = '_NET_WM_NAME(UTF8_STRING) = "Tavrin FrontView — playing"' ] || fail "while playing the title is: $title"
# Tools that read WM_NAME alone find it by an ASCII form of the title.
name=$(xprop -id "$window" WM_NAME)
[ "$name" = 'WM_NAME(STRING) = "Tavrin FrontView - playing"' ] || fail "while playing WM_NAME is: $name"
found=$(xdotool search --name '^Tavrin FrontView - playing$' | head -n 1)
[ "$found" = "$window" ] || fail "xdotool search --name does not find the playing window"
sleep 1.5
title=$(xprop -id "$window" _NET_WM_NAME)
[ "$title" = '_NET_WM_NAME(UTF8_STRING) = "Tavrin FrontView"' ] || fail "after playing the title is: $title"
[ "$(xdotool search --name '^Tavrin FrontView$' | head -n 1)" = "$window" ] || fail "xdotool search --name does not find the window after playing"
close_and_expect_exit "$close_request"
echo "window for a leg file: refusals, the example leg's frame, its angle rows and a playback as expected"
