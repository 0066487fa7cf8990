cmake_minimum_required(VERSION 3.25)
# The diagnostic lines of the Windows build, byte for byte, and the assertion
# line written before the process stops. The output goes through a file read
# as hex: a captured variable or a text read would lose the CRs.
set(outputFile ${CMAKE_CURRENT_BINARY_DIR}/hooks_diagnostics_output.txt)
function(run_probe)
  execute_process(COMMAND ${WINE_RUN} ${PROBE} ${ARGN}
    RESULT_VARIABLE result OUTPUT_FILE ${outputFile} ERROR_VARIABLE errors TIMEOUT 240)
  file(READ ${outputFile} output)
  file(READ ${outputFile} outputHex HEX)
  message("${output}")
  set(result "${result}" PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
  set(outputHex "${outputHex}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

run_probe()
# Standard output is a text stream on Windows: each "\n" reaches the file as CR LF.
string(CONCAT expected
  "VirtualQuery failed: 00000057\r\n"
  "trampoline alloc 000000013FFFFF00x0000000000000100 failed (000001E7)\r\n"
  "trampoline alloc FFFFFFFFFFFFFFFFx0000000000000100 failed (FFFFFFFF)\r\n"
  "couldn't allocate trampoline, no free space before image\r\n")
string(HEX "${expected}" expectedHex)
if(NOT result EQUAL 0 OR NOT outputHex STREQUAL expectedHex)
  message(FATAL_ERROR "diagnostic lines differ (exit ${result}):\n${output}\nstderr:\n${errors}")
endif()

run_probe(assert)
# The line comes first; Wine's crash report for the unhandled exception may follow.
string(HEX "Assertion failed in obrix_common/BranchTrampoline (255): result\r\n" expectedHex)
string(FIND "${outputHex}" "${expectedHex}" at)
if(NOT at EQUAL 0)
  message(FATAL_ERROR "assertion line differs:\n${output}\nstderr:\n${errors}")
endif()
if(output MATCHES "Unhandled exception" AND NOT output MATCHES "Unhandled exception: illegal instruction")
  message(FATAL_ERROR "the process stopped other than at an undefined instruction")
endif()
# Wine's crash handler sometimes reports the crashed process with exit code 0;
# its report of the undefined instruction proves the stop all the same.
if(result EQUAL 0 AND NOT output MATCHES "Unhandled exception: illegal instruction")
  message(FATAL_ERROR "the process went on after the assertion")
endif()
