# The DLL that players get carries no debug information; the symbols file the
# build split off belongs to it and turns a crash offset into function, file
# and line.
find_program(LUMORA_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
find_program(LUMORA_MINGW_ADDR2LINE NAMES x86_64-w64-mingw32-addr2line REQUIRED)
find_program(LUMORA_GZIP NAMES gzip REQUIRED)
add_test(NAME wine.plugin_symbols.export_offset_resolves_to_function_and_line
  COMMAND ${CMAKE_COMMAND}
    -DOBJDUMP=${LUMORA_MINGW_OBJDUMP}
    -DOBJCOPY=${LUMORA_MINGW_OBJCOPY}
    -DADDR2LINE=${LUMORA_MINGW_ADDR2LINE}
    -DGZIP=${LUMORA_GZIP}
    -DPLUGIN=$<TARGET_FILE:LumoraSearchEngine>
    -DSYMBOLS=$<TARGET_PROPERTY:LumoraSearchEngine,LUMORA_SYMBOLS_FILE>
    -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DMODDING=${PROJECT_SOURCE_DIR}/docs/modding.md
    -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/symbols_check
    -P ${CMAKE_CURRENT_LIST_DIR}/scripts/check_plugin_symbols.cmake)
set_tests_properties(wine.plugin_symbols.export_offset_resolves_to_function_and_line PROPERTIES
  LABELS wine TIMEOUT 120)
