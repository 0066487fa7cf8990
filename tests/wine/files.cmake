# The file-operation table through the real file functions, compared with the
# recording that the native build's layer is tested against as well.
add_executable(files_probe ${CMAKE_SOURCE_DIR}/tools/files_probe/files_probe.cpp)
target_include_directories(files_probe PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools/files_probe
                           ${CMAKE_SOURCE_DIR}/tools/probe_harness)
target_link_options(files_probe PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(files_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Wine reaches the Linux file system through drive Z:.
add_test(NAME wine.FileFunctions.MatchRecording
         COMMAND files_probe --compare Z:${CMAKE_SOURCE_DIR}/tools/files_probe/files_probe.golden.txt)
# As a player runs the game, not as root: see files_probe.h.
set_tests_properties(wine.FileFunctions.MatchRecording PROPERTIES LABELS wine TIMEOUT 300
                     ENVIRONMENT LUMORA_WINE_AS_PLAYER=1)
