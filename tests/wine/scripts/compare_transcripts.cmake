cmake_minimum_required(VERSION 3.25)
# The native-vs-Wine differential: one scenario's transcript from the native
# end-to-end test and from the real DLL under Wine must be the same, apart
# from these platform differences:
#  1. Line ends: the Windows game writes CR LF (taken off when the Wine run's
#     output is read, and by the game from the plugin's diagnostic lines).
#  2. The count of engine strings in "game: engine strings balanced created N
#     released N": the plugin makes menu-name strings on each pass of its
#     polling thread that reaches the menu tests, so N counts passes made
#     while a key was held, which is timing. Balanced or not is compared.
#  3. The interleaving of threads: the game thread, the plugin's polling
#     thread, the script and the reader of the plugin's standard output record
#     lines at once, and under Wine the plugin's error box is recorded when the
#     game finds it on the screen, not inside MessageBoxA. So every line must
#     occur as often in both, and may stand at most ${kShift} places from where
#     it stands natively.
set(kShift 3)

if(NOT EXISTS ${NATIVE_TRANSCRIPT})
  message("no native transcript ${NATIVE_TRANSCRIPT}: run the native end-to-end tests first")
  return()
endif()
if(NOT EXISTS ${WINE_TRANSCRIPT})
  message(FATAL_ERROR "no Wine transcript ${WINE_TRANSCRIPT}")
endif()

# CMake lists split at ";" and keep "[...]" together; neither may reach them.
function(read_lines file out)
  file(READ ${file} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  string(REGEX REPLACE "game: engine strings (balanced|unbalanced) created [0-9]+ released [0-9]+"
                       "game: engine strings \\1" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

read_lines(${NATIVE_TRANSCRIPT} native)
read_lines(${WINE_TRANSCRIPT} wine)
list(LENGTH native nativeCount)
list(LENGTH wine wineCount)

set(problems "")
if(NOT nativeCount EQUAL wineCount)
  string(APPEND problems "native has ${nativeCount} lines, Wine ${wineCount}\n")
endif()

# The k-th occurrence of each Wine line against the k-th occurrence natively.
set(remaining "${native}")
set(index 0)
foreach(line IN LISTS wine)
  list(FIND remaining "${line}" at)
  if(at EQUAL -1)
    string(APPEND problems "only under Wine, line ${index}: ${line}\n")
  else()
    math(EXPR shift "${at} - ${index}")
    if(shift GREATER kShift OR shift LESS -${kShift})
      string(APPEND problems "line ${index} under Wine stands at ${at} natively: ${line}\n")
    endif()
    # Used up, but the places of the others stay.
    list(REMOVE_AT remaining ${at})
    list(INSERT remaining ${at} "<matched>")
  endif()
  math(EXPR index "${index} + 1")
endforeach()
set(index 0)
foreach(line IN LISTS remaining)
  if(NOT line STREQUAL "<matched>")
    string(APPEND problems "only natively, line ${index}: ${line}\n")
  endif()
  math(EXPR index "${index} + 1")
endforeach()

if(problems)
  string(REPLACE "<semicolon>" ";" problems "${problems}")
  string(REPLACE "<open>" "[" problems "${problems}")
  string(REPLACE "<close>" "]" problems "${problems}")
  message(FATAL_ERROR "the transcripts differ:\n${problems}")
endif()
message("${wineCount} lines, the same as natively")
