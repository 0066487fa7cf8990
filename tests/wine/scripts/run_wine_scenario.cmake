cmake_minimum_required(VERSION 3.25)
# Plays one scenario in the Windows game under Wine on the test run's virtual
# display. The game's folder holds the DLL in Data/Obrix/Plugins; the galaxy
# sits beside it, where the scenario's relative galaxy names are looked up.
# Writes the transcript (without the echoed commands) for the differential.
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${RUN_DIR}/game/Data/Obrix/Plugins)
file(COPY ${PLUGIN} DESTINATION ${RUN_DIR}/game/Data/Obrix/Plugins)
file(COPY ${GALAXY} DESTINATION ${RUN_DIR})
get_filename_component(galaxyName ${GALAXY} NAME)

file(STRINGS ${DISPLAY_STATE} display REGEX "^DISPLAY=")
string(REPLACE "DISPLAY=" "" display "${display}")
if(NOT display)
  message(FATAL_ERROR "no virtual display: ${DISPLAY_STATE}")
endif()
set(ENV{LUMORA_WINE_DISPLAY} "${display}")

# Wine reaches the Linux file system through drive Z:.
# MENU_ORDER: another order in which the game tells of closing menus.
set(menuOrder)
if(MENU_ORDER)
  set(menuOrder --menu-order ${MENU_ORDER})
endif()
execute_process(COMMAND ${WINE_RUN} ${GAME} --script Z:${SCENARIO} --galaxy ${galaxyName} --workdir Z:${RUN_DIR}/game
                        ${menuOrder}
  WORKING_DIRECTORY ${RUN_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  TIMEOUT 100)
string(REPLACE "\r\n" "\n" output "${output}")
message("${output}")
if(errors)
  message("stderr:\n${errors}")
endif()

string(REGEX REPLACE "(^|\n)> [^\n]*" "" transcript "${output}")
string(REGEX REPLACE "^\n+" "" transcript "${transcript}")
file(WRITE ${RUN_DIR}/transcript.txt "${transcript}")

if(output MATCHES "violation: ")
  message(FATAL_ERROR "the game saw violations")
endif()
if(NOT output MATCHES "game: engine strings balanced[^\n]*\ngame: session ended cleanly\n")
  message(FATAL_ERROR "the session did not end cleanly")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game exited with ${result}")
endif()
