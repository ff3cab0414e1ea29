# Windows with MinGW-w64 (the -posix compilers, so std::thread works).
# BW_WIN_ARCH picks the target: i686 (the product, default) or x86_64 (the test
# build for machines that cannot run 32-bit programs). A -D value wins over the
# environment, and the choice is kept in the cache for later runs.
if(NOT BW_WIN_ARCH)
  if(DEFINED ENV{BW_WIN_ARCH} AND NOT "$ENV{BW_WIN_ARCH}" STREQUAL "")
    set(BW_WIN_ARCH "$ENV{BW_WIN_ARCH}")
  else()
    set(BW_WIN_ARCH i686)
  endif()
endif()
if(NOT BW_WIN_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "BW_WIN_ARCH is '${BW_WIN_ARCH}': i686 or x86_64")
endif()
set(BW_WIN_ARCH "${BW_WIN_ARCH}" CACHE STRING "Windows target: i686 or x86_64")
# try_compile projects read the toolchain file again: hand them the choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BW_WIN_ARCH)

set(bw_cross ${BW_WIN_ARCH}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${BW_WIN_ARCH})
set(CMAKE_C_COMPILER ${bw_cross}-gcc-posix)
set(CMAKE_CXX_COMPILER ${bw_cross}-g++-posix)
set(CMAKE_RC_COMPILER ${bw_cross}-windres)
set(CMAKE_AR ${bw_cross}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${bw_cross}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${bw_cross})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
