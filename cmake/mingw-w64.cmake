# Cross build for Windows with mingw-w64; ctest runs the results under Wine.
# HALVO_MINGW_ARCH picks the target: i686 (the programs that ship, 32-bit) or
# x86_64 (the same sources as 64-bit programs, which run where 32-bit Linux
# programs, and so 32-bit Wine, cannot). The presets set it.
set(HALVO_MINGW_ARCH i686 CACHE STRING "Windows target: i686 or x86_64")
set_property(CACHE HALVO_MINGW_ARCH PROPERTY STRINGS i686 x86_64)
if(NOT HALVO_MINGW_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "HALVO_MINGW_ARCH must be i686 or x86_64, not '${HALVO_MINGW_ARCH}'")
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${HALVO_MINGW_ARCH})

set(HALVO_MINGW_PREFIX ${HALVO_MINGW_ARCH}-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of this GCC lacks. Linking statically keeps winpthread out of the imports.
set(CMAKE_C_COMPILER ${HALVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HALVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${HALVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HALVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static, so the programs import only Windows system DLLs; no
# link time in the header, so that the same sources give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
