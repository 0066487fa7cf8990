# The real plugin DLL in the simulated game under Wine: both call sites
# patched to trampoline entries below the image, the hooks reached through the
# game's own calls, a search from a text captured within the window; and the
# trampoline module's diagnostic lines as the Windows build writes them.
add_test(NAME wine.hooks.search_through_call_sites
  COMMAND ${CMAKE_COMMAND}
    -DGAME=$<TARGET_FILE:halcyra_sim>
    -DPLUGIN=$<TARGET_FILE:LumoraSearchEngine>
    -DRUN_DIR=${CMAKE_CURRENT_BINARY_DIR}/hooks_run
    -DGALAXY=${PROJECT_SOURCE_DIR}/galaxies/sample.galaxy
    -DWINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine-run
    -P ${CMAKE_CURRENT_LIST_DIR}/scripts/check_hooks_scenario.cmake)
set_tests_properties(wine.hooks.search_through_call_sites PROPERTIES LABELS wine TIMEOUT 300)

add_executable(hooks_diagnostics_probe ${CMAKE_CURRENT_LIST_DIR}/hooks_diagnostics_probe.cpp
                                       ${PROJECT_SOURCE_DIR}/src/base/diagnostics.cpp)
target_include_directories(hooks_diagnostics_probe PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_options(hooks_diagnostics_probe PRIVATE -static -static-libgcc -static-libstdc++)
add_test(NAME wine.hooks.diagnostic_lines
  COMMAND ${CMAKE_COMMAND}
    -DPROBE=$<TARGET_FILE:hooks_diagnostics_probe>
    -DWINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine-run
    -P ${CMAKE_CURRENT_LIST_DIR}/scripts/check_hooks_diagnostics.cmake)
set_tests_properties(wine.hooks.diagnostic_lines PROPERTIES LABELS wine TIMEOUT 300)
