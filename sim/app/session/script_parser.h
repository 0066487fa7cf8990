#pragma once
// The demo's command language, one command a line: a verb and its words.
// Words are separated by blanks; a word in double quotes may hold blanks and
// the escapes \n \t \" \\ \xHH. A # where a word would start begins a comment.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace demo {

struct Command {
    int line = 0;                    // 1-based line of the script; 0 when typed
    std::string verb;                // lower-cased
    std::vector<std::string> words;  // the words after the verb, unquoted
    std::string rest;                // the raw text after the verb, comment removed, trimmed
    std::string source;              // the line as written, trimmed
};

class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& problem);
    int line() const { return line_; }

private:
    int line_;
};

// One line; nullopt for a blank or comment-only line.
std::optional<Command> parseCommandLine(std::string_view text, int line = 0);
// A whole script; the first malformed line throws ScriptError.
std::vector<Command> parseScript(std::string_view text);

// The parts of a script between its `restart` commands, in order, each to be
// played by a game process of its own over the same game folder. A script
// without `restart` is one part.
std::vector<std::vector<Command>> splitAtRestarts(const std::vector<Command>& commands);

}  // namespace demo
