cmake_minimum_required(VERSION 3.25)
# Fills a fresh game folder from the unpacked archive with the installer's
# CHOICES ("Page=Option|Page=Option"), checks that it holds nothing else, and
# plays SCRIPT in the Windows game under Wine on the test run's display; the
# DLL the game loads is the archive's. Writes the transcript (without the
# echoed commands) for the differential. With LANG_BEFORE, the game starts
# from that language file instead of the installed one (one missing a key),
# and afterwards the file must hold exactly the bytes of LANG_AFTER.
if(NOT EXISTS ${SCRIPT})
  message("no native script ${SCRIPT}: run the native release tests first")
  return()
endif()
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${RUN_DIR}/game)
file(COPY ${GALAXY} DESTINATION ${RUN_DIR})
get_filename_component(galaxyName ${GALAXY} NAME)
# In a file: Wine would bring option names beyond ASCII in on the command
# line in its locale's code page.
string(REPLACE "|" "\n" choices "${CHOICES}")
file(WRITE ${RUN_DIR}/choices.txt "${choices}\n")
# Both programs run on the display: a Wine program of this prefix started
# without it would leave the prefix a desktop that cannot show the game's window.
file(STRINGS ${DISPLAY_STATE} display REGEX "^DISPLAY=")
string(REPLACE "DISPLAY=" "" display "${display}")
if(NOT display)
  message(FATAL_ERROR "no virtual display: ${DISPLAY_STATE}")
endif()
set(ENV{LUMORA_WINE_DISPLAY} "${display}")

execute_process(COMMAND ${WINE_RUN} ${INSTALLER} Z:${ARCHIVE} Z:${RUN_DIR}/game @Z:${RUN_DIR}/choices.txt
  RESULT_VARIABLE result OUTPUT_VARIABLE installed ERROR_VARIABLE errors TIMEOUT 100)
string(REPLACE "\r\n" "\n" installed "${installed}")
message("${installed}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installer failed (${result}): ${errors}")
endif()
if(CODE_PAGE AND NOT installed MATCHES "ANSI code page ${CODE_PAGE}\n")
  message(FATAL_ERROR "the run is not on code page ${CODE_PAGE}")
endif()
string(REGEX MATCHALL "installed [^\n]*" expected "${installed}")
list(TRANSFORM expected REPLACE "^installed " "")
file(GLOB_RECURSE present RELATIVE ${RUN_DIR}/game ${RUN_DIR}/game/*)
list(SORT expected)
list(SORT present)
if(NOT expected STREQUAL present OR NOT present MATCHES "Data/Obrix/Plugins/LumoraSearchEngine.dll")
  message(FATAL_ERROR "the game folder holds\n  ${present}\nnot what was installed\n  ${expected}")
endif()

set(languageFile ${RUN_DIR}/game/Data/Obrix/Plugins/LumoraSearchEngineLang.ini)
if(LANG_BEFORE)
  file(COPY_FILE ${LANG_BEFORE} ${languageFile})
endif()

execute_process(COMMAND ${WINE_RUN} ${GAME} --script Z:${SCRIPT} --galaxy ${galaxyName} --workdir Z:${RUN_DIR}/game
  WORKING_DIRECTORY ${RUN_DIR}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 120)
string(REPLACE "\r\n" "\n" output "${output}")
message("${output}")
if(errors)
  message("stderr:\n${errors}")
endif()
string(REGEX REPLACE "(^|\n)> [^\n]*" "" transcript "${output}")
string(REGEX REPLACE "^\n+" "" transcript "${transcript}")
file(WRITE ${RUN_DIR}/transcript.txt "${transcript}")
if(output MATCHES "script failed: ")
  message(FATAL_ERROR "the script's expectations were not met")
endif()
if(NOT output MATCHES "game: engine strings balanced[^\n]*\ngame: session ended cleanly\n")
  message(FATAL_ERROR "the session did not end cleanly")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game exited with ${result}")
endif()
if(LANG_AFTER)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${LANG_AFTER} ${languageFile} RESULT_VARIABLE differ)
  if(differ)
    file(READ ${languageFile} written HEX)
    file(READ ${LANG_AFTER} expected HEX)
    message(FATAL_ERROR "the language file after the game\n  ${written}\nis not the native run's\n  ${expected}")
  endif()
endif()
