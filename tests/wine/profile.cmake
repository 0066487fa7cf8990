# The probe table through the real profile functions, compared with the
# recording that the native build's layer is tested against as well.
add_executable(profile_probe ${CMAKE_SOURCE_DIR}/tools/profile_probe/profile_probe.cpp)
target_include_directories(profile_probe PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools/profile_probe
                           ${CMAKE_SOURCE_DIR}/tools/probe_harness)
target_link_options(profile_probe PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(profile_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Wine reaches the Linux file system through drive Z:.
add_test(NAME wine.ProfileFunctions.MatchRecording
         COMMAND profile_probe --compare Z:${CMAKE_SOURCE_DIR}/tools/profile_probe/profile_probe.golden.txt)
set_tests_properties(wine.ProfileFunctions.MatchRecording PROPERTIES LABELS wine TIMEOUT 300)
