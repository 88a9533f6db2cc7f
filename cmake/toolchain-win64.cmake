# Cross build for 64-bit Windows with the POSIX-thread mingw-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FD_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FD_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FD_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FD_TRIPLE}-windres)
set(FD_WIDL ${FD_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${FD_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under Wine through the project's runner script.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
