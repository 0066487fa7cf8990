#include "player_input.h"

#include <cctype>

#include "hostsim/transcript.h"
#include "key_names.h"

namespace demo {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string lowerCased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

Command commandFrom(const std::string& text) {
    auto command = parseCommandLine(text);
    if (!command) throw ScriptError(0, "empty command");
    return *command;
}

std::vector<Command> one(const std::string& text) { return {commandFrom(text)}; }

}  // namespace

std::vector<Command> commandsForInput(const std::string& rawLine, const ScreenState& screen) {
    const std::string line = trimmed(rawLine);
    if (line.starts_with("/")) {
        // Out of the prompt's way: the rest is a command or a key, never text.
        ScreenState commandScreen = screen;
        commandScreen.textInputOpen = false;
        commandScreen.messageBoxOpen = false;
        const std::string rest = trimmed(line.substr(1));
        return rest.empty() ? std::vector<Command>{} : commandsForInput(rest, commandScreen);
    }
    if (screen.textInputOpen) {
        if (line.empty()) return {};
        return {commandFrom("type " + hostsim::quoted(line)), commandFrom("confirm")};
    }
    const std::string lower = lowerCased(line);
    if (screen.messageBoxOpen) {
        if (line.empty() || lower == "ok") return one("ok");
        if (line.size() == 1 && std::isdigit(static_cast<unsigned char>(line[0]))) return one("press " + line);
        if ((lower.starts_with("num") || lower.starts_with("k")) &&
            std::isdigit(static_cast<unsigned char>(lower.back())) && lower.size() == (lower[0] == 'k' ? 2u : 4u))
            return one(std::string("press NUM") + lower.back());
    }
    if (line.empty()) return {};
    if (lower == "map") return one(screen.starMapOpen ? "close map" : "open map");
    if (lower == "console") return one(screen.consoleOpen ? "close console" : "open console");
    if ((line.size() == 1 || lower == "tab" || lower == "esc") && parseKeyName(line)) return one("press " + line);
    return one(line);
}

}  // namespace demo
