# cmake -DWORDS=<list> -DOUT=<file> -P shell_command.cmake
# Writes fd_shell_command's line for WORDS to OUT (for sidecar_quoting_test).
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/FdShellQuote.cmake)
fd_shell_command(line ${WORDS})
file(WRITE "${OUT}" "${line}")
