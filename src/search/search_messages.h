#pragma once
// Fixed texts of the boxes a search can end with, as the player knows them.

namespace lumora {

inline constexpr const char* kSearchTextEmptyMessage = "Search text is empty.";
inline constexpr const char* kMissingAncestorKeywordMessage = "Iternal error: 6527";
inline constexpr const char* kMissingLocationContextMessage = "Iternal error: 6528";
inline constexpr const char* kMissingFirstEligibilityFormMessage = "Iternal error: 6529";
inline constexpr const char* kMissingSecondEligibilityFormMessage = "Iternal error: 6530";
inline constexpr const char* kLocationWalkFailedMessage = "Internal error: 5c5c";

}  // namespace lumora
