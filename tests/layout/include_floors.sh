#!/usr/bin/env bash
# Every include runs one way: kinematics alone; foot paths and the servo
# controller above kinematics; the leg file reader above those; render
# above kinematics and foot paths; app above all of them; tools on
# kinematics, foot paths, the controller and the reader; in platform/ each
# floor on the floors below it (platform/README.md). Prints every include that breaks
# the order and fails if there is one.
#   include_floors.sh SOURCE_DIR
set -u
cd "$1" || exit 2

# The floor of a project file, by path; empty for anything else. In
# platform/, 0 is the headers beside the floors; above it the modules are
# K (kinematics), F (footpath), C (controller), L (legfile), R (render),
# A (app) and T (tools).
floor() {
  case $1 in
    platform/win32.h|platform/handle_bits.h) echo 0 ;;
    platform/raster.*) echo 1 ;;
    platform/gdi_*|platform/font*|platform/kernel.cpp) echo 2 ;;
    platform/user_*) echo 3 ;;
    platform/backend*) echo 4 ;;
    platform/test_hooks.*) echo 5 ;;
    platform/winmain_main.cpp) echo 6 ;;
    kinematics/*) echo K ;;
    footpath/*) echo F ;;
    controller/*) echo C ;;
    legfile/*) echo L ;;
    render/*) echo R ;;
    app/*) echo A ;;
    tools/*) echo T ;;
  esac
}

# May a file of floor A include a header of floor B?
allowed() {
  local a=$1 b=$2
  case $a in
    K) [ "$b" = K ] ;;
    F) [ "$b" = K ] || [ "$b" = F ] ;;
    C) [ "$b" = K ] || [ "$b" = C ] ;;
    L) [ "$b" = K ] || [ "$b" = F ] || [ "$b" = C ] || [ "$b" = L ] ;;
    T) [ "$b" = K ] || [ "$b" = F ] || [ "$b" = C ] || [ "$b" = L ] || [ "$b" = T ] ;;
    R) [ "$b" = K ] || [ "$b" = F ] || [ "$b" = R ] || [ "$2$3" = 0platform/win32.h ] ;;
    A) [ "$b" = K ] || [ "$b" = F ] || [ "$b" = C ] || [ "$b" = L ] || [ "$b" = R ] || [ "$b" = A ] || [ "$2$3" = 0platform/win32.h ] ;;
    *) case $b in [0-9]) [ "$b" -le "$a" ] ;; *) false ;; esac ;;
  esac
}

bad=0
for file in $(git ls-files 'kinematics/*' 'footpath/*' 'controller/*' 'legfile/*' 'render/*' 'app/*' 'tools/*' 'platform/*' | grep -E '\.(h|cpp)$'); do
  from=$(floor "$file")
  [ -n "$from" ] || continue
  for header in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file"); do
    to=$(floor "$header")
    [ -n "$to" ] || continue
    if ! allowed "$from" "$to" "$header"; then
      echo "$file includes $header against the order of the floors"
      bad=1
    fi
  done
done
[ "$bad" -eq 0 ] && echo "includes: every one runs down the floors"
exit "$bad"
