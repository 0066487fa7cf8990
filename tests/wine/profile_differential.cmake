# The plugin reads and writes its profile files itself. Here its reading and
# writing run beside the real profile functions in one Windows process, on
# code page 1252, where the two must give the same values and files.
add_executable(profile_differential ${CMAKE_SOURCE_DIR}/tools/profile_probe/profile_differential.cpp
                                    ${CMAKE_SOURCE_DIR}/src/config/profile_strings.cpp
                                    ${CMAKE_SOURCE_DIR}/src/config/profile_text.cpp
                                    ${CMAKE_SOURCE_DIR}/src/config/profile_path.cpp)
target_include_directories(profile_differential PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools/profile_probe
                           ${CMAKE_SOURCE_DIR}/tools/probe_harness)
target_link_options(profile_differential PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(profile_differential PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_test(NAME wine.ProfileFunctions.PluginMatchesTheRealOnes COMMAND profile_differential --code-page 1252 --table)
set_tests_properties(wine.ProfileFunctions.PluginMatchesTheRealOnes PROPERTIES LABELS wine TIMEOUT 300)
