# fd_shell_command(<var> <word>...): one command line for a POSIX shell, each
# word in single quotes (a quote inside becomes '\''), so that spaces, quotes
# and $ in paths stay inside their word. Sidecar command lines are built with
# it: tools/wine-run hands them to bash.
function(fd_shell_command out)
  set(line "")
  foreach(word IN LISTS ARGN)
    string(REPLACE "'" "'\\''" word "${word}")
    string(APPEND line " '${word}'")
  endforeach()
  string(STRIP "${line}" line)
  set(${out} "${line}" PARENT_SCOPE)
endfunction()
