# The release archive with the real DLL, unpacked; its language files read
# through the real profile functions; and the game started under Wine from
# the folder that one combination of the installer's choices fills, playing
# the script the native run made from the installed files.
set(LUMORA_WINE_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
add_test(NAME wine.release.archive
         COMMAND ${CMAKE_COMMAND} -DPROJECT_DIR=${PROJECT_SOURCE_DIR} -DOUT=${LUMORA_WINE_RELEASE_DIR}
                 -DDLL=$<TARGET_FILE:LumoraSearchEngine> -P ${PROJECT_SOURCE_DIR}/tests/release/unpack_release_archive.cmake)
set_tests_properties(wine.release.archive PROPERTIES FIXTURES_SETUP wine_release_archive LABELS "wine;release"
                     TIMEOUT 120)

file(GLOB LUMORA_LANGUAGE_FOLDERS LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/release/options/languages/*)
set(LUMORA_SHIPPED_LANGUAGE_FILES)
foreach(folder IN LISTS LUMORA_LANGUAGE_FOLDERS)
  get_filename_component(code ${folder} NAME)
  list(APPEND LUMORA_SHIPPED_LANGUAGE_FILES
       Z:${LUMORA_WINE_RELEASE_DIR}/archive/options/languages/${code}/LumoraSearchEngineLang.ini)
endforeach()
# Each value through the plugin's reading on the ANSI code pages of English,
# Japanese and Chinese Windows (Wine's follows the locale), byte for byte.
# Each locale has a Wine prefix of its own, so that no run sees another's.
foreach(locale IN ITEMS "1252;" "932;ja_JP.UTF-8" "936;zh_CN.UTF-8")
  list(GET locale 0 codePage)
  list(GET locale 1 localeName)
  set(localeEnv)
  if(localeName)
    set(localeEnv LC_ALL=${localeName} LUMORA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-${codePage})
  endif()
  add_test(NAME wine.release.language_files_read_through.${codePage}
           COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-run $<TARGET_FILE:profile_differential> --code-page ${codePage}
                   --read-through ${LUMORA_SHIPPED_LANGUAGE_FILES})
  set_tests_properties(wine.release.language_files_read_through.${codePage} PROPERTIES
    FIXTURES_REQUIRED wine_release_archive LABELS "wine;release" TIMEOUT 300 ENVIRONMENT "${localeEnv}")
endforeach()

add_executable(mod_install ${CMAKE_CURRENT_LIST_DIR}/mod_install_main.cpp
                           ${PROJECT_SOURCE_DIR}/tests/release/mod_installer.cpp
                           ${PROJECT_SOURCE_DIR}/tests/release/xml_reader.cpp)
target_include_directories(mod_install PRIVATE ${PROJECT_SOURCE_DIR}/tests/release)
target_link_options(mod_install PRIVATE -static -static-libgcc -static-libstdc++)

# Name, the two choices, the ANSI code page (1252, or 932 and 936 of Japanese
# and Chinese Windows, with a Wine prefix of their own on the display), and
# whether the game starts from a language file missing one key, which the
# plugin must write back leaving every other byte as the native run left it.
set(LUMORA_LOCALE_932 ja_JP.UTF-8)
set(LUMORA_LOCALE_936 zh_CN.UTF-8)
foreach(combination IN ITEMS "recommended_deutsch;Recommended;Deutsch;1252;0"
                             "classic_english;Classic;English;1252;0"
                             "recommended_japanese;Recommended;日本語;932;0"
                             "classic_chinese;Classic;简体中文;936;0"
                             "recommended_japanese_missing_key;Recommended;日本語;932;1")
  list(GET combination 0 name)
  list(GET combination 1 setup)
  list(GET combination 2 language)
  list(GET combination 3 codePage)
  list(GET combination 4 missingKey)
  set(runDir ${CMAKE_CURRENT_BINARY_DIR}/installed_runs/${name})
  set(runEnv ${LUMORA_DISPLAY_PREFIX_ENV})
  if(NOT codePage EQUAL 1252)
    set(runEnv LC_ALL=${LUMORA_LOCALE_${codePage}} LUMORA_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-display-${codePage})
  endif()
  set(languageFiles)
  if(missingKey)
    set(languageFiles -DLANG_BEFORE=${LUMORA_NATIVE_TRANSCRIPT_DIR}/installed_${name}.lang_before.ini
                      -DLANG_AFTER=${LUMORA_NATIVE_TRANSCRIPT_DIR}/installed_${name}.lang_after.ini)
  endif()
  add_test(NAME wine.release.installed_${name}
    COMMAND ${CMAKE_COMMAND}
      -DINSTALLER=$<TARGET_FILE:mod_install>
      -DGAME=$<TARGET_FILE:halcyra_sim>
      -DARCHIVE=${LUMORA_WINE_RELEASE_DIR}/archive
      -DCHOICES=Setup=${setup}|Language=${language}
      -DSCRIPT=${LUMORA_NATIVE_TRANSCRIPT_DIR}/installed_${name}.script
      -DGALAXY=${PROJECT_SOURCE_DIR}/galaxies/sample.galaxy
      -DRUN_DIR=${runDir}
      -DDISPLAY_STATE=${LUMORA_XVFB_STATE}
      -DWINE_RUN=${PROJECT_SOURCE_DIR}/tools/wine-run
      -DCODE_PAGE=${codePage}
      ${languageFiles}
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/run_installed_game.cmake)
  set_tests_properties(wine.release.installed_${name} PROPERTIES
    FIXTURES_REQUIRED "wine_display;wine_release_archive" FIXTURES_SETUP wine_installed_${name}
    LABELS "wine;release" TIMEOUT 240 ENVIRONMENT "${runEnv}"
    SKIP_REGULAR_EXPRESSION "no native script")
  add_test(NAME wine.release.installed_${name}_differential
    COMMAND ${CMAKE_COMMAND}
      -DWINE_TRANSCRIPT=${runDir}/transcript.txt
      -DNATIVE_TRANSCRIPT=${LUMORA_NATIVE_TRANSCRIPT_DIR}/installed_${name}.transcript
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/compare_transcripts.cmake)
  set_tests_properties(wine.release.installed_${name}_differential PROPERTIES
    FIXTURES_REQUIRED wine_installed_${name} LABELS "wine;release" TIMEOUT 30
    SKIP_REGULAR_EXPRESSION "no native transcript")
endforeach()
