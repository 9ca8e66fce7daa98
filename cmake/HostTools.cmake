# Host tools: executables that run on the build machine during the build, such as the
# generators that turn reviewable text into the module's constant tables.
#
#   s4_add_host_tool(<name> <source>... [LIBRARIES <target>...])
#
# declares one (call it in tools/CMakeLists.txt; sources relative to the calling folder).
# It goes to <build>/bin. Use it in custom commands by its target name (or
# $<TARGET_FILE:<name>>), the same in every build:
#
#   add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/tables.inc
#     COMMAND <name> ${CMAKE_CURRENT_SOURCE_DIR}/tables.txt ${CMAKE_CURRENT_BINARY_DIR}/tables.inc
#     DEPENDS <name> ${CMAKE_CURRENT_SOURCE_DIR}/tables.txt)
#
# In a native build <name> is an ordinary executable target. In a cross build (Windows
# from Linux) it cannot be: the compiler makes Windows programs. There <name> is an
# imported executable made by a native build of this source tree in
# <build>/host-tools, configured on the first cross configure and built on demand (only
# the tool targets are built there); or, with -DS4_HOST_TOOLS_DIR=<folder>, the tools
# already built by another native build are used (<folder> is that build's "bin" folder).
# Keep the tools free of Windows or Linux specifics beyond the standard library and
# s4_platform, so that both builds can make them.
set(S4_HOST_TOOLS_DIR "" CACHE PATH "Cross builds: folder of natively built host tools to use (a native build's bin folder)")

set(S4_HOST_TOOLS_BUILD "${PROJECT_BINARY_DIR}/host-tools")

# Configures the native build of the tools, once per cross build folder.
function(s4_configure_host_tools_build)
  if(EXISTS "${S4_HOST_TOOLS_BUILD}/CMakeCache.txt")
    return()
  endif()
  message(STATUS "Configuring the native build of the host tools in ${S4_HOST_TOOLS_BUILD}")
  # The build machine's own compilers: the cross build's CC/CXX must not leak into it.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX --unset=CFLAGS --unset=CXXFLAGS --unset=LDFLAGS
            ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${S4_HOST_TOOLS_BUILD} -G ${CMAKE_GENERATOR}
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DS4_BUILD_TESTS=OFF -DS4_BUILD_BENCH=OFF -DS4_BUILD_CLI=OFF
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    file(REMOVE "${S4_HOST_TOOLS_BUILD}/CMakeCache.txt")
    message(FATAL_ERROR "Native configure of the host tools failed:\n${out}")
  endif()
endfunction()

function(s4_add_host_tool name)
  cmake_parse_arguments(ARG "" "" "LIBRARIES" ${ARGN})
  if(NOT CMAKE_CROSSCOMPILING)
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
    s4_warnings(${name})
    return()
  endif()
  if(S4_HOST_TOOLS_DIR)
    set(location "${S4_HOST_TOOLS_DIR}/${name}")
    if(NOT EXISTS "${location}")
      message(FATAL_ERROR "Host tool ${name} not found in S4_HOST_TOOLS_DIR (${S4_HOST_TOOLS_DIR})")
    endif()
    add_executable(${name} IMPORTED GLOBAL)
    set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${location}")
    return()
  endif()
  s4_configure_host_tools_build()
  # Built by the native build on every build of the cross build; Ninja there does nothing
  # when the tool is up to date, and the file's unchanged date spares what it generates.
  set(location "${S4_HOST_TOOLS_BUILD}/bin/${name}")
  add_custom_target(${name}.native
    COMMAND ${CMAKE_COMMAND} --build ${S4_HOST_TOOLS_BUILD} --target ${name}
    BYPRODUCTS "${location}"
    COMMENT "Building host tool ${name} natively"
    VERBATIM)
  add_executable(${name} IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${location}")
  add_dependencies(${name} ${name}.native)
endfunction()
