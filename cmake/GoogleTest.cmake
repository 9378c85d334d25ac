# GoogleTest: the system's packaged library where it fits, otherwise built
# from the sources that Debian's googletest package ships (cross builds).
include(GoogleTest)

# tavrin_discover_tests(TARGET [gtest_discover_tests options...]): every
# suite's tests, listed with one generous timeout. A cross build lists them
# when ctest runs, not while building: under Wine the listing needs a ready
# prefix, and Wine's first start is slow.
function(tavrin_discover_tests target)
  if(CMAKE_CROSSCOMPILING)
    set(mode DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 ${mode} ${ARGN})
endfunction()

if(TARGET GTest::gtest_main)
  return()
endif()

if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest QUIET)
endif()
if(NOT GTest_FOUND)
  set(gtest_source_dir "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${gtest_source_dir} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
