# Runs the headless vesk2b, from a folder of its own with a test script as
# its application script, with three file names, and checks what the script
# printed for them and that the program ended cleanly.
if(NOT PROGRAM OR NOT SCRIPT OR NOT WORKDIR)
  message(FATAL_ERROR "PROGRAM, SCRIPT and WORKDIR must be set")
endif()
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/default)
file(COPY ${PROGRAM} DESTINATION ${WORKDIR})
file(COPY_FILE ${SCRIPT} ${WORKDIR}/default/vesk.tcl)
get_filename_component(name ${PROGRAM} NAME)
execute_process(
  COMMAND ${WORKDIR}/${name} "first file.txt" "b$[x]{y}.tcl" "c\"q.txt"
  RESULT_VARIABLE code
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 60)
set(expected "open: first file.txt\nmerge: b$[x]{y}.tcl\nmerge: c\"q.txt\nsaved\n")
if(NOT code STREQUAL "0")
  message(FATAL_ERROR "exit code ${code}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "stdout was:\n${out}\nexpected:\n${expected}\nstderr:\n${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "unexpected diagnostics:\n${err}")
endif()
