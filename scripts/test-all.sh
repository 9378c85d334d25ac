#!/usr/bin/env bash
# Builds and runs every test suite: the native Release build (unit, headless
# program, window end-to-end and Windows parity tests), the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the Windows build under
# Wine, and the fuzz targets. Runs them all, then fails if any failed.
set -u
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
passed=0 failed=0 broken=()

configure_and_build() {  # DIR [cmake args...]
  local dir=$1; shift
  mkdir -p "$dir"
  # Every build of the full run treats a warning as an error.
  if ! cmake -S . -B "$dir" -DTAVRIN_WERROR=ON "$@" >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log"
    return 1
  fi
  if ! cmake --build "$dir" -j "$jobs" >"$dir/build.log" 2>&1; then
    grep -E "error|Error" "$dir/build.log" | head -n 40
    return 1
  fi
}

run_suite() {  # NAME DIR [ctest args...]
  # ctest's exit status judges the suite; its JUnit report only counts.
  local name=$1 dir=$2; shift 2
  echo "=== $name"
  local report=$PWD/$dir/ctest-report.xml status=0 total=0 bad=0
  rm -f "$report"
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j "$jobs" --output-junit "$report" "$@") || status=$?
  if [ -f "$report" ]; then
    # The first tests= and failures= are the test suite's own attributes.
    total=$(grep -o -m 1 -E '\btests="[0-9]+"' "$report" | tr -dc 0-9)
    bad=$(grep -o -m 1 -E '\bfailures="[0-9]+"' "$report" | tr -dc 0-9)
  fi
  total=${total:-0} bad=${bad:-0}
  # A failure that no test took the blame for (a listing that timed out,
  # no tests at all) still fails the suite, and counts once.
  [ "$status" -ne 0 ] && [ "$bad" -eq 0 ] && bad=1 total=$((total + 1))
  passed=$((passed + total - bad)) failed=$((failed + bad))
  [ "$status" -eq 0 ] || broken+=("$name")
}

# The Windows build that runs under Wine here: the 32-bit one, or where the
# kernel runs no 32-bit programs (or TAVRIN_WINE_BITS=64 says to act so),
# the same code built for 64-bit Windows. The 32-bit build is compiled
# either way.
wine_bits=
command -v wine >/dev/null && wine_bits=$(scripts/wine-run.sh --bits 2>/dev/null)
case $wine_bits in
  32) windows_run=build-win32 ;;
  64) windows_run=build-win64 ;;
  *) windows_run= ;;
esac

# Every build whose tests run Windows programs is handed this one.
windows_build=-DTAVRIN_WINDOWS_BUILD="$PWD/${windows_run:-build-win32}"

configure_and_build build -DCMAKE_BUILD_TYPE=Release "$windows_build" \
  || { echo "native build failed"; exit 1; }

if command -v i686-w64-mingw32-g++-posix >/dev/null; then
  configure_and_build build-win32 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTAVRIN_MINGW_ARCH=i686 || broken+=("windows build")
fi
if [ "$windows_run" = build-win64 ]; then
  configure_and_build build-win64 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTAVRIN_MINGW_ARCH=x86_64 || broken+=("64-bit windows build")
fi
# Wine's prefix for the Windows tests, made once before any of them runs.
wine_prefix=
if [ -n "$windows_run" ] && [ -f "$windows_run/CTestTestfile.cmake" ]; then
  wine_prefix=$windows_run/wine
  scripts/wine-run.sh "$wine_prefix" || broken+=("wine prefix")
fi
configure_and_build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_SANITIZE=ON "$windows_build" \
  || broken+=("sanitizer build")
if command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_FUZZ=ON \
    || broken+=("fuzz build")
fi

# One Wine server for every suite that runs Windows programs (the Windows
# suite, and the native suites' comparisons with the Windows build), started
# here with its session's processes. The tests with a Windows window end it
# to start theirs on their own display, and start it again after them
# (TAVRIN_WINE_SESSION tells them to).
if [ -n "$wine_prefix" ]; then
  scripts/wine-run.sh "$wine_prefix" --session
  export TAVRIN_WINE_SESSION=1
fi
run_suite "native" build
TAVRIN_PROPERTY_MESSAGES=10000 run_suite "sanitizers" build-asan -E "window_|windows_|sdl_smoke"
if [ -n "$wine_prefix" ]; then
  run_suite "windows under wine ($wine_bits-bit)" "$windows_run"
  scripts/wine-run.sh "$wine_prefix" wineserver -k 2>/dev/null
elif [ -f build-win32/CTestTestfile.cmake ]; then
  echo "=== windows under wine: not run, Wine cannot start on this machine (the build itself compiled)"
fi
[ -f build-fuzz/CTestTestfile.cmake ] && run_suite "fuzz" build-fuzz -R fuzz

echo
if [ ${#broken[@]} -gt 0 ]; then
  echo "failing: ${broken[*]}"
fi
echo "all suites: $passed passed, $failed failed"
[ ${#broken[@]} -eq 0 ] && [ "$failed" -eq 0 ]
