# The simulated game executable loads the real plugin DLL under Wine, and the
# DLL's export and import directories are what the loader and Windows expect.
set(LUMORA_WINE_LOAD_DIR ${CMAKE_CURRENT_BINARY_DIR}/load_run)

add_test(NAME wine.game_loads_plugin
  COMMAND ${CMAKE_COMMAND}
    -DGAME=$<TARGET_FILE:halcyra_sim>
    -DPLUGIN=$<TARGET_FILE:LumoraSearchEngine>
    -DRUN_DIR=${LUMORA_WINE_LOAD_DIR}
    -DVERSION=${PROJECT_VERSION}
    -DRUNTIME=${LUMORA_GAME_RUNTIME_VERSION}
    -DREADME=${PROJECT_SOURCE_DIR}/README.md
    -DGUIDE=${PROJECT_SOURCE_DIR}/docs/players.md
    -DWINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine-run
    -P ${CMAKE_CURRENT_LIST_DIR}/scripts/check_game_loads_plugin.cmake)
set_tests_properties(wine.game_loads_plugin PROPERTIES LABELS wine TIMEOUT 300)

find_program(LUMORA_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME wine.plugin_dll_directories
  COMMAND ${CMAKE_COMMAND}
    -DOBJDUMP=${LUMORA_MINGW_OBJDUMP}
    -DPLUGIN=$<TARGET_FILE:LumoraSearchEngine>
    -P ${CMAKE_CURRENT_LIST_DIR}/scripts/check_plugin_dll_directories.cmake)
set_tests_properties(wine.plugin_dll_directories PROPERTIES LABELS wine TIMEOUT 60)

# Tried as a game would: without the loader's messaging interface the load
# fails with both call sites as they were, and after the loader has unloaded
# the plugin the game still calls through both.
add_test(NAME wine.load_without_messaging_leaves_call_sites
  COMMAND ${CMAKE_COMMAND}
    -DGAME=$<TARGET_FILE:halcyra_sim>
    -DPLUGIN=$<TARGET_FILE:LumoraSearchEngine>
    -DRUN_DIR=${CMAKE_CURRENT_BINARY_DIR}/no_messaging_run
    -DWINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine-run
    -P ${CMAKE_CURRENT_LIST_DIR}/scripts/check_no_messaging.cmake)
set_tests_properties(wine.load_without_messaging_leaves_call_sites PROPERTIES LABELS wine TIMEOUT 300)
