# Cross build for 32-bit Windows with the MinGW-w64 compilers of Debian
# (package g++-mingw-w64-i686-posix):
#
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DS4_BUILD_TESTS=OFF
#   cmake --build build-win32 --target s4_module
#   cmake -DOBJDUMP=i686-w64-mingw32-objdump -DMODULE=build-win32/bin/Device_Stratix4.VIR -P cmake/CheckWindowsModule.cmake
#
# Only the module is built and its export names checked: the stdcall exports must appear
# undecorated ("GetVireoDriverCount", not "GetVireoDriverCount@4"), which exports.def gives.
# 32-bit Windows programs cannot run under this machine's Wine, so there are no tests here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(S4_MINGW_TRIPLE i686-w64-mingw32)
find_program(CMAKE_C_COMPILER ${S4_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${S4_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${S4_MINGW_TRIPLE}-windres)
find_program(CMAKE_OBJDUMP ${S4_MINGW_TRIPLE}-objdump)

# Look for libraries and headers only in the MinGW tree, never in the build machine's own
# /usr: a Linux library found there would not link into a Windows program. Programs (code
# generators, tools) are still looked up on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${S4_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config would otherwise answer with the build machine's Linux libraries.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/${S4_MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Link the C and C++ runtimes and winpthreads statically, so that the module and the test
# programs import only DLLs that every Windows system has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

