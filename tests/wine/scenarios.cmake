# Every end-to-end scenario again, with the real DLL in the Windows game under
# Wine, on a virtual X display that this test run starts and stops: a real
# "Halcyra" window in front, keys through SendInput, the plugin's error boxes
# answered on the screen. Then each transcript is compared with the native one.
set(LUMORA_SCENARIO_DIR ${PROJECT_SOURCE_DIR}/tests/e2e/scenarios)
set(LUMORA_NATIVE_TRANSCRIPT_DIR ${PROJECT_SOURCE_DIR}/build/native/e2e_transcripts CACHE PATH
    "Where the native end-to-end tests write their transcripts, for the native-vs-Wine differential")
set(LUMORA_XVFB_STATE ${CMAKE_CURRENT_BINARY_DIR}/xvfb/display)
# A Wine prefix of their own: its server and desktop live on the display, and
# the headless Wine tests never share them.
set(LUMORA_DISPLAY_PREFIX_ENV LUMORA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-display)

add_test(NAME wine.display.start COMMAND ${PROJECT_SOURCE_DIR}/tools/xvfb-display start ${LUMORA_XVFB_STATE})
add_test(NAME wine.display.stop COMMAND ${PROJECT_SOURCE_DIR}/tools/xvfb-display stop ${LUMORA_XVFB_STATE})
set_tests_properties(wine.display.start PROPERTIES FIXTURES_SETUP wine_display LABELS wine TIMEOUT 300
                     ENVIRONMENT ${LUMORA_DISPLAY_PREFIX_ENV})
set_tests_properties(wine.display.stop PROPERTIES FIXTURES_CLEANUP wine_display LABELS wine TIMEOUT 30
                     ENVIRONMENT ${LUMORA_DISPLAY_PREFIX_ENV})

file(GLOB LUMORA_SCENARIO_FILES CONFIGURE_DEPENDS ${LUMORA_SCENARIO_DIR}/*.scenario)
foreach(scenario IN LISTS LUMORA_SCENARIO_FILES)
  get_filename_component(name ${scenario} NAME_WE)
  set(runDir ${CMAKE_CURRENT_BINARY_DIR}/scenario_runs/${name})
  add_test(NAME wine.scenario.${name}
    COMMAND ${CMAKE_COMMAND}
      -DGAME=$<TARGET_FILE:halcyra_sim>
      -DPLUGIN=$<TARGET_FILE:LumoraSearchEngine>
      -DSCENARIO=${scenario}
      -DGALAXY=${PROJECT_SOURCE_DIR}/galaxies/sample.galaxy
      -DRUN_DIR=${runDir}
      -DDISPLAY_STATE=${LUMORA_XVFB_STATE}
      -DWINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine-run
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/run_wine_scenario.cmake)
  set_tests_properties(wine.scenario.${name} PROPERTIES
    FIXTURES_REQUIRED wine_display FIXTURES_SETUP wine_transcript_${name} LABELS "wine;e2e" TIMEOUT 120
    ENVIRONMENT ${LUMORA_DISPLAY_PREFIX_ENV})

  add_test(NAME wine.differential.${name}
    COMMAND ${CMAKE_COMMAND}
      -DWINE_TRANSCRIPT=${runDir}/transcript.txt
      -DNATIVE_TRANSCRIPT=${LUMORA_NATIVE_TRANSCRIPT_DIR}/${name}.transcript
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/compare_transcripts.cmake)
  set_tests_properties(wine.differential.${name} PROPERTIES
    FIXTURES_REQUIRED wine_transcript_${name} LABELS "wine;e2e" TIMEOUT 30
    SKIP_REGULAR_EXPRESSION "no native transcript")
endforeach()

# The page-turn scenarios again in games that tell of a closing menu in other
# orders, each compared with the native run in the same order.
include(${PROJECT_SOURCE_DIR}/tests/e2e/menu_orders.cmake)
foreach(order IN LISTS LUMORA_MENU_ORDERS)
  string(REPLACE "," "+" orderName ${order})
  foreach(name IN LISTS LUMORA_MENU_ORDER_SCENARIOS)
    set(runDir ${CMAKE_CURRENT_BINARY_DIR}/scenario_runs/${name}.${orderName})
    add_test(NAME wine.menu_order.${orderName}.${name}
      COMMAND ${CMAKE_COMMAND}
        -DGAME=$<TARGET_FILE:halcyra_sim>
        -DPLUGIN=$<TARGET_FILE:LumoraSearchEngine>
        -DSCENARIO=${LUMORA_SCENARIO_DIR}/${name}.scenario
        -DGALAXY=${PROJECT_SOURCE_DIR}/galaxies/sample.galaxy
        -DRUN_DIR=${runDir}
        -DDISPLAY_STATE=${LUMORA_XVFB_STATE}
        -DWINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine-run
        -DMENU_ORDER=${order}
        -P ${CMAKE_CURRENT_LIST_DIR}/scripts/run_wine_scenario.cmake)
    set_tests_properties(wine.menu_order.${orderName}.${name} PROPERTIES
      FIXTURES_REQUIRED wine_display FIXTURES_SETUP wine_transcript_${name}.${orderName} LABELS "wine;e2e" TIMEOUT 120
      ENVIRONMENT ${LUMORA_DISPLAY_PREFIX_ENV})
    add_test(NAME wine.menu_order_differential.${orderName}.${name}
      COMMAND ${CMAKE_COMMAND}
        -DWINE_TRANSCRIPT=${runDir}/transcript.txt
        -DNATIVE_TRANSCRIPT=${LUMORA_NATIVE_TRANSCRIPT_DIR}/${name}.${order}.transcript
        -P ${CMAKE_CURRENT_LIST_DIR}/scripts/compare_transcripts.cmake)
    set_tests_properties(wine.menu_order_differential.${orderName}.${name} PROPERTIES
      FIXTURES_REQUIRED wine_transcript_${name}.${orderName} LABELS "wine;e2e" TIMEOUT 30
      SKIP_REGULAR_EXPRESSION "no native transcript")
  endforeach()
endforeach()
