#!/usr/bin/env bash
# Every include runs one way: the pool of threads alone; kinematics on it; the serial controller, the
# 3-D volume and foot paths on kinematics (paths also on the controller's
# commands); the leg file reader on kinematics and the controller; render
# on kinematics, the volume and the Win32 API; app above all of them; tools
# on everything but render and app; in platform/ each floor on the floors
# below it (platform/README.md). Prints every include that breaks
# the order and fails if there is one.
#   include_floors.sh SOURCE_DIR
set -u
rules="$(cd "$(dirname "$0")" && pwd)/floor_rules.sh"
cd "$1" || exit 2

. "$rules"

bad=0
for file in $(git ls-files 'parallel/*' 'kinematics/*' 'controller/*' 'volume/*' 'footpath/*' 'legfile/*' 'render/*' 'app/*' 'tools/*' 'platform/*' | grep -E '\.(h|cpp)$'); do
  from=$(floor "$file")
  [ -n "$from" ] || continue
  for header in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file"); do
    to=$(floor "$header")
    [ -n "$to" ] || continue
    # render and app include no more of the platform than win32.h.
    case $from$to in R[1-9]|A[1-9]) ok=false ;; *) allowed "$from" "$to" && ok=true || ok=false ;; esac
    if ! $ok; then
      echo "$file includes $header against the order of the floors"
      bad=1
    fi
  done
done
[ "$bad" -eq 0 ] && echo "includes: every one runs down the floors"
exit "$bad"
