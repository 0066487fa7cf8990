#pragma once
// Questions the search asks about the game's forms.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// Type code from the form's virtual function.
std::uint8_t formTypeCode(void* form);

// The form's display name; "" when the form is null or has no name. The view
// points into the game's memory and stays valid while the game is paused in
// the search.
std::string_view formDisplayNameView(void* form);
std::string formDisplayName(void* form);

// Text of an engine-string handle; "" for null, an empty entry, or an entry
// that holds no narrow text.
std::string_view engineStringTextView(const void* handle);

// The name that stands for "<Alias=Player>" in names.
std::string playerDisplayName();

// Every non-overlapping occurrence of the pattern, left to right, replaced.
std::string replaceAll(std::string_view text, std::string_view pattern, std::string_view replacement);

// Extra data of the given type from a placed object's container, looked up
// under the container's own lock; null when there is no container or entry.
void* findExtraData(void* object, std::uint8_t type);

bool isMapMarkerBase(void* base);
bool isKeywordEligible(void* base, void* placed, void* context, void* firstEligibilityForm,
                       void* secondEligibilityForm);
bool isStarMapVisibleMarker(void* placed);

// The first ancestor (never the form itself) whose keyword list holds the
// keyword, following at most 20 parent links; null when there is none.
void* findAncestorWithKeyword(void* form, void* keyword);

// The planet registry's forms in registry order.
std::vector<void*> collectPlanetForms();

// Fixed form ids the search resolves.
inline constexpr std::uint32_t kAncestorKeywordFormId = 0x149F;
inline constexpr std::uint32_t kFirstEligibilityFormId = 0x3E8651;
inline constexpr std::uint32_t kSecondEligibilityFormId = 0x24DC8;
inline constexpr int kMaxAncestorLinks = 20;

}  // namespace lumora
