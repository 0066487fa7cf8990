#include <cctype>
#include <cstdio>
#include <string>

#include "hostsim/image.h"
#include "hostsim/site_code.h"
#include "other_mod_block.h"

namespace hostsim {
namespace {

bool isAddressWord(const std::string& word) {
    if (word.size() != 16) return false;
    for (char c : word)
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F')) return false;
    return true;
}

// The name of an address the game knows, or the word as it stands.
std::string nameOf(const std::string& word) {
    const std::uintptr_t value = std::stoull(word, nullptr, 16);
    const auto image = reinterpret_cast<std::uintptr_t>(imageBase());
    if (value == 0) return word;
    if (value == existingOtherModHook(CallSite::Prompt)) return "other mod's prompt hook";
    if (value == existingOtherModHook(CallSite::Capture)) return "other mod's capture hook";
    if (value < image || value - image >= kImageSize) return word;
    char text[32];
    std::snprintf(text, sizeof text, "image+0x%llX", static_cast<unsigned long long>(value - image));
    return text;
}

}  // namespace

std::string nameKnownAddresses(const std::string& line) {
    std::string named;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t end = i;
        while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end]))) ++end;
        if (end == i) {
            named += line[i++];
            continue;
        }
        const std::string word = line.substr(i, end - i);
        named += isAddressWord(word) ? nameOf(word) : word;
        i = end;
    }
    return named;
}

}  // namespace hostsim
