cmake_minimum_required(VERSION 3.25)
# Runs the game's hook scenario from a folder that holds
# Data/Obrix/Plugins/LumoraSearchEngine.dll and checks what the game printed.
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${RUN_DIR}/Data/Obrix/Plugins)
file(COPY ${PLUGIN} DESTINATION ${RUN_DIR}/Data/Obrix/Plugins)

# Wine reaches the Linux file system through drive Z:.
execute_process(COMMAND ${WINE_RUN} ${GAME} --scenario hooks Z:${GALAXY}
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

# What the game shows between two of the scenario's own lines.
function(section_between first second out)
  string(FIND "${output}" "${first}\n" begin)
  string(FIND "${output}" "${second}\n" end)
  if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
    message(FATAL_ERROR "scenario lines missing or out of order: ${first} / ${second}")
  endif()
  string(LENGTH "${first}\n" length)
  math(EXPR begin "${begin} + ${length}")
  math(EXPR length "${end} - ${begin}")
  string(SUBSTRING "${output}" ${begin} ${length} section)
  set(${out} "${section}" PARENT_SCOPE)
endfunction()

# Fourteen checks of the sites, their entries and the prompt passes.
string(REGEX MATCHALL "hooks: [^\n]* ok\n" passed "${output}")
list(LENGTH passed passedCount)
if(output MATCHES "hooks: [^\n]* FAILED" OR NOT passedCount EQUAL 14)
  message(FATAL_ERROR "site checks: ${passedCount} of 14 passed")
endif()
foreach(site prompt capture)
  if(NOT output MATCHES "hooks: ${site} entry at image-0x[0-9A-F]+ below the image within reach ok\n")
    message(FATAL_ERROR "${site} entry not reported below the image")
  endif()
endforeach()

section_between("scenario: text made right after editing ended on the star map"
                "scenario: text made 200 ms after editing ended" within)
set(box [=[message box title "Search" text "Search: Harrow\n\nLocations:\n[0] Harrow Point | Ilvane Prime\n[1] Harrow Point | Kessel Minor\n\nFound 2 matches."]=])
string(FIND "${within}" "sound \"UIMenuGeneralOK\" volume 1.00\n${box}\ncapture \"Harrow\" flag 0\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no results box for the text made within the window:\n${within}")
endif()

section_between("scenario: text made 200 ms after editing ended" "scenario: done" outside)
if(NOT outside STREQUAL "capture \"Harrow\" flag 0\n")
  message(FATAL_ERROR "more than the game's own call outside the window:\n${outside}")
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
