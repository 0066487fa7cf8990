cmake_minimum_required(VERSION 3.25)
# Writes the release archive with tools/make-dist, twice, checks that both
# have the same bytes, and unpacks it into OUT/archive for the installer's
# tests. DLL is the file shipped as the plugin: the real DLL under Wine, a
# stand-in natively, where the tests link the plugin in.
if(NOT DLL)
  set(DLL ${OUT}/stand-in.dll)
  file(WRITE ${DLL} "stand-in for LumoraSearchEngine.dll\n")
endif()
file(REMOVE_RECURSE ${OUT}/archive ${OUT}/first.zip ${OUT}/second.zip)
foreach(name first second)
  execute_process(COMMAND ${PROJECT_DIR}/tools/make-dist ${DLL} ${PROJECT_DIR}/docs/players.md ${OUT}/${name}.zip
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "make-dist failed (${result}):\n${output}\n${errors}")
  endif()
endforeach()
file(SHA256 ${OUT}/first.zip first)
file(SHA256 ${OUT}/second.zip second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "two runs of make-dist gave different archives")
endif()
file(ARCHIVE_EXTRACT INPUT ${OUT}/first.zip DESTINATION ${OUT}/archive)
message("${output}")
