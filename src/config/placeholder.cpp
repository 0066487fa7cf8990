#include "config/placeholder.h"

namespace lumora {

void splitAtPlaceholder(std::string templateText, PlaceholderParts& parts) {
    if (templateText.empty()) {
        parts.before = "[ERROR: empty string]";
        return;
    }
    const std::size_t percent = templateText.find('%');
    if (percent == std::string::npos) {
        parts.before = "[ERROR: invalid string, missing %]";
        return;
    }
    parts.before = templateText.substr(0, percent);
    parts.after = templateText.substr(percent + 1);
}

}  // namespace lumora
