# Runs the headless vesk2b with three file names and checks what the shipped
# application script printed for them, and that the program ended cleanly.
if(NOT PROGRAM)
  message(FATAL_ERROR "PROGRAM not set")
endif()
execute_process(
  COMMAND ${PROGRAM} "first file.txt" "b$[x]{y}.tcl" "c\"q.txt"
  RESULT_VARIABLE code
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 60)
set(expected "open: first file.txt\nmerge: b$[x]{y}.tcl\nmerge: c\"q.txt\n")
if(NOT code STREQUAL "0")
  message(FATAL_ERROR "exit code ${code}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "stdout was:\n${out}\nexpected:\n${expected}\nstderr:\n${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "unexpected diagnostics:\n${err}")
endif()
