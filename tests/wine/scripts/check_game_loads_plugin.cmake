cmake_minimum_required(VERSION 3.25)
# Runs the game from a folder that holds Data/Obrix/Plugins/LumoraSearchEngine.dll
# and checks what it printed: the version resource, the descriptor, the load
# result, the four loader messages and a clean end. VERSION and RUNTIME are the
# project's version and game runtime: the DLL's resource and descriptor must
# carry them, and the README and the player's guide must name them. The guide
# must show the files exactly as the DLL writes them.
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${RUN_DIR}/Data/Obrix/Plugins)
file(COPY ${PLUGIN} DESTINATION ${RUN_DIR}/Data/Obrix/Plugins)

execute_process(COMMAND ${WINE_RUN} ${GAME}
  WORKING_DIRECTORY ${RUN_DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  TIMEOUT 240)
message("${output}")
if(errors)
  message("stderr:\n${errors}")
endif()

# The packed form the descriptor holds: 8, 8, 12 and 4 bits.
string(REPLACE "." ";" parts "${VERSION}")
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 build)
list(GET parts 3 sub)
math(EXPR packed "(${major} << 24) | (${minor} << 16) | (${build} << 4) | ${sub}" OUTPUT_FORMAT HEXADECIMAL)
string(REPLACE "0x" "" packed "${packed}")
string(LENGTH "${packed}" digits)
while(digits LESS 8)
  string(PREPEND packed "0")
  math(EXPR digits "${digits} + 1")
endwhile()
string(TOUPPER "${packed}" packed)

set(name "Lumora Search Engine - Obrix Plugin by Lumora Team")
set(expected
  "loader: loaded \"Data\\\\Obrix\\\\Plugins\\\\LumoraSearchEngine.dll\""
  "loader: version file ${VERSION} product ${VERSION} os 0x40004 type 2 flags 0x0 mask 0x3F"
  "loader: version translation 0409 1200"
  "loader: version string FileVersion \"${VERSION}\""
  "loader: version string ProductVersion \"${VERSION}\""
  "loader: version string FileDescription \"${name}\""
  "loader: version string InternalName \"${name}\""
  "loader: version string OriginalFilename \"${name}\""
  "loader: version string ProductName \"${name}\""
  "loader: descriptor format 1 version ${VERSION} (0x${packed})"
  "loader: descriptor name \"${name}\" author \"Lumora Team\""
  "loader: descriptor independence address 0x00000000 structure 0x00000000 runtimes ${RUNTIME}.0 minimum loader 0x00000000"
  "loader: listener registered handle 7 sender \"Obrix\""
  "loader: ObrixPlugin_Load returned true"
  "loader: message 0 delivered to 1 listener"
  "loader: message 1 delivered to 1 listener"
  "loader: message 2 delivered to 1 listener"
  "loader: message 3 delivered to 1 listener"
  "game: engine strings balanced"
  "game: session ended cleanly")

# The lines must appear in this order.
set(rest "${output}")
foreach(line IN LISTS expected)
  string(FIND "${rest}" "${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "missing, or out of order: ${line}")
  endif()
  string(LENGTH "${line}" length)
  math(EXPR after "${at} + ${length}")
  string(SUBSTRING "${rest}" ${after} -1 rest)
endforeach()
if(output MATCHES "violation: ")
  message(FATAL_ERROR "the game saw violations")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game exited with ${result}")
endif()

# Message 2 made the plugin write both files from nothing; the bytes must be
# the ones the native build writes (tests/config pins the same bytes).
function(expect_file_bytes file expected)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "not written: ${file}")
  endif()
  file(READ ${file} actualHex HEX)
  string(HEX "${expected}" expectedHex)
  if(NOT actualHex STREQUAL expectedHex)
    file(READ ${file} actual)
    message(FATAL_ERROR "${file} differs:\n${actual}")
  endif()
endfunction()
set(plugins ${RUN_DIR}/Data/Obrix/Plugins)
string(CONCAT settingsBytes
  "[General]\r\n"
  "iTextInputMenuHotkey=0x51\r\n"
  "bSkipNonStarMapVisibleMapMarkers=1\r\n")
expect_file_bytes(${plugins}/LumoraSearchEngine.ini "${settingsBytes}")
string(CONCAT languageBytes
  "[General]\r\n"
  "sSearch=Search\r\n"
  "sSearchResults=Search results\r\n"
  "sSearchResultsLocations=Locations\r\n"
  "sSearchResultsPlanets=Planets\r\n"
  "sTextInputMenuHeader=Lumora Search Engine\r\n"
  "sTextInputMenuDefaultText=Enter a location or planet name...\r\n"
  "sFoundMatches=Found % matches.\r\n"
  "sNoMatchesFound=No matches.\r\n")
expect_file_bytes(${plugins}/LumoraSearchEngineLang.ini "${languageBytes}")

file(READ ${GUIDE} guide)
file(READ ${README} readme)
string(REPLACE "\r\n" "\n" settingsLines "${settingsBytes}")
string(REPLACE "\r\n" "\n" languageLines "${languageBytes}")
set(promises
  "guide|Lumora Search Engine ${VERSION}"
  "guide|runtime **${RUNTIME}**"
  "guide|Plugin by Lumora Team v${major}.${minor}`"
  "guide|${settingsLines}"
  "guide|${languageLines}"
  "readme|Version ${VERSION}, for the game runtime ${RUNTIME}."
  "readme|dist/LumoraSearchEngine-${VERSION}.zip")
foreach(promise IN LISTS promises)
  string(FIND "${promise}" "|" bar)
  string(SUBSTRING "${promise}" 0 ${bar} document)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${promise}" ${bar} -1 text)
  string(FIND "${${document}}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the ${document} does not say: ${text}")
  endif()
endforeach()
