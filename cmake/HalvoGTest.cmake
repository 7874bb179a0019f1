# Native builds use the distribution's GoogleTest; a cross build compiles it
# from the distribution's source tree so the test programs stay static.
if(CMAKE_CROSSCOMPILING)
  set(HALVO_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree for cross builds")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${HALVO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)
  # GoogleTest's own build defines the GTest:: aliases in recent versions.
  foreach(lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Compiles TARGET's files with GoogleTest's header precompiled: parsing it takes
# longer than compiling most test files, so this pays for a program of several.
# (A program cannot take another's: the compile definitions must be the same.)
function(halvo_test_headers target)
  target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
endfunction()

# Registers a GoogleTest program with ctest: one ctest entry per test case
# natively; one entry per program under an emulator, where every start of a
# program costs a Wine process start, and in builds whose every start is slow
# (HALVO_TEST_PER_CASE off: the sanitizers').
option(HALVO_TEST_PER_CASE "One ctest entry per test case of a native GoogleTest program (else one per program)" ON)
function(halvo_add_gtest target)
  if(CMAKE_CROSSCOMPILING OR NOT HALVO_TEST_PER_CASE)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Tests on real windows share one Wine prefix, which a ctest fixture gets
# ready before the first of them and tears down after the last. The suite
# that knows how declares the fixture (halvo_wine_prefix_fixture); the tests,
# in whatever folder, join it through HALVO_WINE_PREFIX_PROPERTIES.
set(HALVO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-tests)
set(HALVO_WINE_PREFIX_PROPERTIES
  FIXTURES_REQUIRED halvo_wine_prefix
  ENVIRONMENT "WINEPREFIX=${HALVO_WINE_PREFIX}")

# The fixture's two tests, NAME.setup and NAME.cleanup: `sh SCRIPT setup|cleanup
# WINE_RUN PREFIX SEED`, labelled with the given labels. SEED is the build's own
# prefix, which the other tests run in.
function(halvo_wine_prefix_fixture name script)
  foreach(step setup cleanup)
    add_test(NAME ${name}.${step}
             COMMAND sh ${script} ${step} ${CMAKE_CROSSCOMPILING_EMULATOR} ${HALVO_WINE_PREFIX}
                     ${CMAKE_BINARY_DIR}/wineprefix)
  endforeach()
  set_tests_properties(${name}.setup PROPERTIES FIXTURES_SETUP halvo_wine_prefix LABELS "${ARGN}" TIMEOUT 300)
  set_tests_properties(${name}.cleanup PROPERTIES FIXTURES_CLEANUP halvo_wine_prefix LABELS "${ARGN}" TIMEOUT 120)
endfunction()

# A GoogleTest program that opens real windows, run inside the test process:
# it needs an X display and runs in the shared Wine prefix.
function(halvo_add_gui_gtest target)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS gui ${HALVO_WINE_PREFIX_PROPERTIES} TIMEOUT 120)
endfunction()
