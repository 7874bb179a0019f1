# Cross build for 32-bit Windows with mingw-w64; ctest runs the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(HALVO_MINGW_PREFIX i686-w64-mingw32)
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

# Everything static, so the programs import only Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
