#pragma once
// One line per effect the game shows or receives, in the order they happen.
// Formats (texts quoted, with \n, \t, \", \\ and \xHH escapes):
//   menu opened "<menu>"                 menu closed "<menu>"
//   ui message "<menu>" kind <n>
//   sound "<name>" volume <v.vv>
//   prompt header "<header>" text "<default text>" mode <n>
//   message box title "<title>" text "<text>"
//   focus request menu "<menu>" request "<request>" open <0|1> form 0x<8 hex>
//   sink registered <source>
//   capture "<text>" flag <n>
//   other mod: <what another mod's hook at a call site did>
//   loader: <what the loader did>
//   violation: <what the plugin did wrong, seen from the game>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hostsim {

void recordTranscriptLine(std::string line);
// A game-side check failed: recorded as "violation: <what>".
void recordViolation(std::string_view what);

std::vector<std::string> transcript();
std::vector<std::string> violations();
void clearTranscript();

// Called with every new line as it is recorded (the demo prints them live).
void setTranscriptEcho(std::function<void(const std::string&)> echo);

// "text" in double quotes, escaped so the line stays one line.
std::string quoted(std::string_view text);

}  // namespace hostsim
