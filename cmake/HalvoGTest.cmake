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

# Registers a GoogleTest program with ctest: one ctest entry per test case
# natively; one entry per program under an emulator, where every start of a
# program costs a Wine process start.
function(halvo_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# A GoogleTest program that opens real windows, run inside the test process:
# it needs an X display and shares the end-to-end suite's Wine prefix, whose
# windows close without waiting for a window manager.
function(halvo_add_gui_gtest target)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES
      LABELS gui
      FIXTURES_REQUIRED halvo_e2e_prefix
      ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/tests/e2e/wineprefix"
      TIMEOUT 120)
endfunction()
