# The floors of the project and which may use which; sourced by the include
# and symbol checks. In platform/, 0 is the headers beside the floors; above
# it the modules are P (parallel, the pool of threads), K (kinematics), X (text), C (controller), V (volume), F
# (footpath), L (legfile), R (render), A (app) and T (tools).

# The floor of a project file, by its path; empty for anything else.
floor() {
  case $1 in
    platform/win32.h|platform/handle_bits.h) echo 0 ;;
    platform/raster.*) echo 1 ;;
    platform/gdi_*|platform/font*|platform/kernel.cpp) echo 2 ;;
    platform/user_*) echo 3 ;;
    platform/backend*) echo 4 ;;
    platform/test_hooks.*) echo 5 ;;
    platform/winmain_main.cpp) echo 6 ;;
    parallel/*) echo P ;;
    kinematics/*) echo K ;;
    text/*) echo X ;;
    controller/*) echo C ;;
    volume/*) echo V ;;
    footpath/*) echo F ;;
    legfile/*) echo L ;;
    render/*) echo R ;;
    app/*) echo A ;;
    tools/*) echo T ;;
  esac
}

# May a file of floor A use floor B? The Win32 API (the windows and drawing
# floors, 2 and 3) is what render and app stand on.
allowed() {
  local a=$1 b=$2
  case $a in
    P|X) [ "$b" = "$a" ] ;;
    K) case $b in P|K) true ;; *) false ;; esac ;;
    C|V) case $b in P|K|X) true ;; *) [ "$b" = "$a" ] ;; esac ;;
    F) case $b in P|K|X|C|F) true ;; *) false ;; esac ;;
    L) case $b in P|K|X|C|L) true ;; *) false ;; esac ;;
    T) case $b in P|K|X|C|V|F|L|T) true ;; *) false ;; esac ;;
    R) case $b in P|K|X|V|R|0|2|3) true ;; *) false ;; esac ;;
    A) case $b in P|K|X|C|V|F|L|R|A|0|2|3) true ;; *) false ;; esac ;;
    # The test hooks and the start-up code both sit on the backends, side by side.
    *) case $b in [0-9]) [ "$b" -le "$a" ] && ! { [ "$a" = 6 ] && [ "$b" = 5 ]; } ;; *) false ;; esac ;;
  esac
}
