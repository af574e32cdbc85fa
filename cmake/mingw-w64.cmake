# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the -posix
# compilers when present, for std::thread). Libraries built for Windows are
# looked for in ZEL_WINDOWS_PREFIX (a CMake variable, or the environment
# variable; scripts/windows-deps.sh fills one), and pkg-config reads only
# that prefix. Programs built here run through Wine where it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEL_MINGW x86_64-w64-mingw32)

foreach(lang C CXX)
  set(compiler gcc)
  if(lang STREQUAL CXX)
    set(compiler g++)
  endif()
  find_program(CMAKE_${lang}_COMPILER NAMES ${ZEL_MINGW}-${compiler}-posix ${ZEL_MINGW}-${compiler} REQUIRED)
endforeach()
find_program(CMAKE_RC_COMPILER NAMES ${ZEL_MINGW}-windres)

if(NOT ZEL_WINDOWS_PREFIX)
  set(ZEL_WINDOWS_PREFIX "$ENV{ZEL_WINDOWS_PREFIX}")
endif()
if(ZEL_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZEL_WINDOWS_PREFIX})
  set(ENV{PKG_CONFIG_LIBDIR} ${ZEL_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{ZEL_WINDOWS_PREFIX} ${ZEL_WINDOWS_PREFIX})  # for try_compile's own runs
endif()
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZEL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Programs that need no DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

find_program(ZEL_WINE NAMES wine wine64)
if(ZEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEL_WINE})
endif()
