# libbzip2, libjpeg (6b interface, version 62) and GoogleTest.
# Natively: Debian's -dev packages. Win32: built from Debian's source packages
# by scripts/fetch-win32-deps.sh into BW_DEPS_PREFIX.
if(WIN32)
  foreach(lib bz2 jpeg gtest gtest_main gmock)
    if(NOT EXISTS "${BW_DEPS_PREFIX}/lib/lib${lib}.a")
      message(FATAL_ERROR "Windows library lib${lib}.a is missing in ${BW_DEPS_PREFIX}/lib: "
        "run scripts/setup.sh (or scripts/fetch-win32-deps.sh ${CMAKE_SYSTEM_PROCESSOR})")
    endif()
  endforeach()
  add_library(bw_bz2 STATIC IMPORTED GLOBAL)
  set_target_properties(bw_bz2 PROPERTIES IMPORTED_LOCATION "${BW_DEPS_PREFIX}/lib/libbz2.a"
    INTERFACE_INCLUDE_DIRECTORIES "${BW_DEPS_PREFIX}/include")
  add_library(bw_jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(bw_jpeg PROPERTIES IMPORTED_LOCATION "${BW_DEPS_PREFIX}/lib/libjpeg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${BW_DEPS_PREFIX}/include")
  add_library(bw_gtest STATIC IMPORTED GLOBAL)
  set_target_properties(bw_gtest PROPERTIES IMPORTED_LOCATION "${BW_DEPS_PREFIX}/lib/libgtest.a"
    INTERFACE_INCLUDE_DIRECTORIES "${BW_DEPS_PREFIX}/include")
  add_library(bw_gtest_main STATIC IMPORTED GLOBAL)
  set_target_properties(bw_gtest_main PROPERTIES IMPORTED_LOCATION "${BW_DEPS_PREFIX}/lib/libgtest_main.a"
    INTERFACE_LINK_LIBRARIES bw_gtest)
  # Each build's programs run under the Wine of their own architecture.
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;--arch=${CMAKE_SYSTEM_PROCESSOR}")
else()
  find_package(BZip2 REQUIRED)
  find_package(JPEG REQUIRED)
  find_package(GTest REQUIRED)
  find_package(Threads REQUIRED)
  add_library(bw_bz2 INTERFACE)
  target_link_libraries(bw_bz2 INTERFACE BZip2::BZip2)
  add_library(bw_jpeg INTERFACE)
  target_link_libraries(bw_jpeg INTERFACE JPEG::JPEG)
  add_library(bw_gtest INTERFACE)
  target_link_libraries(bw_gtest INTERFACE GTest::gtest Threads::Threads)
  add_library(bw_gtest_main INTERFACE)
  target_link_libraries(bw_gtest_main INTERFACE GTest::gtest_main bw_gtest)
endif()

# xxHash (Debian's libxxhash-dev), header-only on both hosts (XXH_INLINE_ALL in
# the one source that hashes). The header is copied into the build so that a
# Windows build sees that header and no other of the host's.
find_file(BW_XXHASH_HEADER xxhash.h PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT BW_XXHASH_HEADER)
  message(FATAL_ERROR "xxhash.h is missing: run scripts/setup.sh (or apt-get install libxxhash-dev)")
endif()
configure_file("${BW_XXHASH_HEADER}" "${CMAKE_BINARY_DIR}/deps-include/xxhash.h" COPYONLY)
add_library(bw_xxhash INTERFACE)
target_include_directories(bw_xxhash SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/deps-include")

# JSON for twk's --json output (Debian's nlohmann-json3-dev), header-only:
# copied into the build like xxHash, for the same reason.
find_file(BW_JSON_HEADER nlohmann/json.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT BW_JSON_HEADER)
  message(FATAL_ERROR "nlohmann/json.hpp is missing: run scripts/setup.sh (or apt-get install nlohmann-json3-dev)")
endif()
get_filename_component(bw_json_dir "${BW_JSON_HEADER}" DIRECTORY)
file(COPY "${bw_json_dir}" DESTINATION "${CMAKE_BINARY_DIR}/deps-include")
add_library(bw_json INTERFACE)
target_include_directories(bw_json SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/deps-include")
