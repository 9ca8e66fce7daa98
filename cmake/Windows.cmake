# The Windows build: native (MSVC or MinGW on Windows) or cross-compiled from Linux with
# cmake/mingw-w64-x86_64.cmake. Included from the root CMakeLists.txt after project().
#
# What it provides to the rest of the build (documented again in the root CMakeLists.txt):
#   S4_WINDOWS             ON when the module is built as a Windows DLL.
#   S4_CROSS_WINDOWS       ON when that build is a cross build (tests then run under Wine).
#   s4_tests_not_on_windows(<test file>... REASON <text>)
#                          leaves test files of tests/ out of the Windows test programs.
#   s4_add_host_tool(<name> <source>... [LIBRARIES <lib>...])
#                          an executable that runs on the build machine (generators); see
#                          cmake/HostTools.cmake.
if(WIN32)
  set(S4_WINDOWS ON)
else()
  set(S4_WINDOWS OFF)
endif()
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(S4_CROSS_WINDOWS ON)
else()
  set(S4_CROSS_WINDOWS OFF)
endif()

# Test files that cannot be built or run on Windows (for example because they need a
# Linux-only library). tests/CMakeLists.txt removes them from the Windows test programs and
# says so when configuring; a file name is relative to tests/.
function(s4_tests_not_on_windows)
  cmake_parse_arguments(ARG "" "REASON" "" ${ARGN})
  if(NOT ARG_REASON)
    message(FATAL_ERROR "s4_tests_not_on_windows: give a REASON")
  endif()
  foreach(f IN LISTS ARG_UNPARSED_ARGUMENTS)
    set_property(GLOBAL APPEND PROPERTY S4_TESTS_NOT_ON_WINDOWS "${f}")
    set_property(GLOBAL PROPERTY "S4_TESTS_NOT_ON_WINDOWS_REASON_${f}" "${ARG_REASON}")
  endforeach()
endfunction()

if(NOT S4_WINDOWS)
  return()
endif()

if(MINGW)
  # Only system DLLs may be imported: the C and C++ runtimes and winpthreads go into the
  # binaries (the toolchain file sets -static; this covers a native MinGW build too).
  add_link_options(-static)
endif()
if(MSVC)
  # One static runtime for the module and the test programs, as with MinGW.
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()

if(S4_CROSS_WINDOWS)
  # A Wine prefix of the build's own, so that builds and developers do not share state.
  set(S4_WINE_PREFIX "${PROJECT_BINARY_DIR}/wine" CACHE PATH "Wine prefix the cross build's programs run in")
  set(S4_WINE_RUN "${PROJECT_SOURCE_DIR}/cmake/wine-run.sh")
  set(CMAKE_CROSSCOMPILING_EMULATOR "${S4_WINE_RUN};--prefix;${S4_WINE_PREFIX}")
endif()

# GoogleTest for Windows: built here from the sources of the Debian googletest package
# (or a GoogleTest source tree given with S4_GOOGLETEST_SOURCE_DIR) when no installed
# GoogleTest for the target is found, as in the cross build.
if(S4_BUILD_TESTS)
  find_package(GTest QUIET)
  if(NOT GTest_FOUND)
    set(S4_GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources for the Windows build")
    if(NOT EXISTS "${S4_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
      message(FATAL_ERROR "No GoogleTest for Windows: install the Debian package googletest or set S4_GOOGLETEST_SOURCE_DIR")
    endif()
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(system_headers)
    if(CMAKE_VERSION VERSION_GREATER_EQUAL 3.25)
      set(system_headers SYSTEM)  # no warnings of ours in GoogleTest's headers
    endif()
    add_subdirectory("${S4_GOOGLETEST_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL ${system_headers})
    foreach(t gtest gtest_main gmock gmock_main)
      if(NOT TARGET GTest::${t})
        add_library(GTest::${t} ALIAS ${t})
      endif()
    endforeach()
  endif()
endif()
