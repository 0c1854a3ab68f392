# Cross-builds for 64-bit Windows on Debian with mingw-w64. The posix thread model is named
# outright: with the win32 one, std::mutex and std::condition_variable do not exist, and
# installing that compiler silently re-points the unsuffixed names at it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

# Libraries and headers come from the cross tree only, and the prefixes given on the command
# line (Qt and GoogleTest built for Windows); programs, such as Qt's host tools, from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# add_test and gtest_discover_tests run the .exe files through Wine.
find_program(BRINDLECAST_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BRINDLECAST_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRINDLECAST_WINE64})
endif()
