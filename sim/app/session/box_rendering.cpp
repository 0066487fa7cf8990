#include "box_rendering.h"

#include "quoted_text.h"

namespace demo {
namespace {

std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++width;  // continuation bytes add nothing
    return width;
}

std::string repeated(const char* piece, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += piece;
    return out;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t newline = text.find('\n', start);
        lines.push_back(text.substr(start, newline - start));
        if (newline == std::string::npos) break;
        start = newline + 1;
    }
    return lines;
}

}  // namespace

std::vector<std::string> framedBox(const std::string& title, const std::string& text, const std::string& button) {
    const auto lines = splitLines(text);
    std::size_t inner = displayWidth(title) + 4;
    for (const auto& line : lines) inner = std::max(inner, displayWidth(line) + 2);
    inner = std::max(inner, displayWidth(button) + 2);

    std::vector<std::string> out;
    out.push_back("┌─ " + title + " " + repeated("─", inner - displayWidth(title) - 3) + "┐");
    for (const auto& line : lines) out.push_back("│ " + line + std::string(inner - 1 - displayWidth(line), ' ') + "│");
    if (!button.empty()) {
        out.push_back("│" + std::string(inner, ' ') + "│");
        const std::size_t left = inner - displayWidth(button) - 1;
        out.push_back("│" + std::string(left, ' ') + button + " │");
    }
    out.push_back("└" + repeated("─", inner) + "┘");
    return out;
}

std::vector<std::string> renderTranscriptLine(const std::string& line) {
    if (line.starts_with("key down ") || line.starts_with("key up ")) return {};
    const auto fields = quotedFields(line);
    if (line.starts_with("message box title ") && fields.size() == 2) return framedBox(fields[0], fields[1], "[ OK ]");
    if (line.starts_with("plugin error box caption ") && fields.size() == 2)
        return framedBox(fields[0], fields[1], "[ OK ]");
    if (line.starts_with("prompt header ") && fields.size() == 2)
        return framedBox(fields[0], "> " + fields[1] + "_", "");
    if (line.starts_with("star map focused form ")) {
        const std::string form = line.substr(22, 10);
        const std::string name = fields.empty() ? "a body the galaxy does not know" : fields[0];
        return {"★ The star map turns to " + name + " (form " + form + ")"};
    }
    return {"  · " + line};
}

}  // namespace demo
