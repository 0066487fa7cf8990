#pragma once
// One collected candidate. Form pointers point into the game's memory and are
// not owned; an entry with a non-null reference is a location entry.
#include <cstdint>
#include <string>

namespace lumora {

struct ResultEntry {
    void* reference = nullptr;  // the placed object (locations only)
    bool keywordEligible = false;
    bool keywordMatched = false;
    bool secondaryNameHit = false;
    bool primaryNameHit = false;
    bool tertiaryNameHit = false;
    std::int32_t firstMatchPos = -1;
    bool wordStartMatch = false;
    void* targetForm = nullptr;
    std::string targetName;
    void* primaryForm = nullptr;
    std::string primaryName;
    void* ancestorForm = nullptr;
    std::string ancestorName;
    void* auxForm = nullptr;
    std::string auxName;
    void* extraForm = nullptr;
    std::string extraName;
};

}  // namespace lumora
