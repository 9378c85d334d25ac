#!/usr/bin/env bash
# The floors as the linker sees them: every symbol that an object file of
# the built tree uses and another of the project's object files defines
# must come from the same floor or one it may use (floor_rules.sh). Prints
# every use against the order and fails if there is one.
#   symbol_floors.sh BUILD_DIR
set -u
. "$(dirname "$0")/floor_rules.sh"
build=$1
command -v nm >/dev/null || { echo "symbol_floors: nm is not installed"; exit 77; }

# The project's source file that an object was compiled from:
# .../CMakeFiles/<target>.dir/<path>.cpp.o -> <dir of the CMakeLists>/<path>.cpp
source_of() {
  local object=${1#"$build"/}
  local dir=${object%%/CMakeFiles/*}
  local file=${object#*/CMakeFiles/*.dir/}
  echo "$dir/${file%.o}"
}

objects=$(find "$build/platform" "$build/parallel" "$build/kinematics" "$build/text" "$build/controller" "$build/volume" "$build/footpath" \
               "$build/legfile" "$build/render" "$build/app" "$build/tools" -name '*.o' 2>/dev/null | sort)
[ -n "$objects" ] || { echo "symbol_floors: no object files under $build"; exit 2; }

# Where each global symbol is defined: "symbol floor source".
defined=$(mktemp) used=$(mktemp)
trap 'rm -f "$defined" "$used"' EXIT
for o in $objects; do
  src=$(source_of "$o")
  f=$(floor "$src")
  [ -n "$f" ] || continue
  nm --defined-only --extern-only "$o" 2>/dev/null | awk -v f="$f" -v s="$src" 'NF == 3 && $2 !~ /[VWvwu]/ { print $3, f, s }'
  nm --undefined-only "$o" 2>/dev/null | awk -v f="$f" -v s="$src" '{ print $NF, f, s }' >>"$used"
done | sort -u -k1,1 >"$defined"

bad=0
while read -r symbol userFloor userSource definerFloor definerSource; do
  # The one call up by design: the start-up code calls the program's entry,
  # as Windows' own start-up code does.
  [ "$symbol" = WinMain ] && [ "$userFloor" = 6 ] && continue
  if ! allowed "$userFloor" "$definerFloor"; then
    echo "$userSource uses $(echo "$symbol" | c++filt) from $definerSource against the order of the floors"
    bad=1
  fi
done < <(sort -k1,1 "$used" | join -1 1 -2 1 -o 1.1,1.2,1.3,2.2,2.3 - "$defined")
# The pure model names no window-system type, not even in a signature.
for o in $(echo "$objects" | grep '/kinematics/'); do
  if nm "$o" 2>/dev/null | grep -qE 'H(DC|WND|BITMAP|PEN|BRUSH|GDIOBJ|INSTANCE)__'; then
    echo "$(source_of "$o") names a window-system type"
    bad=1
  fi
done
[ "$bad" -eq 0 ] && echo "symbols: every use runs down the floors"
exit "$bad"
