# Build helpers shared by every folder of the suite.
#
#   fd_add_library(name [PORTABLE] SOURCES ... [LIBS ...] [INCLUDES ...])
#   fd_add_executable(name [GUI] SOURCES ... [LIBS ...])        Windows programs
#   fd_add_module(name SOURCES ... [LIBS ...] [DEF file])        Windows DLLs
#   fd_add_test(name [PORTABLE] SOURCES ... [LIBS ...] [FRESH_PREFIX]
#               [TIMEOUT s] [ENV k=v ...] [DEPENDS target ...]
#               [SIDECARS "command line" ...])
#     SIDECARS: up to three programs on the Linux side (stand-in servers)
#     started for the test by tools/wine-run; see there. Each is one shell
#     command line: build it with fd_shell_command (FdShellQuote.cmake) so
#     that paths with spaces stay whole.
#   fd_add_fuzzer(name SOURCES ... [LIBS ...] [CORPUS dir] [SECONDS n])
#   fd_add_idl(name IDL file)   header, IIDs and type library of one .idl
#
# PORTABLE code uses no Windows header: it builds in every configuration
# and its tests also run on the host under the sanitizers.

include(${CMAKE_CURRENT_LIST_DIR}/FdShellQuote.cmake)

set(FD_WINDOWS OFF)
set(FD_WITH_TESTS OFF)
set(FD_FUZZ OFF)
if(FD_TARGET STREQUAL "win64")
  set(FD_WINDOWS ON)
  set(FD_WITH_TESTS ON)
elseif(FD_TARGET STREQUAL "win32")
  set(FD_WINDOWS ON)
elseif(FD_TARGET STREQUAL "host")
  set(FD_WITH_TESTS ON)
elseif(FD_TARGET STREQUAL "fuzz")
  set(FD_FUZZ ON)
else()
  message(FATAL_ERROR "FD_TARGET must be win64, win32, host or fuzz")
endif()

# Line tables only where debug information is wanted: full -g makes the
# builds several times slower for little gain in test reports.
find_program(FD_CCACHE ccache)
if(FD_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${FD_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${FD_CCACHE})
endif()

set(FD_WARN_FLAGS -Wall -Wextra)
if(FD_WERROR)
  list(APPEND FD_WARN_FLAGS -Werror)
endif()

# Narrow literals are the programs' 8-bit ANSI bytes. clang has no CP1252
# execution charset: fuzz builds keep UTF-8 literals.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-fexec-charset=CP1252)
endif()

set(FD_SANITIZE_FLAGS)
if(FD_TARGET STREQUAL "host")
  set(FD_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${FD_SANITIZE_FLAGS} -g1 -O0)
  add_link_options(-fsanitize=address,undefined)
elseif(FD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g1 -O1)
  add_link_options(-fsanitize=address,undefined)
endif()

if(FD_WINDOWS)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

option(FD_NO_PCH "Build the Windows code without the precompiled header" OFF)
set(FD_FUZZ_SECONDS 10 CACHE STRING "How long each fuzz target runs in the test session")

function(fd_target_flags target)
  target_compile_options(${target} PRIVATE ${FD_WARN_FLAGS})
endfunction()

# Windows code spends much of its compile time in the platform headers: one
# precompiled header per configuration, shared by every Windows library and
# program. Portable code never gets it, so it stays free of windows.h even
# in the Windows builds. Tests don't use it: their time goes into the test
# bodies, where a precompiled header was measured to gain nothing.
function(fd_use_pch target)
  if(NOT FD_WINDOWS OR FD_NO_PCH)
    return()
  endif()
  if(NOT TARGET fd_win_pch)
    file(WRITE ${CMAKE_BINARY_DIR}/fd_pch_dummy.cpp "")
    add_library(fd_win_pch STATIC ${CMAKE_BINARY_DIR}/fd_pch_dummy.cpp)
    target_compile_options(fd_win_pch PRIVATE ${FD_WARN_FLAGS})
    target_precompile_headers(fd_win_pch PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${CMAKE_SOURCE_DIR}/cmake/FdWinPch.h>)
  endif()
  target_precompile_headers(${target} REUSE_FROM fd_win_pch)
endfunction()

function(_fd_wanted portable out)
  if(FD_WINDOWS OR (portable AND NOT FD_WINDOWS))
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

function(fd_add_library name)
  cmake_parse_arguments(A "PORTABLE" "" "SOURCES;LIBS;INCLUDES" ${ARGN})
  _fd_wanted("${A_PORTABLE}" wanted)
  if(NOT wanted)
    return()
  endif()
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${A_INCLUDES})
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
  fd_target_flags(${name})
  if(NOT A_PORTABLE)
    fd_use_pch(${name})
  endif()
endfunction()

