#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build's own, never the
# user's ~/.wine nor a WINEPREFIX the user has set.
#   wine-run.sh PREFIX PROGRAM [ARGS...]   runs PROGRAM in PREFIX
#   wine-run.sh PREFIX wineserver ARGS...  runs the matching Wine server
#   wine-run.sh PREFIX                     only makes PREFIX ready
#   wine-run.sh PREFIX --session           starts a server that stays until
#                                          `wineserver -k`, and its session's
#                                          own processes, with no display and
#                                          none of the caller's output open
#   wine-run.sh --bits                     prints 32 when Wine runs the
#                                          32-bit build here, 64 when it
#                                          runs only a 64-bit one (or when
#                                          TAVRIN_WINE_BITS=64 asks for it)
# The prefix is made once, under a lock so that parallel tests wait for the
# one that makes it, and marked ready only when Wine has finished writing it.
# A prefix without the mark is a half-made one (an interrupted first start,
# a full disk): it is removed and made again.
# Exit 77 when Wine cannot start at all on this machine (not installed, or
# a kernel that runs no 32-bit programs and no 64-bit Wine): callers report
# a skip, not a failure of the program under test.
set -u
[ $# -ge 1 ] || { echo "usage: wine-run.sh PREFIX [PROGRAM [ARGS...]] | --bits" >&2; exit 2; }

# Debian's `wine` starts the 32-bit loader whenever it is installed, which a
# kernel without 32-bit programs refuses; the 64-bit loader and server then
# still run 64-bit programs, when they are named directly.
wine64_dir=/usr/lib/wine
if ! command -v wine >/dev/null; then
  echo "wine-run.sh: Wine is not installed" >&2
  exit 77
fi
# TAVRIN_WINE_BITS=64 takes the 64-bit path even where 32-bit programs run,
# so that a machine of either kind can try what the other does.
if [ "${TAVRIN_WINE_BITS:-}" != 64 ] && wine --version >/dev/null 2>&1; then
  loader=wine server=wineserver bits=32
elif [ -x "$wine64_dir/wine64" ] && "$wine64_dir/wine64" --version >/dev/null 2>&1; then
  loader=$wine64_dir/wine64 server=$wine64_dir/wineserver64 bits=64
  export WINELOADER=$loader WINESERVER=$server
else
  why=$(wine --version 2>&1)
  echo "wine-run.sh: Wine cannot start here: $(printf '%s\n' "$why" | head -n 1)" >&2
  exit 77
fi
[ "$1" = --bits ] && { echo "$bits"; exit 0; }

prefix=$1; shift
case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac  # Wine needs an absolute path

export WINEPREFIX=$prefix WINEDEBUG=-all
# No Mono or Gecko installers, and no menu entries or file associations
# written into the user's home.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
ready=$prefix/.tavrin-ready

make_prefix() {
  "$server" -k 2>/dev/null
  rm -rf "$prefix"
  "$loader" wineboot -i >/dev/null 2>&1
  # Xvfb has no window manager to send WM_TAKE_FOCUS, and without it Wine
  # does not activate a window that gets the X focus: keys and the first
  # press then go nowhere. Wine's setting for such window managers lets the
  # focus activate. Harmless for programs without windows.
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f >/dev/null 2>&1
  # The registry reaches the disk when the server ends.
  "$server" -w
  grep -q UseTakeFocus "$prefix/user.reg" 2>/dev/null && [ -f "$prefix/system.reg" ] && touch "$ready"
}

# The server needs no prefix made: stopping it must not make one.
[ "${1:-}" = wineserver ] && { shift; exec "$server" "$@"; }

if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$ready" ] && ! make_prefix; then
    echo "wine-run.sh: could not make the Wine prefix $prefix" >&2
    exit 1
  fi
  exec 9>&-
fi
[ $# -eq 0 ] && exit 0
# A server that ends when its last program does is a race for the next
# program that starts as it ends ("wine client error: Connection reset by
# peer"): programs started side by side share one that stays. Its session's
# processes (services, devices) outlive the program that starts them, and
# would hold that program's output open, or its display.
if [ "$1" = --session ]; then
  "$server" -p </dev/null >/dev/null 2>&1
  env -u DISPLAY -u WAYLAND_DISPLAY "$loader" wineboot </dev/null >/dev/null 2>&1
  exit 0
fi
exec "$loader" "$@"
