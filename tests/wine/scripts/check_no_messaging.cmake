cmake_minimum_required(VERSION 3.25)
# Runs the game's no-messaging scenario from a folder that holds
# Data/Obrix/Plugins/LumoraSearchEngine.dll and checks what the game printed.
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${RUN_DIR}/Data/Obrix/Plugins)
file(COPY ${PLUGIN} DESTINATION ${RUN_DIR}/Data/Obrix/Plugins)

execute_process(COMMAND ${WINE_RUN} ${GAME} --scenario no-messaging
  WORKING_DIRECTORY ${RUN_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  TIMEOUT 240)
message("${output}")
if(errors)
  message("stderr:\n${errors}")
endif()
string(REPLACE "\r\n" "\n" output "${output}")

string(REGEX MATCHALL "no-messaging: [^\n]* ok\n" passed "${output}")
list(LENGTH passed passedCount)
if(output MATCHES "no-messaging: [^\n]* FAILED" OR NOT passedCount EQUAL 8)
  message(FATAL_ERROR "checks: ${passedCount} of 8 passed")
endif()
if(output MATCHES "violation: ")
  message(FATAL_ERROR "the game saw violations")
endif()
if(NOT output MATCHES "game: engine strings balanced\ngame: session ended cleanly\n")
  message(FATAL_ERROR "the session did not end cleanly")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game exited with ${result}")
endif()