function(fd_add_executable name)
  cmake_parse_arguments(A "GUI" "" "SOURCES;LIBS" ${ARGN})
  if(NOT FD_WINDOWS)
    return()
  endif()
  if(A_GUI)
    add_executable(${name} WIN32 ${A_SOURCES})
  else()
    add_executable(${name} ${A_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  fd_target_flags(${name})
  fd_use_pch(${name})
endfunction()

function(fd_add_module name)
  cmake_parse_arguments(A "" "DEF" "SOURCES;LIBS" ${ARGN})
  if(NOT FD_WINDOWS)
    return()
  endif()
  add_library(${name} SHARED ${A_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "")
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  fd_use_pch(${name})
  if(A_DEF)
    target_sources(${name} PRIVATE ${A_DEF})
    # The .def names the undecorated exports of the __stdcall functions.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
    endif()
  endif()
  fd_target_flags(${name})
endfunction()

function(fd_add_test name)
  cmake_parse_arguments(A "PORTABLE;FRESH_PREFIX" "TIMEOUT" "SOURCES;LIBS;ENV;DEPENDS;SIDECARS" ${ARGN})
  if(NOT FD_WITH_TESTS)
    return()
  endif()
  _fd_wanted("${A_PORTABLE}" wanted)
  if(NOT wanted)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  # The portable half of the test kit serves the tests of every folder.
  target_link_libraries(${name} PRIVATE ${A_LIBS} fd_testkit_core GTest::gtest_main)
  # The check of the exception family's error tables (foundation/tests).
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/foundation/tests)
  fd_target_flags(${name})
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set(env ${A_ENV} "FD_BIN_DIR=${CMAKE_BINARY_DIR}/bin" "FD_SOURCE_DIR=${CMAKE_SOURCE_DIR}" "FD_WINE_RETRY_SILENT=1")
  if(A_FRESH_PREFIX)
    list(APPEND env FD_WINE_FRESH_PREFIX=1)
  endif()
  set(n 0)
  foreach(cmd ${A_SIDECARS})
    # Unquoted words would split at the spaces of a checkout path.
    if(NOT cmd MATCHES "^'")
      message(FATAL_ERROR "${name}: SIDECARS \"${cmd}\" is not quoted: build it with fd_shell_command")
    endif()
    math(EXPR n "${n} + 1")
    list(APPEND env "FD_SIDECAR_${n}=${cmd}")
  endforeach()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

function(fd_add_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT FD_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  fd_target_flags(${name})
  if(NOT A_SECONDS)
    set(A_SECONDS ${FD_FUZZ_SECONDS})
  endif()
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  set(dirs ${work})
  if(A_CORPUS)
    list(APPEND dirs ${CMAKE_CURRENT_SOURCE_DIR}/${A_CORPUS})
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   sh -c "mkdir -p '${work}' && exec \"$0\" -max_total_time=${A_SECONDS} -print_final_stats=0 \"$@\"" $<TARGET_FILE:${name}> ${dirs})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# widl: <name>.h and <name>_i.c (IIDs) in the build tree's idl folder, and
# with TLB also <name>.tlb; an object library <name>_idl holds the IID
# definitions and shows the header to its users. A resource script embeds
# the type library with
#   1 TYPELIB "<name>.tlb"
function(fd_add_idl name)
  cmake_parse_arguments(A "TLB" "IDL" "DEPENDS;LIBS" ${ARGN})
  if(NOT FD_WINDOWS)
    return()
  endif()
  set(out ${CMAKE_BINARY_DIR}/idl)
  file(MAKE_DIRECTORY ${out})
  get_filename_component(idl ${A_IDL} ABSOLUTE)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(arch --win64)
  else()
    set(arch --win32)
  endif()
  set(outputs ${out}/${name}.h ${out}/${name}_i.c)
  set(tlbargs)
  if(A_TLB)
    list(APPEND outputs ${out}/${name}.tlb)
    set(tlbargs -t -T ${out}/${name}.tlb)
  endif()
  set(deps)
  foreach(d ${A_DEPENDS})
    get_filename_component(d ${d} ABSOLUTE)
    list(APPEND deps ${d})
  endforeach()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${FD_WIDL} ${arch} -I ${CMAKE_SOURCE_DIR}/interfaces -I ${CMAKE_CURRENT_SOURCE_DIR}
            -I /usr/include/wine/wine/windows -L /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
            -h -H ${out}/${name}.h -u -U ${out}/${name}_i.c ${tlbargs} ${idl}
    DEPENDS ${idl} ${deps}
    COMMENT "widl ${name}.idl"
    VERBATIM)
  add_custom_target(${name}_idl_gen DEPENDS ${outputs})
  add_library(${name}_idl STATIC ${out}/${name}_i.c)
  add_dependencies(${name}_idl ${name}_idl_gen)
  target_include_directories(${name}_idl PUBLIC ${out})
  target_link_libraries(${name}_idl PUBLIC ${A_LIBS} uuid ole32 oleaut32)
endfunction()

# Every program and DLL lands in one folder, so tests find them by name.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
