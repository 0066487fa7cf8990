#include "script_parser.h"

#include <cctype>

#include "quoted_text.h"

namespace demo {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string lowerCased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

ScriptError::ScriptError(int line, const std::string& problem)
    : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + problem : problem), line_(line) {}

std::optional<Command> parseCommandLine(std::string_view text, int line) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    std::size_t end = 0;  // end of the last word: the comment, if any, starts after it
    while (true) {
        while (pos < text.size() && isBlank(text[pos])) ++pos;
        if (pos >= text.size() || text[pos] == '#') break;
        if (text[pos] == '"') {
            auto word = readQuoted(text, pos);
            if (!word) throw ScriptError(line, "unterminated or malformed quoted text");
            if (pos < text.size() && !isBlank(text[pos]))
                throw ScriptError(line, "a quoted text must be followed by a blank");
            words.push_back(std::move(*word));
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !isBlank(text[pos])) ++pos;
            words.emplace_back(text.substr(start, pos - start));
        }
        end = pos;
    }
    if (words.empty()) return std::nullopt;

    Command command;
    command.line = line;
    command.verb = lowerCased(words.front());
    command.words.assign(words.begin() + 1, words.end());
    const std::string_view body = trimmed(text.substr(0, end));
    command.source = std::string(body);
    const std::size_t verbEnd = body.find_first_of(" \t");
    command.rest = verbEnd == std::string_view::npos ? std::string() : std::string(trimmed(body.substr(verbEnd)));
    return command;
}

std::vector<Command> parseScript(std::string_view text) {
    std::vector<Command> commands;
    int line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t newline = text.find('\n');
        const std::string_view current = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (auto command = parseCommandLine(current, line)) commands.push_back(std::move(*command));
    }
    return commands;
}

std::vector<std::vector<Command>> splitAtRestarts(const std::vector<Command>& commands) {
    std::vector<std::vector<Command>> parts(1);
    for (const Command& command : commands) {
        if (command.verb == "restart") parts.emplace_back();
        else parts.back().push_back(command);
    }
    return parts;
}

}  // namespace demo
