# Checks the export and import tables of the Windows module (run with cmake -P):
#   cmake -DOBJDUMP=<objdump> -DMODULE=<dll> [-DARCH=32|64] -P CheckWindowsModule.cmake
# The module must export exactly GetVireoDriverCount and GetVireoDriver_Plugin, by these
# undecorated names (also in a 32-bit build, where stdcall names would otherwise carry
# "@4"/"@8"), and import only DLLs that are part of every Windows system.
cmake_minimum_required(VERSION 3.20)
foreach(v OBJDUMP MODULE)
  if(NOT ${v})
    message(FATAL_ERROR "CheckWindowsModule: ${v} not given")
  endif()
endforeach()
execute_process(COMMAND "${OBJDUMP}" -p "${MODULE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()

# Export names with their ordinals: the lines "[ index] name" of the "[Ordinal/Name Pointer]
# Table" section, where the ordinal is the index plus the table's base. Square brackets
# mean something in CMake lists, so they are replaced first.
string(REPLACE "[" "<" dump "${dump}")
string(REPLACE "]" ">" dump "${dump}")
string(REGEX MATCH "Ordinal Base ([0-9]+)" _ "${dump}")
set(base "${CMAKE_MATCH_1}")
string(REGEX MATCH "<Ordinal/Name Pointer> Table[^\n]*\n(([ \t]+<[^\n]*\n)*)" _ "${dump}")
string(REGEX MATCHALL "<[ ]*[0-9]+> [^\n]+" rows "${CMAKE_MATCH_1}")
set(exports)
foreach(r IN LISTS rows)
  string(REGEX MATCH "<[ ]*([0-9]+)> (.+)" _ "${r}")
  math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
  string(STRIP "${CMAKE_MATCH_2}" name)
  list(APPEND exports "${name}@${ordinal}")
endforeach()
list(SORT exports)
# The host may import by ordinal as well as by name, so both are fixed.
set(expected GetVireoDriverCount@2 GetVireoDriver_Plugin@1)
if(NOT exports STREQUAL expected)
  message(FATAL_ERROR "${MODULE} exports [${exports}], expected exactly [${expected}] (name@ordinal)")
endif()

# Imports: every "DLL Name:" line.
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(imports)
foreach(l IN LISTS lines)
  string(REGEX REPLACE "DLL Name: " "" l "${l}")
  string(STRIP "${l}" l)
  string(TOLOWER "${l}" l)
  list(APPEND imports "${l}")
endforeach()
set(system_dlls kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll
    oleaut32.dll msvcrt.dll ucrtbase.dll shlwapi.dll version.dll ws2_32.dll comctl32.dll
    comdlg32.dll)
foreach(i IN LISTS imports)
  if(NOT i IN_LIST system_dlls AND NOT i MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${MODULE} imports ${i}, which is not a Windows system DLL (link it statically)")
  endif()
endforeach()
message(STATUS "${MODULE}: exports ${exports}; imports ${imports}")
